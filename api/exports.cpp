// The two exports of ZentikAPI.dll and the one API object behind them.

#include <windows.h>

#include <atomic>
#include <new>

#include "api/zentik_api.h"
#include "zentik/ztComHelpers.h"
#include "zentik/ztZentikAPI.h"

namespace {

std::atomic<zt::TAPI*> gApi{nullptr};

// The library's own reference, dropped when the library is unloaded, so GetAPI stays
// valid after the clock has released its reference.
struct ApiOwner {
    ~ApiOwner() {
        if (zt::TAPI* api = gApi.exchange(nullptr))
            api->Release();
    }
} gApiOwner;

} // namespace

extern "C" ZT_API_EXPORT void __stdcall GetAPI(IUnknown** api) {
    if (!api)
        return;
    zt::TAPI* existing = gApi.load();
    if (existing)
        existing->AddRef();
    *api = existing;
}

extern "C" ZT_API_EXPORT void __stdcall InitAPI(IUnknown** api, IUnknown* host) {
    // A null host creates nothing, so the clock's later call still installs its own.
    if (host && !gApi.load()) {
        auto created = TztComRef<zt::TAPI>::Attach(new (std::nothrow) zt::TAPI(host));
        zt::TAPI* expected = nullptr;
        if (created && gApi.compare_exchange_strong(expected, created.get()))
            created.release(); // now the library's reference
    }
    GetAPI(api);
}
