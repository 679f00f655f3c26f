#include "sysact_plugin.h"

#include <mmsystem.h>

#include <utility>
#include <vector>

#include "common/message_box.h"
#include "common/privilege.h"
#include "common/window_text.h"
#include "plugin_identity.h"
#include "sysact_dialogs.h"
#include "sysact_params.h"

namespace zt {
namespace {

constexpr wchar_t kName[] = L"Sysact.Zentik";
constexpr wchar_t kKillCommand[] = L"ZT_KillCurrentProcess";
constexpr UINT kKillExitCode = 4;

// ---- The host API's text services -----------------------------------------------------

struct ProgramParts {
    std::wstring program;
    std::wstring arguments;
};

ProgramParts SplitProgramLine(const std::wstring& line) {
    ProgramParts parts;
    if (const TztComRef<IZentikAPI> api = ztGetAPI()) {
        TztBstr program, arguments;
        api->SplitCommandLine(line.c_str(), program.put(), arguments.put());
        parts = {program.str(), arguments.str()};
    }
    return parts;
}

// The value of key= in text.
std::wstring ParamOf(std::wstring_view key, const std::wstring& text) {
    const TztComRef<IZentikAPI> api = ztGetAPI();
    return api ? ztTakeBstr(api->GetParam(std::wstring(key).c_str(), text.c_str()))
               : std::wstring();
}

HWND ClockWindow() {
    const TztComRef<IZentik> zentik = ztGetZentik();
    return zentik ? zentik->GetHandle() : nullptr;
}

// ---- The flash thread -----------------------------------------------------------------

struct FlashJob {
    std::shared_ptr<FlashRunState> run;
    HWND window = nullptr;
    FlashParams params;
    HMODULE self = nullptr; // this library, held until the thread has ended
};

DWORD WINAPI FlashThread(void* parameter) {
    std::unique_ptr<FlashJob> job(static_cast<FlashJob*>(parameter));
    const HMODULE self = job->self;
    try {
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_IDLE);
        const bool visible = ::IsWindowVisible(job->window) != FALSE;
        const std::vector<bool> steps = FlashSteps(job->params.count, visible);
        for (size_t i = 0; i < steps.size(); ++i) {
            // Posted to the window's own thread.
            ::ShowWindowAsync(job->window, steps[i] ? SW_SHOWNOACTIVATE : SW_HIDE);
            if (i + 1 == steps.size())
                break;
            if (::WaitForSingleObject(job->run->stop.get(), job->params.period) == WAIT_OBJECT_0) {
                ::ShowWindowAsync(job->window, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
                break;
            }
        }
    } catch (...) {
        ztDebugCaught(L"Sysact flash thread");
    }
    job->run->busy = false;
    job.reset();
    ::FreeLibraryAndExitThread(self, 0);
}

// ---- Routines and editors as the registry calls them ----------------------------------

template <void (TztPlgSysact::*Work)(const std::wstring&)>
void STDMETHODCALLTYPE CommandRoutine(const wchar_t* param) {
    try {
        if (TztPlgSysact* plugin = ztPluginObjectAs<TztPlgSysact>())
            (plugin->*Work)(std::wstring(ztTextView(param)));
    } catch (...) {
        ztDebugCaught(L"Sysact command");
    }
}

void STDMETHODCALLTYPE FlashRoutine(const wchar_t* param) {
    try {
        if (TztPlgSysact* plugin = ztPluginObjectAs<TztPlgSysact>())
            plugin->Flash(std::wstring(ztTextView(param)));
    } catch (...) {
        ztDebugCaught(L"Sysact ZT_FlashClock");
    }
}

void STDMETHODCALLTYPE KillRoutine(IUnknown*) {
    try {
        if (TztPlgSysact* plugin = ztPluginObjectAs<TztPlgSysact>())
            plugin->KillForegroundProcess();
    } catch (...) {
        ztDebugCaught(L"Sysact ZT_KillCurrentProcess");
    }
}

// A failed editor gives the parameter back unchanged.
template <std::wstring (TztPlgSysact::*Edit)(const std::wstring&)>
BSTR STDMETHODCALLTYPE EditorRoutine(const wchar_t* param) {
    try {
        if (TztPlgSysact* plugin = ztPluginObjectAs<TztPlgSysact>())
            return ztAllocBstr((plugin->*Edit)(std::wstring(ztTextView(param))));
    } catch (...) {
        ztDebugCaught(L"Sysact editor");
    }
    return ztAllocBstr(ztTextView(param));
}

struct ParamCommand {
    const wchar_t* name;
    ZT_CMND_PARAM_PROC routine;
    ZT_CMND_EDITOR editor;
};

// Registered in this order, with ZT_KillCurrentProcess between the fourth and the fifth.
constexpr ParamCommand kParamCommands[] = {
    {L"ZT_ExecuteApp", &CommandRoutine<&TztPlgSysact::ExecuteApp>,
     &EditorRoutine<&TztPlgSysact::EditExecuteApp>},
    {L"ZT_ShutDownWin", &CommandRoutine<&TztPlgSysact::ShutDown>,
     &EditorRoutine<&TztPlgSysact::EditShutDown>},
    {L"ZT_ShowMessage", &CommandRoutine<&TztPlgSysact::ShowMessage>,
     &EditorRoutine<&TztPlgSysact::EditShowMessage>},
    {L"ZT_FlashClock", &FlashRoutine, &EditorRoutine<&TztPlgSysact::EditFlash>},
    {L"ZT_DoCommand", &CommandRoutine<&TztPlgSysact::DoCommand>,
     &EditorRoutine<&TztPlgSysact::EditDoCommand>},
};
constexpr size_t kKillPosition = 4;

// ---- The real machine -----------------------------------------------------------------

bool SystemExitWindows(UINT flags, DWORD reason) {
    EnablePrivilege(SE_SHUTDOWN_NAME);
    return ::ExitWindowsEx(flags, reason) != FALSE;
}

bool SystemTerminateProcess(DWORD processId, UINT exitCode) {
    const UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    return process && ::TerminateProcess(process.get(), exitCode) != FALSE;
}

bool SystemPlaySound(const std::wstring& file) {
    return ::PlaySoundW(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC) != FALSE;
}

void SystemStopSound() {
    ::PlaySoundW(nullptr, nullptr, 0);
}

} // namespace

SysactPlatform DefaultSysactPlatform() {
    SysactPlatform platform;
    platform.exitWindows = &SystemExitWindows;
    platform.terminateProcess = &SystemTerminateProcess;
    platform.foregroundWindow = [] { return ::GetForegroundWindow(); };
    platform.playSound = &SystemPlaySound;
    platform.stopSound = &SystemStopSound;
    return platform;
}

TztPlgSysact::TztPlgSysact(SysactPlatform platform) : platform_(std::move(platform)) {
    OnInitialize = [this](TztPlugin&, bool&) { Initialise(); };
    OnFinalize = [this](TztPlugin&, bool&) { Finalise(); };
}

TztPlgSysact::~TztPlgSysact() {
    Finalise();
}

BSTR STDMETHODCALLTYPE TztPlgSysact::GetName() {
    return ::SysAllocString(kName);
}
BSTR STDMETHODCALLTYPE TztPlgSysact::GetAuthor() {
    return ::SysAllocString(kPluginAuthor);
}
BSTR STDMETHODCALLTYPE TztPlgSysact::GetNotice() {
    return PluginNotice(LangBstr(L"Notice"));
}

std::wstring TztPlgSysact::Text(const wchar_t* key) {
    return LangText(key);
}

std::function<std::wstring(const std::wstring&)> TztPlgSysact::Texts() {
    return [this](const std::wstring& key) { return Text(key.c_str()); };
}

void TztPlgSysact::Initialise() {
    cmnd_ = ztGetHostInterface<IztCmnd>(ztiCommands, IID_IztCmnd);
    if (!cmnd_)
        return;
    auto description = [this](const wchar_t* name) {
        return Text((std::wstring(L"CMND_DISCR=") + name).c_str());
    };
    for (size_t i = 0; i < std::size(kParamCommands); ++i) {
        if (i == kKillPosition)
            cmnd_->AddCommand(kKillCommand, &KillRoutine, description(kKillCommand).c_str());
        const ParamCommand& command = kParamCommands[i];
        cmnd_->AddParamCommand(command.name, command.routine, command.editor,
                               description(command.name).c_str());
    }
}

// Safe to repeat.
void TztPlgSysact::Finalise() noexcept {
    if (finalised_.exchange(true))
        return;
    try {
        ::SetEvent(flash_->stop.get());
        if (flashThread_) {
            ::WaitForSingleObject(flashThread_.get(), platform_.stopBoundMs);
            flashThread_.reset();
        }
        if (cmnd_) {
            for (const ParamCommand& command : kParamCommands) {
                if (&command == &kParamCommands[kKillPosition])
                    cmnd_->DeleteCommand(kKillCommand);
                cmnd_->DeleteCommand(command.name);
            }
            cmnd_.reset();
        }
    } catch (...) {
        ztDebugCaught(L"Sysact finalisation");
    }
}

void TztPlgSysact::ExecuteApp(const std::wstring& param) {
    const ProgramParts parts = SplitProgramLine(param);
    if (parts.program.empty())
        return;
    if (const TztComRef<IZentikAPI> api = ztGetAPI())
        api->ShellOpen(parts.program.c_str(), parts.arguments.c_str());
}

void TztPlgSysact::ShutDown(const std::wstring& param) {
    platform_.exitWindows(ExitWindowsFlags(param), kShutdownReason);
}

void TztPlgSysact::ShowMessage(const std::wstring& param) {
    const ProgramParts parts = SplitProgramLine(param);
    const std::wstring& text = parts.program;
    const std::wstring& sound = parts.arguments;
    if (!sound.empty())
        platform_.playSound(sound);
    if (text.empty())
        return;
    ShowMessageBox(nullptr, text.c_str(), Text(L"MsgHead").c_str(),
                   MB_ICONINFORMATION | MB_TOPMOST);
    if (!sound.empty())
        platform_.stopSound();
    if (const TztComRef<IZentikAPI> api = ztGetAPI())
        api->TrimWorkingSet();
}

bool TztPlgSysact::Flash(const std::wstring& param) {
    if (finalised_)
        return false;
    HWND window = ClockWindow();
    if (!window)
        return false;
    bool idle = false;
    if (!flash_->busy.compare_exchange_strong(idle, true))
        return false;
    auto job = std::make_unique<FlashJob>();
    job->run = flash_;
    job->window = window;
    job->params = ParseFlash(param);
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<const wchar_t*>(&FlashThread), &job->self)) {
        flash_->busy = false;
        return false;
    }
    HANDLE thread = ::CreateThread(nullptr, 0, &FlashThread, job.get(), 0, nullptr);
    if (!thread) {
        ::FreeLibrary(job->self);
        flash_->busy = false;
        return false;
    }
    job.release(); // the thread owns it
    flashThread_.reset(thread);
    return true;
}

void TztPlgSysact::KillForegroundProcess() {
    HWND foreground = platform_.foregroundWindow();
    if (!foreground || foreground == ClockWindow())
        return;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(foreground, &processId);
    // Never the clock itself (another of its windows may be in front).
    if (processId == 0 || processId == ::GetCurrentProcessId())
        return;
    platform_.terminateProcess(processId, kKillExitCode);
}

void TztPlgSysact::DoCommand(const std::wstring& param) {
    const DoCommandParts parts = SplitDoCommand(param);
    if (parts.command.empty())
        return;
    const TitleCondition condition =
        ChooseTitleCondition(parts.condition, ParamOf(kNotContainKey, parts.condition),
                             ParamOf(kContainKey, parts.condition));
    HWND foreground = platform_.foregroundWindow();
    if (!TitleConditionHolds(condition, foreground ? WindowText(foreground) : std::wstring()))
        return;
    if (const TztComRef<IZentikAPI> api = ztGetAPI())
        api->ExecCommand(parts.command.c_str());
}

std::wstring TztPlgSysact::EditExecuteApp(const std::wstring& param) {
    const ProgramParts parts = SplitProgramLine(param);
    TfrmCfg dialog(Texts(),
                   {L"TitleExecute", L"rsLbl1Execute", L"Lbl2Execute", true, Text(L"ExeFilter")},
                   parts.program, parts.arguments);
    dialog.Run(ClockWindow());
    return ComposeProgramLine(dialog.First(), dialog.Second());
}

std::wstring TztPlgSysact::EditShowMessage(const std::wstring& param) {
    const ProgramParts parts = SplitProgramLine(param);
    TfrmCfg dialog(Texts(),
                   {L"TitleShowMsg", L"Lbl1ShowMsg", L"Lbl2ShowMsg", false, Text(L"WavFilter")},
                   parts.program, parts.arguments);
    dialog.Run(ClockWindow());
    return ComposeMessage(dialog.First(), dialog.Second());
}

std::wstring TztPlgSysact::EditShutDown(const std::wstring& param) {
    TfrmShDwn dialog(Texts(), ShutdownFlagsIn(param));
    dialog.Run(ClockWindow());
    return ComposeShutdownFlags(dialog.Choice());
}

std::wstring TztPlgSysact::EditFlash(const std::wstring& param) {
    TfrmFlash dialog(Texts(), ParseFlash(param));
    dialog.Run(ClockWindow());
    return ComposeFlash(dialog.Params());
}

std::wstring TztPlgSysact::EditDoCommand(const std::wstring& param) {
    const DoCommandParts parts = SplitDoCommand(param);
    const DoCommandChoice choice =
        InitialDoCommandChoice(parts.condition, ParamOf(kNotContainKey, parts.condition),
                               ParamOf(kContainKey, parts.condition));
    TfrmDoCmnd dialog(Texts(), cmnd_.get(), choice, parts.command);
    dialog.Run(ClockWindow());
    return ComposeDoCommand(dialog.Choice(), dialog.Command());
}

} // namespace zt
