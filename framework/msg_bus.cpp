#include "framework/msg_bus.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace zt {

namespace {

// Binary search in a list of per-code lists sorted by code: the first list whose code is
// not below msg.
template <typename Codes> auto CodeLowerBound(Codes& codes, int msg) {
    return std::lower_bound(codes.begin(), codes.end(), msg,
                            [](const auto& list, int code) { return list.code < code; });
}

// The list of msg, or end.
template <typename Codes> auto FindCode(Codes& codes, int msg) {
    auto it = CodeLowerBound(codes, msg);
    return it != codes.end() && it->code == msg ? it : codes.end();
}

} // namespace

struct TztSubscription {
    TztMsgCallback callback;
    void* userData;
    std::uint16_t priority;
    std::uint16_t flags;
    // Cleared on removal, so that a walk holding the record skips it.
    std::atomic<bool> subscribed{true};
    // Calls under way. A walk counts a call before it reads subscribed, a removal clears
    // subscribed before it reads the count: one of the two sees the other.
    std::atomic<int> calls{0};
};

// Counts one call of a record for the lifetime of the object.
class TztPluginMsgMan::CallUnderWay {
public:
    CallUnderWay(TztPluginMsgMan& bus, TztSubscription& record) noexcept
        : bus_(bus), record_(record) {
        ++record_.calls;
    }
    CallUnderWay(const CallUnderWay&) = delete;
    CallUnderWay& operator=(const CallUnderWay&) = delete;
    ~CallUnderWay() {
        if (--record_.calls == 0 && !record_.subscribed)
            bus_.WakeWaiters();
    }

private:
    TztPluginMsgMan& bus_;
    TztSubscription& record_;
};

TztPluginMsgMan::TztPluginMsgMan(TztMsgBusPlatform platform) : platform_(std::move(platform)) {}

TztPluginMsgMan::~TztPluginMsgMan() {
    closing_ = true;
    std::lock_guard<std::mutex> guard(lock_);
    for (CodeList& list : codes_)
        for (const auto& record : list.records)
            record->subscribed = false;
}

void TztPluginMsgMan::Retire(const std::shared_ptr<TztSubscription>& record) noexcept {
    record->subscribed = false;
    std::erase_if(leaving_, [](const auto& r) { return r->calls == 0; });
    if (record->calls == 0)
        return;
    try {
        leaving_.push_back(record);
    } catch (...) {
        // Out of memory: an unload does not wait for this call.
    }
}

void TztPluginMsgMan::WakeWaiters() noexcept {
    if (platform_.Wake) {
        try {
            platform_.Wake();
        } catch (...) {
            // The waiter finds out at its time limit.
        }
        return;
    }
    {
        // Taken so that the wake cannot fall between a waiter's test and its wait.
        std::lock_guard<std::mutex> guard(waitLock_);
    }
    callsEnded_.notify_all();
}

bool TztPluginMsgMan::WaitForCallsInCode(std::uintptr_t begin, std::uintptr_t end,
                                         unsigned timeoutMs) noexcept {
    const auto ended = [this, begin, end] {
        std::lock_guard<std::mutex> guard(lock_);
        std::erase_if(leaving_, [](const auto& r) { return r->calls == 0; });
        return std::none_of(leaving_.begin(), leaving_.end(), [&](const auto& r) {
            const auto address = reinterpret_cast<std::uintptr_t>(r->callback);
            return address >= begin && address < end;
        });
    };
    try {
        if (platform_.Wait)
            return platform_.Wait(ended, timeoutMs);
        std::unique_lock<std::mutex> guard(waitLock_);
        return callsEnded_.wait_for(guard, std::chrono::milliseconds(timeoutMs), ended);
    } catch (...) {
        return ended();
    }
}

TztSubscription* TztPluginMsgMan::Subscribe(int msg, TztMsgCallback callback, void* userData,
                                            std::uint16_t priority, std::uint16_t flags) noexcept {
    if (!callback)
        return nullptr;
    try {
        auto record = std::make_shared<TztSubscription>();
        record->callback = callback;
        record->userData = userData;
        record->priority = priority;
        record->flags = flags;

        std::lock_guard<std::mutex> guard(lock_);
        auto codeIt = CodeLowerBound(codes_, msg);
        if (codeIt == codes_.end() || codeIt->code != msg)
            codeIt = codes_.insert(codeIt, CodeList{msg, {}});
        try {
            auto& records = codeIt->records;
            // In front of the records of equal priority: lower bound.
            auto place = std::lower_bound(records.begin(), records.end(), priority,
                                          [](const std::shared_ptr<TztSubscription>& r,
                                             std::uint16_t p) { return r->priority < p; });
            records.insert(place, record);
            try {
                live_.emplace(record.get(), msg);
            } catch (...) {
                records.erase(std::find(records.begin(), records.end(), record));
                throw;
            }
        } catch (...) {
            if (codeIt->records.empty())
                codes_.erase(codeIt);
            throw;
        }
        return record.get();
    } catch (...) {
        return nullptr;
    }
}

std::int32_t TztPluginMsgMan::Unsubscribe(TztSubscription*& handle) noexcept {
    if (!handle)
        return kFail;
    std::shared_ptr<TztSubscription> removed;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto liveIt = live_.find(handle);
        if (liveIt == live_.end())
            return kFail;
        auto codeIt = FindCode(codes_, liveIt->second);
        if (codeIt == codes_.end())
            return kFail;
        auto& records = codeIt->records;
        auto it = std::find_if(records.begin(), records.end(),
                               [&](const auto& r) { return r.get() == handle; });
        if (it == records.end())
            return kFail;
        Retire(*it);
        removed = std::move(*it);
        records.erase(it);
        if (records.empty())
            codes_.erase(codeIt);
        live_.erase(liveIt);
    }
    handle = nullptr;
    return kOk;
}

std::size_t TztPluginMsgMan::UnsubscribeCode(std::uintptr_t begin, std::uintptr_t end) noexcept {
    std::size_t removed = 0;
    std::lock_guard<std::mutex> guard(lock_);
    for (CodeList& list : codes_) {
        removed += std::erase_if(list.records, [&](const std::shared_ptr<TztSubscription>& r) {
            const auto address = reinterpret_cast<std::uintptr_t>(r->callback);
            if (address < begin || address >= end)
                return false;
            Retire(r);
            live_.erase(r.get());
            return true;
        });
    }
    std::erase_if(codes_, [](const CodeList& list) { return list.records.empty(); });
    return removed;
}

int TztPluginMsgMan::Walk(WalkKind kind, int msg, std::intptr_t param1,
                          std::intptr_t param2) noexcept {
    int result = 1;
    try {
        std::vector<std::shared_ptr<TztSubscription>> snapshot;
        {
            std::lock_guard<std::mutex> guard(lock_);
            auto codeIt = FindCode(codes_, msg);
            if (codeIt == codes_.end())
                return result;
            snapshot = codeIt->records;
        }
        for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
            TztSubscription& record = **it;
            if (!record.subscribed)
                continue;
            const CallUnderWay call(*this, record);
            // Removed meanwhile: its remover may already wait for calls under way.
            if (!record.subscribed)
                continue;
            bool skipped = false;
            int called = 0;
            if ((record.flags & kMainThread) && platform_.MainThreadCall) {
                called = platform_.MainThreadCall([&] {
                    // Removed while the request waited for the main thread.
                    skipped = !record.subscribed;
                    return skipped ? 0 : record.callback(msg, param1, param2, record.userData);
                });
            } else {
                called = record.callback(msg, param1, param2, record.userData);
            }
            if (skipped)
                continue;
            if (kind == WalkKind::Broadcast) {
                if (called != 0)
                    break;
            } else {
                result = called;
                if (called == 0)
                    break;
            }
        }
    } catch (...) {
        // A failing subscriber ends the pass; the broadcaster never sees it.
        if (platform_.ReportCaught) {
            try {
                platform_.ReportCaught(kind == WalkKind::Broadcast ? L"Broadcast" : L"Query");
            } catch (...) {
                // Nothing more to do.
            }
        }
    }
    return result;
}

void TztPluginMsgMan::Broadcast(int msg, std::intptr_t param1, std::intptr_t param2) noexcept {
    if (!closing_)
        Walk(WalkKind::Broadcast, msg, param1, param2);
}

int TztPluginMsgMan::Query(int msg, std::intptr_t param1, std::intptr_t param2) noexcept {
    return closing_ ? 1 : Walk(WalkKind::Query, msg, param1, param2);
}

void TztPluginMsgMan::ClosingBroadcast(int msg, std::intptr_t param1,
                                       std::intptr_t param2) noexcept {
    if (!closing_.exchange(true))
        Walk(WalkKind::Broadcast, msg, param1, param2);
}

std::size_t TztPluginMsgMan::CodeCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return codes_.size();
}

std::size_t TztPluginMsgMan::SubscriptionCount(int msg) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = FindCode(codes_, msg);
    return it == codes_.end() ? 0 : it->records.size();
}

} // namespace zt
