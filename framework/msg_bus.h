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
// Records with flag bit 0 are called through the main-thread dispatch given to the
// constructor (directly when none is given).

#include <atomic>
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

// Runs callback(msg, param1, param2, userData) on the main thread and returns its result.
using TztMainThreadCall = std::function<int(TztMsgCallback callback, int msg, std::intptr_t param1,
                                            std::intptr_t param2, void* userData)>;

class TztPluginMsgMan {
public:
    // Unsubscribe's results.
    static constexpr std::int32_t kOk = 0;
    static constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);
    // Subscription flag: run the callback through the main-thread dispatch.
    static constexpr std::uint16_t kMainThread = 1;

    explicit TztPluginMsgMan(TztMainThreadCall mainThreadCall = {});
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

    // Calls the subscribers of msg, highest priority first, until one returns non-zero.
    // Does nothing once closing. An exception from a callback ends the pass silently.
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

    // Walks the records of msg (see Broadcast and Query), closing or not.
    int Walk(WalkKind kind, int msg, std::intptr_t param1, std::intptr_t param2) noexcept;

    TztMainThreadCall mainThreadCall_;
    std::atomic<bool> closing_{false};
    mutable std::mutex lock_;
    std::vector<CodeList> codes_;
    // The live records and their codes; handles are checked here before use.
    std::unordered_map<const TztSubscription*, int> live_;
};

} // namespace zt
