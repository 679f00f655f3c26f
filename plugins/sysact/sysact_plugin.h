#pragma once
// TztPlgSysact: six clock commands that act on the system or on the clock window, each
// with its parameter string (sysact_params.h) and, but for ZT_KillCurrentProcess, an editor
// dialog (sysact_dialogs.h):
//   ZT_ExecuteApp          runs a program line through the shell;
//   ZT_ShutDownWin         ends the Windows session with the flags named;
//   ZT_ShowMessage         plays a sound file and shows a message box;
//   ZT_FlashClock          hides and shows the clock window count times, period ms apart;
//   ZT_KillCurrentProcess  ends the program owning the foreground window;
//   ZT_DoCommand           runs a clock command when the foreground window's title matches.
//
// Commands may run on any thread (the Scheduler runs them on workers). The flash runs on a
// thread of its own at idle priority, one at a time; it changes the clock window only
// through posted requests (ShowWindowAsync), holds a reference on this library until it
// has ended, and stops between steps when the plug-in is finalised, which waits for it with
// a bound.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "common/handles.h"
#include "zentik/ztPlugin.h"

namespace zt {

// What the commands reach outside the clock; tests replace each part.
struct SysactPlatform {
    // Enables the shut-down privilege and calls ExitWindowsEx; false on failure.
    std::function<bool(UINT flags, DWORD reason)> exitWindows;
    // Terminates the process with exitCode; false on failure.
    std::function<bool(DWORD processId, UINT exitCode)> terminateProcess;
    std::function<HWND()> foregroundWindow;
    // Starts playing a WAVE file and returns at once; stopSound ends it.
    std::function<bool(const std::wstring& file)> playSound;
    std::function<void()> stopSound;
    DWORD stopBoundMs = 3000; // finalisation's wait for the flash thread
};

// The real machine: ExitWindowsEx, TerminateProcess, GetForegroundWindow and PlaySound.
SysactPlatform DefaultSysactPlatform();

// Shared by the plug-in and its flash thread.
struct FlashRunState {
    std::atomic<bool> busy{false};
    UniqueEvent stop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

class TztPlgSysact final : public TztPlugin {
public:
    explicit TztPlgSysact(SysactPlatform platform = DefaultSysactPlatform());
    ~TztPlgSysact() override;

    BSTR STDMETHODCALLTYPE GetName() override;
    BSTR STDMETHODCALLTYPE GetCaption() override { return LangBstr(L"Caption"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"2.2"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override;
    BSTR STDMETHODCALLTYPE GetNotice() override;
    BSTR STDMETHODCALLTYPE GetDescription() override { return LangBstr(L"Description"); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }

    // The commands' work (any thread).
    void ExecuteApp(const std::wstring& param);
    void ShutDown(const std::wstring& param);
    void ShowMessage(const std::wstring& param);
    // False when a flash is running already (or none could start).
    bool Flash(const std::wstring& param);
    void KillForegroundProcess();
    void DoCommand(const std::wstring& param);

    // The editors' work (GUI thread): the new parameter string.
    std::wstring EditExecuteApp(const std::wstring& param);
    std::wstring EditShutDown(const std::wstring& param);
    std::wstring EditShowMessage(const std::wstring& param);
    std::wstring EditFlash(const std::wstring& param);
    std::wstring EditDoCommand(const std::wstring& param);

    bool Flashing() const noexcept { return flash_->busy; }
    std::wstring Text(const wchar_t* key);

private:
    // Text as the dialogs take it.
    std::function<std::wstring(const std::wstring&)> Texts();
    void Initialise();
    void Finalise() noexcept;

    SysactPlatform platform_;
    TztComRef<IztCmnd> cmnd_;
    std::shared_ptr<FlashRunState> flash_ = std::make_shared<FlashRunState>();
    UniqueThread flashThread_;
    std::atomic<bool> finalised_{false};
};

} // namespace zt
