#pragma once
// The message bus of the plug-in manager: subscriptions to numbered notifications,
// broadcasts, queries and the closing broadcast.
//
// The table is a list of per-code lists kept in ascending code order; each per-code list
// holds its records in ascending priority order and is walked from the last record to the
// first, so the highest priority runs first. A new record goes in front of the records of
// equal priority, so among equal priorities the earlier subscription runs first. A per-code
// list exists only while it holds a record.
//
// Threads: one lock guards the table. A walk holds it only to copy the records of its code;
// callbacks run without it, so a callback may subscribe and unsubscribe anything, and other
// threads may do so during a walk. A record removed during a walk is not called after its
// removal (a call already under way finishes); a record added during a walk is first called
// by the next one. Records are freed only when no walk holds them.
//
// Records with flag bit 0 are called through the platform's main-thread call (directly
// when there is none).
//
// Unloading: each record counts the calls under way. A removed record is not called any
// more, but a call already under way may still be running on another thread; before the
// code of a library is freed, WaitForCallsInCode waits (bounded) until the removed records
// whose callback lies in that code have no call under way. A main-thread request whose
// record was removed before the main thread took it up runs nothing and counts as ended,
// so the main thread may wait while it lets the requests sent to it through.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

// Calling convention of callbacks that cross module boundaries.
#if defined(_WIN32)
#define ZT_MSG_CALL __stdcall
#else
#define ZT_MSG_CALL
#endif

namespace zt {

// A subscriber (the same type as the public SDK's). Non-zero stops a broadcast; zero
// refuses a query.
using TztMsgCallback = int(ZT_MSG_CALL*)(int msg, std::intptr_t param1, std::intptr_t param2,
                                         void* userData);

// A subscription handle; its address is all a subscriber sees.
struct TztSubscription;

// What the bus needs from its platform; any member may be left empty.
struct TztMsgBusPlatform {
    // Runs call on the main thread and returns its result; a failure of call reaches the
    // caller as an exception. Empty: call runs in place.
    std::function<int(const std::function<int()>& call)> MainThreadCall;
    // Blocks until done() holds or timeoutMs have passed and returns done(); Wake is called
    // whenever done() may have turned true. Both empty: a condition variable of the bus.
    std::function<bool(const std::function<bool()>& done, unsigned timeoutMs)> Wait;
    std::function<void()> Wake;
    // Called inside the catch block of a pass that a subscriber's exception ended, with the
    // pass's name ("Broadcast", "Query").
    std::function<void(const wchar_t* where)> ReportCaught;
};

class TztPluginMsgMan {
public:
    // Unsubscribe's results.
    static constexpr std::int32_t kOk = 0;
    static constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);
    // Subscription flag: run the callback through the main-thread dispatch.
    static constexpr std::uint16_t kMainThread = 1;

    explicit TztPluginMsgMan(TztMsgBusPlatform platform = {});
    TztPluginMsgMan(const TztPluginMsgMan&) = delete;
    TztPluginMsgMan& operator=(const TztPluginMsgMan&) = delete;
    ~TztPluginMsgMan();

    // Null when callback is null or the table could not be updated.
    TztSubscription* Subscribe(int msg, TztMsgCallback callback, void* userData,
                               std::uint16_t priority, std::uint16_t flags) noexcept;
    // kOk and handle cleared; kFail (handle unchanged) when handle is null or no longer
    // a subscription of this table.
    std::int32_t Unsubscribe(TztSubscription*& handle) noexcept;

    // Removes every record whose callback lies in [begin, end), such as the code of a
    // library about to be freed; returns how many were removed.
    std::size_t UnsubscribeCode(std::uintptr_t begin, std::uintptr_t end) noexcept;
    // Waits up to timeoutMs until no removed record whose callback lies in [begin, end) has
    // a call under way; true when none has. No lock is held while waiting.
    bool WaitForCallsInCode(std::uintptr_t begin, std::uintptr_t end, unsigned timeoutMs) noexcept;

    // Calls the subscribers of msg, highest priority first, until one returns non-zero.
    // Does nothing once closing. An exception from a callback, or a failed main-thread
    // call, ends the pass; the broadcaster never sees it.
    void Broadcast(int msg, std::intptr_t param1, std::intptr_t param2) noexcept;
    // 1 when closing or without subscribers; otherwise the result of the last subscriber
    // called, the walk stopping at the first that returns 0. An exception from a callback
    // ends the walk with the result reached so far.
    int Query(int msg, std::intptr_t param1, std::intptr_t param2) noexcept;
    // Sets closing and broadcasts msg once; nothing when closing was already set.
    void ClosingBroadcast(int msg, std::intptr_t param1 = 0, std::intptr_t param2 = 0) noexcept;
    // Sets closing without a broadcast.
    void SetClosing() noexcept { closing_ = true; }
    bool Closing() const noexcept { return closing_; }

    // Per-code lists in the table.
    std::size_t CodeCount() const;
    // Records subscribed to msg.
    std::size_t SubscriptionCount(int msg) const;

private:
    struct CodeList {
        int code;
        std::vector<std::shared_ptr<TztSubscription>> records;
    };
    enum class WalkKind { Broadcast, Query };
    class CallUnderWay;

    // Walks the records of msg (see Broadcast and Query), closing or not.
    int Walk(WalkKind kind, int msg, std::intptr_t param1, std::intptr_t param2) noexcept;
    // Marks a record removed and keeps it in leaving_ while a call is under way. Under lock_.
    void Retire(const std::shared_ptr<TztSubscription>& record) noexcept;
    // Tells the waiters of WaitForCallsInCode that a removed record's last call ended.
    void WakeWaiters() noexcept;

    TztMsgBusPlatform platform_;
    std::atomic<bool> closing_{false};
    mutable std::mutex lock_;
    std::vector<CodeList> codes_;
    // The live records and their codes; handles are checked here before use.
    std::unordered_map<const TztSubscription*, int> live_;
    // Removed records that had a call under way when they were removed.
    std::vector<std::shared_ptr<TztSubscription>> leaving_;
    // The default wait of WaitForCallsInCode.
    std::mutex waitLock_;
    std::condition_variable callsEnded_;
};

} // namespace zt
