#include "tests/plugins/fake_host.h"

#include <algorithm>

#include "common/timer.h"
#include "zentik/ztZentikAPI.h"

namespace zt::test {
namespace {

constexpr UINT kSyncMessage = WM_APP + 7;

struct SyncRequest {
    ZT_MSG_CALLBACK callback;
    int msg;
    INT_PTR param1;
    INT_PTR param2;
    void* userData;
};

template <class I> HRESULT QueryOne(I* self, REFIID riid, REFIID own, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, own)) {
        *object = self;
        self->AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

} // namespace

// ---- FakeClock, FakeLanguage --------------------------------------------------------

HRESULT STDMETHODCALLTYPE FakeClock::QueryInterface(REFIID riid, void** object) {
    return QueryOne(static_cast<ICustomZentik*>(this), riid, IID_ICustomZentik, object);
}

HRESULT STDMETHODCALLTYPE FakeSystemClock::QueryInterface(REFIID riid, void** object) {
    return QueryOne(static_cast<IztSystemClock*>(this), riid, IID_IztSystemClock, object);
}

HRESULT STDMETHODCALLTYPE FakeSystemClock::SetSystemTime(const SYSTEMTIME* utc) {
    if (!utc)
        return E_POINTER;
    std::lock_guard lock(mutex_);
    times_.push_back(*utc);
    return S_OK;
}

std::vector<SYSTEMTIME> FakeSystemClock::Times() {
    std::lock_guard lock(mutex_);
    return times_;
}

HRESULT STDMETHODCALLTYPE FakeLanguage::QueryInterface(REFIID riid, void** object) {
    return QueryOne(static_cast<IztLanguageMan*>(this), riid, IID_IztLanguageMan, object);
}

ZT_LANG_MODULE STDMETHODCALLTYPE FakeLanguage::OpenModule(const wchar_t* name) {
    opened.push_back(name ? name : L"");
    ++open;
    return reinterpret_cast<ZT_LANG_MODULE>(opened.size());
}

BSTR STDMETHODCALLTYPE FakeLanguage::Translate(ZT_LANG_MODULE module, const wchar_t* key) {
    const auto index = reinterpret_cast<size_t>(module);
    const std::wstring name = index >= 1 && index <= opened.size() ? opened[index - 1] : L"?";
    translated.push_back(key ? key : L"");
    return ::SysAllocString((name + L"/" + (key ? key : L"")).c_str());
}

void STDMETHODCALLTYPE FakeLanguage::CloseModule(ZT_LANG_MODULE) {
    --open;
}

// ---- FakePluginMan ------------------------------------------------------------------

FakePluginMan::FakePluginMan() : mainThread_(::GetCurrentThreadId()) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &FakePluginMan::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZtFakePluginManSync";
    ::RegisterClassExW(&wc); // fails harmlessly when registered already
    window_ = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

FakePluginMan::~FakePluginMan() {
    if (window_)
        ::DestroyWindow(window_);
}

ZT_CMND_PROC FakePluginMan::Proc(const std::wstring& name) const {
    if (std::find(deleted.begin(), deleted.end(), name) != deleted.end())
        return nullptr;
    for (const Command& command : commands)
        if (command.data == name)
            return command.proc;
    return nullptr;
}

HRESULT STDMETHODCALLTYPE FakePluginMan::QueryInterface(REFIID riid, void** object) {
    return QueryOne(static_cast<IztPluginMan*>(this), riid, IID_IztPluginMan, object);
}

void STDMETHODCALLTYPE FakePluginMan::NewCommand(IUnknown* plugin, const wchar_t* caption,
                                                 const wchar_t* data, const wchar_t* hint,
                                                 ZT_CMND_PROC proc) {
    commands.push_back(
        {plugin, caption ? caption : L"", data ? data : L"", hint ? hint : L"", proc});
}

void STDMETHODCALLTYPE FakePluginMan::DelCommand(IUnknown*, const wchar_t* data) {
    deleted.push_back(data ? data : L"");
}

void STDMETHODCALLTYPE FakePluginMan::Broadcast(int msg, INT_PTR param1, INT_PTR param2) {
    const std::vector<Subscription> current = subscriptions;
    for (const Subscription& subscription : current) {
        if (subscription.msg == msg &&
            subscription.callback(msg, param1, param2, subscription.userData) != 0)
            return;
    }
}

ZT_SUBSCRIPTION STDMETHODCALLTYPE FakePluginMan::Subscribe(int msg, ZT_MSG_CALLBACK callback,
                                                           void* userData, WORD, WORD) {
    const UINT_PTR id = nextSubscription_++;
    subscriptions.push_back({id, msg, callback, userData});
    return reinterpret_cast<ZT_SUBSCRIPTION>(id);
}

HRESULT STDMETHODCALLTYPE FakePluginMan::Unsubscribe(ZT_SUBSCRIPTION* handle) {
    if (!handle)
        return E_FAIL;
    for (auto it = subscriptions.begin(); it != subscriptions.end(); ++it) {
        if (reinterpret_cast<ZT_SUBSCRIPTION>(it->id) == *handle) {
            subscriptions.erase(it);
            *handle = nullptr;
            return S_OK;
        }
    }
    return E_FAIL;
}

int STDMETHODCALLTYPE FakePluginMan::SyncCall(ZT_MSG_CALLBACK callback, int msg, INT_PTR param1,
                                              INT_PTR param2, void* userData) {
    if (::GetCurrentThreadId() == mainThread_)
        return Call(callback, msg, param1, param2, userData);
    ::InterlockedIncrement(&crossThreadCalls);
    SyncRequest request{callback, msg, param1, param2, userData};
    return static_cast<int>(
        ::SendMessageW(window_, kSyncMessage, 0, reinterpret_cast<LPARAM>(&request)));
}

int FakePluginMan::Call(ZT_MSG_CALLBACK callback, int msg, INT_PTR param1, INT_PTR param2,
                        void* userData) {
    callbackThreads.push_back(::GetCurrentThreadId());
    return callback ? callback(msg, param1, param2, userData) : 0;
}

LRESULT CALLBACK FakePluginMan::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == kSyncMessage) {
        auto* self = reinterpret_cast<FakePluginMan*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* request = reinterpret_cast<const SyncRequest*>(lParam);
        if (!self || !request)
            return 0;
        return self->Call(request->callback, request->msg, request->param1, request->param2,
                          request->userData);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// ---- FakeZentik ---------------------------------------------------------------------

FakeZentik::FakeZentik() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZtFakeClockWindow";
    ::RegisterClassExW(&wc);
    window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 200, 50,
                                nullptr, nullptr, wc.hInstance, nullptr);
}

FakeZentik& FakeZentik::Get() {
    // Never freed: ZentikAPI keeps the pointer until the process ends.
    static FakeZentik* host = [] {
        auto* created = new FakeZentik();
        IUnknown* api = nullptr;
        InitAPI(&api, static_cast<IZentik*>(created));
        if (api)
            api->Release();
        return created;
    }();
    return *host;
}

void FakeZentik::Reset() {
    clock = nullptr;
    panel = nullptr;
    language = nullptr;
    commands = nullptr;
    systemClock = nullptr;
    makesTimers = true;
    timersMade = 0;
    ::RemovePropW(window_, L"PluginsItems");
}

HRESULT STDMETHODCALLTYPE FakeZentik::QueryInterface(REFIID riid, void** object) {
    if (systemClock && object && IsEqualIID(riid, IID_IztSystemClock))
        return systemClock->QueryInterface(riid, object);
    return QueryOne(static_cast<IZentik*>(this), riid, IID_IZentik, object);
}

IUnknown* STDMETHODCALLTYPE FakeZentik::GetInterface(int kind) {
    switch (kind) {
    case ztiClockEngine:
        return clock;
    case ztiLCDPanel:
        return panel;
    case ztiLanguageMan:
        return language;
    case ztiCommands:
        return commands;
    case ztiNewTimer:
        if (!makesTimers)
            return nullptr;
        ++timersMade;
        return CreateInterfacedTimer();
    default:
        return nullptr;
    }
}

} // namespace zt::test
