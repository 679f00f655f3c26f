// A plug-in for the host's tests: it announces one menu command, records the clock's
// notifications it receives (FixtureReceived) and reports its life through
// FixtureCounters. FixtureSetMode makes its next Initialize or Finalize fail;
// FixtureSubscribe subscribes its recorder to one more code; FixtureSubscribeHold
// subscribes a callback that stays inside until FixtureRelease.

#include <windows.h>

#include <new>
#include <stdexcept>

#include "zentik/ztPluginInt.h"

namespace {

LONG g_initialized = 0;
LONG g_finalized = 0;
LONG g_seconds = 0;
LONG g_commands = 0;

enum FixtureMode : LONG {
    kNormal = 0,
    kInitializeFalse = 1, // subscribes, then refuses
    kInitializeThrows = 2,
    kFinalizeThrows = 3, // cleans up and destroys itself, then throws
};
LONG g_mode = kNormal;
// The manager of the initialised plug-in; null before and after.
IztPluginMan* g_manager = nullptr;

void STDMETHODCALLTYPE CountCommand(IUnknown*) {
    ::InterlockedIncrement(&g_commands);
}

// The notifications of the clock window it listens to.
constexpr int kListened[] = {msgSecond, msgClosing,     msgTimeChanged,  msgShown,
                             msgHidden, msgSaving,      msgPanelResized, msgWindowMoved,
                             msgMinute, msgClockChanged};

struct Received {
    int code;
    INT_PTR param1;
};
constexpr LONG kLogSize = 4096;
Received g_log[kLogSize];
LONG g_logCount = 0;

int STDMETHODCALLTYPE Record(int msg, INT_PTR param1, INT_PTR, void*) {
    if (msg == msgSecond)
        ::InterlockedIncrement(&g_seconds);
    const LONG index = ::InterlockedIncrement(&g_logCount) - 1;
    if (index < kLogSize)
        g_log[index] = {msg, param1};
    return 0;
}

// The held callback: counts the callers inside, who stay until FixtureRelease.
struct ReleaseEvent {
    HANDLE handle = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~ReleaseEvent() {
        if (handle)
            ::CloseHandle(handle);
    }
} g_release;
LONG g_held = 0;

int STDMETHODCALLTYPE Hold(int, INT_PTR, INT_PTR, void*) {
    ::InterlockedIncrement(&g_held);
    ::WaitForSingleObject(g_release.handle, 10000);
    ::InterlockedDecrement(&g_held);
    return 0;
}

BSTR Text(const wchar_t* text) {
    return ::SysAllocString(text);
}

class FixturePlugin final : public IztPlugin {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IztPlugin)) {
            *object = static_cast<IztPlugin*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override { return ::InterlockedDecrement(&refs_); }
    BSTR STDMETHODCALLTYPE GetName() override { return Text(L"Fixture.Zentik"); }
    BSTR STDMETHODCALLTYPE GetCaption() override { return Text(L"Fixture"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return Text(L"1.0"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override { return Text(L"Zentik"); }
    BSTR STDMETHODCALLTYPE GetNotice() override { return Text(L""); }
    BSTR STDMETHODCALLTYPE GetDescription() override { return Text(L""); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }
    void STDMETHODCALLTYPE Configure() override {}
    BOOL STDMETHODCALLTYPE Initialize(IUnknown* manager) override {
        if (!manager ||
            FAILED(manager->QueryInterface(IID_IztPluginMan, reinterpret_cast<void**>(&manager_))))
            return FALSE;
        manager_->NewCommand(this, L"Fixture item", L"pm_FixtureCount", L"Counts", &CountCommand);
        for (int i = 0; i < kListenedCount; ++i)
            subscriptions_[i] = manager_->Subscribe(kListened[i], &Record, this, 0, 0);
        if (g_mode == kInitializeFalse)
            return FALSE;
        if (g_mode == kInitializeThrows)
            throw std::runtime_error("fixture: Initialize fails");
        ::InterlockedIncrement(&g_initialized);
        g_manager = manager_;
        return TRUE;
    }
    BOOL STDMETHODCALLTYPE Finalize() override {
        g_manager = nullptr;
        if (manager_) {
            for (ZT_SUBSCRIPTION& subscription : subscriptions_)
                manager_->Unsubscribe(&subscription);
            manager_->DelCommand(this, L"pm_FixtureCount");
        }
        ::InterlockedIncrement(&g_finalized);
        delete this;
        if (g_mode == kFinalizeThrows)
            throw std::runtime_error("fixture: Finalize fails");
        return TRUE;
    }

private:
    LONG refs_ = 1;
    IztPluginMan* manager_ = nullptr; // not counted: the manager outlives its plug-ins
    static constexpr int kListenedCount = sizeof(kListened) / sizeof(kListened[0]);
    ZT_SUBSCRIPTION subscriptions_[kListenedCount] = {};
};

} // namespace

extern "C" __declspec(dllexport) void __stdcall ztRegisterPlugin(IUnknown** plugin) {
    if (plugin)
        *plugin = static_cast<IztPlugin*>(new (std::nothrow) FixturePlugin());
}

extern "C" __declspec(dllexport) void __stdcall FixtureCounters(LONG* initialized, LONG* finalized,
                                                                LONG* seconds, LONG* commands) {
    *initialized = g_initialized;
    *finalized = g_finalized;
    *seconds = g_seconds;
    *commands = g_commands;
}

extern "C" __declspec(dllexport) void __stdcall FixtureSetMode(LONG mode) {
    g_mode = mode;
}

// The count of notifications received so far; with index in range, also that one's code
// and first parameter.
extern "C" __declspec(dllexport) LONG
    __stdcall FixtureReceived(LONG index, int* code, INT_PTR* param1) {
    const LONG count = g_logCount < kLogSize ? g_logCount : kLogSize;
    if (index >= 0 && index < count) {
        *code = g_log[index].code;
        *param1 = g_log[index].param1;
    }
    return count;
}

// Subscribes the recorder to code with flags, left to the host to remove at unload; FALSE
// while no plug-in is initialised or when the subscription failed.
extern "C" __declspec(dllexport) BOOL __stdcall FixtureSubscribe(int code, WORD flags) {
    return g_manager && g_manager->Subscribe(code, &Record, nullptr, 0, flags) ? TRUE : FALSE;
}

extern "C" __declspec(dllexport) BOOL __stdcall FixtureSubscribeHold(int code) {
    return g_manager && g_manager->Subscribe(code, &Hold, nullptr, 0, 0) ? TRUE : FALSE;
}

// Callers inside the held callback.
extern "C" __declspec(dllexport) LONG __stdcall FixtureHeld() {
    return g_held;
}

extern "C" __declspec(dllexport) void __stdcall FixtureRelease() {
    ::SetEvent(g_release.handle);
}
