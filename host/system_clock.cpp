#include "host/system_clock.h"

#include <mutex>
#include <utility>

#include "common/diag_log.h"
#include "common/privilege.h"

namespace zt {
namespace {

std::mutex& HandlerLock() {
    static std::mutex lock;
    return lock;
}

SystemClockHandler& Handler() {
    static SystemClockHandler handler;
    return handler;
}

HRESULT LastError() {
    return HRESULT_FROM_WIN32(::GetLastError());
}

HRESULT SetWithPrivilege(const SYSTEMTIME& utc) {
    EnablePrivilege(SE_SYSTEMTIME_NAME);
    if (::SetSystemTime(&utc))
        return S_OK;
    const HRESULT error = LastError();
    DiagLog(L"SetSystemTime refused: " + SystemErrorText(::GetLastError()));
    return FAILED(error) ? error : E_FAIL;
}

} // namespace

HRESULT SetSystemClock(const SYSTEMTIME& utc) {
    SystemClockHandler handler;
    {
        std::lock_guard<std::mutex> guard(HandlerLock());
        handler = Handler();
    }
    return handler ? handler(utc) : SetWithPrivilege(utc);
}

SystemClockHandler SetSystemClockHandler(SystemClockHandler handler) {
    std::lock_guard<std::mutex> guard(HandlerLock());
    return std::exchange(Handler(), std::move(handler));
}

} // namespace zt
