#pragma once
// Host doubles for plug-in tests: the clock window as IZentik (handed to ZentikAPI's
// InitAPI once per process) that makes real timers, a clock engine that records text
// suspension, a plug-in manager that records commands and runs SyncCall on the main
// thread, and a language manager that records its use.

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "zentik/ztPluginInt.h"
#include "zentik/ztLanguageMan.h"
#include "zentik/ztZentikInterface.h"

#include "tests/plugins/plugin_test_util.h"

namespace zt::test {

// Counted with interlocked operations; the object is never deleted by Release.
class RefCounted {
public:
    LONG Refs() const { return refs_; }

protected:
    ULONG AddRefImpl() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG ReleaseImpl() { return static_cast<ULONG>(::InterlockedDecrement(&refs_)); }

private:
    volatile LONG refs_ = 0;
};

class FakeClock final : public ICustomZentik, public RefCounted {
public:
    bool suspended = false;
    int suspendCalls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }
    void STDMETHODCALLTYPE SetTextSuspended(BOOL value) override {
        suspended = value != FALSE;
        ++suspendCalls;
    }
    BOOL STDMETHODCALLTYPE GetTextSuspended() override { return suspended; }

    void STDMETHODCALLTYPE SetAlarmTime(ZT_DATETIME) override {}
    ZT_DATETIME STDMETHODCALLTYPE GetAlarmTime() override { return 0; }
    WORD STDMETHODCALLTYPE SetFastTact() override { return 0; }
    WORD STDMETHODCALLTYPE SetNormalTact() override { return 0; }
    WORD STDMETHODCALLTYPE SetSlowTact() override { return 0; }
    void STDMETHODCALLTYPE Refresh() override {}
    void STDMETHODCALLTYPE SetTact(WORD) override {}
    WORD STDMETHODCALLTYPE GetTact() override { return 0; }
    BOOL STDMETHODCALLTYPE IsAlarmTime(ZT_DATETIME) override { return FALSE; }
    BYTE STDMETHODCALLTYPE GetAlarmPart(int) override { return 0; }
    HRESULT STDMETHODCALLTYPE SetAlarmPart(int, BYTE) override { return S_OK; }
    BSTR STDMETHODCALLTYPE GetCustomFormat() override { return ::SysAllocString(L""); }
    void STDMETHODCALLTYPE SetCustomFormat(const wchar_t*) override {}
    BOOL STDMETHODCALLTYPE GetUseCustomFormat() override { return FALSE; }
    void STDMETHODCALLTYPE SetUseCustomFormat(BOOL) override {}
    BOOL STDMETHODCALLTYPE GetShowSeconds() override { return FALSE; }
    void STDMETHODCALLTYPE SetShowSeconds(BOOL) override {}
    BOOL STDMETHODCALLTYPE GetSecondFlash() override { return FALSE; }
    void STDMETHODCALLTYPE SetSecondFlash(BOOL) override {}
    BOOL STDMETHODCALLTYPE GetAlarmEnabled() override { return FALSE; }
    void STDMETHODCALLTYPE SetAlarmEnabled(BOOL) override {}
};

// Records the UTC times it is asked to set (from any thread); never sets the real clock.
class FakeSystemClock final : public IztSystemClock, public RefCounted {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }
    HRESULT STDMETHODCALLTYPE SetSystemTime(const SYSTEMTIME* utc) override;

    std::vector<SYSTEMTIME> Times();

private:
    std::mutex mutex_;
    std::vector<SYSTEMTIME> times_;
};

// Texts are "<module>/<key>"; every call is recorded.
class FakeLanguage final : public IztLanguageMan, public RefCounted {
public:
    std::vector<std::wstring> opened;
    std::vector<std::wstring> translated;
    int open = 0; // modules opened and not closed

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }
    BSTR STDMETHODCALLTYPE GetLanguageList(const wchar_t*) override {
        return ::SysAllocString(L"");
    }
    void STDMETHODCALLTYPE SetLanguage(const wchar_t*) override {}
    BSTR STDMETHODCALLTYPE GetLanguage() override { return ::SysAllocString(L"en"); }
    ZT_LANG_MODULE STDMETHODCALLTYPE OpenModule(const wchar_t* name) override;
    BSTR STDMETHODCALLTYPE Translate(ZT_LANG_MODULE module, const wchar_t* key) override;
    void STDMETHODCALLTYPE CloseModule(ZT_LANG_MODULE module) override;
    void STDMETHODCALLTYPE Hold() override {}
    void STDMETHODCALLTYPE ReleaseHold() override {}
};

class FakePluginMan final : public IztPluginMan, public RefCounted {
public:
    struct Command {
        IUnknown* plugin;
        std::wstring caption, data, hint;
        ZT_CMND_PROC proc;
    };
    std::vector<Command> commands;
    std::vector<std::wstring> deleted;
    LONG crossThreadCalls = 0;
    // Threads on which SyncCall ran its callbacks.
    std::vector<DWORD> callbackThreads;
    // The subscriptions in force, in order; Broadcast calls them.
    struct Subscription {
        UINT_PTR id;
        int msg;
        ZT_MSG_CALLBACK callback;
        void* userData;
    };
    std::vector<Subscription> subscriptions;

    // Must be created on the main thread, which must pump messages while a worker waits.
    FakePluginMan();
    ~FakePluginMan();
    FakePluginMan(const FakePluginMan&) = delete;
    FakePluginMan& operator=(const FakePluginMan&) = delete;

    // The routine of a registered (and not deleted) command, or null.
    ZT_CMND_PROC Proc(const std::wstring& name) const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }
    IztPlugin* STDMETHODCALLTYPE GetPlugin(int) override { return nullptr; }
    int STDMETHODCALLTYPE IndexOfPlugin(const wchar_t*) override { return -1; }
    HMODULE STDMETHODCALLTYPE GetPluginHandle(int) override { return nullptr; }
    int STDMETHODCALLTYPE GetPluginCount() override { return 0; }
    HRESULT STDMETHODCALLTYPE LoadPlugin(const wchar_t*) override { return E_FAIL; }
    void STDMETHODCALLTYPE LoadPlugins() override {}
    HRESULT STDMETHODCALLTYPE UnloadPlugin(int) override { return E_INVALIDARG; }
    void STDMETHODCALLTYPE UnloadAllPlugins() override {}
    BSTR STDMETHODCALLTYPE GetPluginFolder() override { return ::SysAllocString(L"Plugins"); }
    void STDMETHODCALLTYPE Broadcast(int msg, INT_PTR param1, INT_PTR param2) override;
    ZT_SUBSCRIPTION STDMETHODCALLTYPE Subscribe(int msg, ZT_MSG_CALLBACK callback, void* userData,
                                                WORD, WORD) override;
    HRESULT STDMETHODCALLTYPE Unsubscribe(ZT_SUBSCRIPTION* handle) override;
    int STDMETHODCALLTYPE Query(int, INT_PTR, INT_PTR) override { return 1; }
    void STDMETHODCALLTYPE NewCommand(IUnknown* plugin, const wchar_t* caption, const wchar_t* data,
                                      const wchar_t* hint, ZT_CMND_PROC proc) override;
    void STDMETHODCALLTYPE DelCommand(IUnknown* plugin, const wchar_t* data) override;
    int STDMETHODCALLTYPE SyncCall(ZT_MSG_CALLBACK callback, int msg, INT_PTR param1,
                                   INT_PTR param2, void* userData) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    int Call(ZT_MSG_CALLBACK callback, int msg, INT_PTR param1, INT_PTR param2, void* userData);

    DWORD mainThread_;
    HWND window_ = nullptr;
    UINT_PTR nextSubscription_ = 1;
};

// The clock window as plug-ins see it. One per process (ZentikAPI keeps the first host it
// is given); tests set what GetInterface hands out.
class FakeZentik final : public IZentik {
public:
    IUnknown* clock = nullptr;    // ztiClockEngine
    IUnknown* panel = nullptr;    // ztiLCDPanel
    IUnknown* language = nullptr; // ztiLanguageMan
    IUnknown* commands = nullptr; // ztiCommands

    // Answers QueryInterface for IID_IztSystemClock while set.
    IUnknown* systemClock = nullptr;
    // ztiNewTimer makes a timer of the clock's timer service while this is set.
    bool makesTimers = true;
    int timersMade = 0;

    // The process's host, registered with InitAPI on first use (main thread).
    static FakeZentik& Get();

    // A hidden top-level window: GetHandle, the parent of test panels and the holder
    // of the "PluginsItems" property.
    HWND Window() const { return window_; }
    // Clears the interfaces, the timer count and the menu property; makes timers again.
    void Reset();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    IUnknown* STDMETHODCALLTYPE GetInterface(int kind) override;
    void STDMETHODCALLTYPE DoAction(int) override {}
    INT_PTR STDMETHODCALLTYPE GetValue(int) override { return 0; }
    void STDMETHODCALLTYPE SetValue(int, INT_PTR) override {}
    HWND STDMETHODCALLTYPE GetHandle() override { return window_; }
    BSTR STDMETHODCALLTYPE GetAlarmCommand() override { return ::SysAllocString(L""); }
    void STDMETHODCALLTYPE SetAlarmCommand(const wchar_t*) override {}
    void STDMETHODCALLTYPE ApplyLanguage() override {}

private:
    FakeZentik();
    HWND window_ = nullptr;
};

} // namespace zt::test
