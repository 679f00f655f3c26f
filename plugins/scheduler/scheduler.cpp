// Scheduler.pzt: runs clock commands at planned times. The plug-in object TztPlgSheduler
// holds the task list (TSchedulerEngine), keeps it in the registry (TScheduleStore), waits
// for the first task on one clock message of the plug-in manager's bus, restarts every task
// when the system time changes, adds the command "pm_ShedulerShow" with its menu item, and
// puts its frame onto the alarm page of the options dialog.
//
// Threads: the clock, time-change and setup messages arrive on the GUI thread, where the
// windows live too. Command routines and SchedShowNewTask may be called on any thread, so
// they hand their work to the GUI thread through the plug-in manager's SyncCall (which runs
// it in place on that thread). Task commands run on worker threads of the host's registry.

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "alarm_frame.h"
#include "common/eight_bit_text.h"
#include "common/module_window_class.h"
#include "common/program_folder.h"
#include "common/system_time.h"
#include "plugin_identity.h"
#include "schedule_store.h"
#include "scheduler_engine.h"
#include "scheduler_ui.h"
#include "zentik/ztPlugin.h"

namespace zt {
namespace {

constexpr wchar_t kName[] = L"Scheduler.Zentik";
constexpr wchar_t kShowCommand[] = L"pm_ShedulerShow";
// Priorities on the bus: the clock message, and the time-change and setup messages.
constexpr WORD kClockPriority = 100;
constexpr WORD kPlainPriority = 0;

class TztPlgSheduler final : public TztPlugin {
public:
    TztPlgSheduler()
        : engine_(SchedulerPlatform{
              &LocalNow,
              [this](int tick) { Arm(tick); },
              [this](const std::wstring& name, const std::wstring& params) {
                  if (cmnd_)
                      cmnd_->ExecuteInThread(name.c_str(), params.c_str());
              },
              [] { RefillSchedulerWindow(); },
          }) {
        OnInitialize = [this](TztPlugin&, bool&) { Initialise(); };
        OnFinalize = [this](TztPlugin&, bool&) { Finalise(); };
        OnConfigure = [this](TztPlugin&) { ShowScheduler(); };
        OnSetupClosed = [this](TztPlugin&, bool) {
            if (frame_)
                frame_->SaveEvents();
        };
    }

    // The list goes back to the registry and is freed (only a list that was loaded: an
    // object released without initialisation must not wipe the stored one).
    ~TztPlgSheduler() override {
        try {
            Finalise();
            if (loaded_)
                store_.Save(engine_.List());
            engine_.List().Clear();
        } catch (...) {
            ztDebugCaught(L"Scheduler destructor");
        }
    }

    BSTR STDMETHODCALLTYPE GetName() override { return ::SysAllocString(kName); }
    BSTR STDMETHODCALLTYPE GetCaption() override { return LangBstr(L"Caption"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"2.2"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override { return ::SysAllocString(kPluginAuthor); }
    BSTR STDMETHODCALLTYPE GetNotice() override { return PluginNotice(LangBstr(L"Notice")); }
    BSTR STDMETHODCALLTYPE GetDescription() override { return LangBstr(L"Description"); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }

    // GUI thread only; between initialisation and finalisation.
    void ShowScheduler() {
        if (loaded_ && !finalised_)
            ShowSchedulerWindow(ui_);
    }
    void NewTask(const std::wstring& command) {
        if (loaded_ && !finalised_)
            SchedulerNewTask(ui_, command);
    }

private:
    void Initialise() {
        cmnd_ = ztGetHostInterface<IztCmnd>(ztiCommands, IID_IztCmnd);
        lang_ = std::make_unique<TztLangModule>(kName);
        ui_.engine = &engine_;
        ui_.cmnd = cmnd_.get();
        ui_.text = [this](const wchar_t* key) { return Text(key); };
        ui_.saveList = [this] { store_.Save(engine_.List()); };
        ui_.windowDestroyed = [] {
            if (const TztComRef<IZentikAPI> api = ztGetAPI())
                api->TrimWorkingSet();
        };

        store_.Load(engine_.List(), LocalNow());
        loaded_ = true;
        TztComRef<IztPluginMan> man = PluginMan();
        if (man) {
            timeChanged_ = man->Subscribe(msgTimeChanged, &TimeChanged, this, kPlainPriority, 0);
            setupCreated_ = man->Subscribe(msgSetupCreated, &SetupCreated, this, kPlainPriority, 0);
            commandRegistered_ = true;
            man->NewCommand(static_cast<IztPlugin*>(this), Text(L"MenuItem").c_str(), kShowCommand,
                            Text(L"MenuItemHelp").c_str(), &ShowSchedulerCommand);
        }
        engine_.ArmScheduler();
    }

    // Safe to repeat: each step undoes only what is still there.
    void Finalise() {
        if (finalised_)
            return;
        finalised_ = true;
        if (TztComRef<IztPluginMan> man = PluginMan()) {
            for (ZT_SUBSCRIPTION* subscription : {&setupCreated_, &timeChanged_, &armed_}) {
                if (*subscription)
                    man->Unsubscribe(subscription);
                *subscription = nullptr;
            }
            if (std::exchange(commandRegistered_, false))
                man->DelCommand(static_cast<IztPlugin*>(this), kShowCommand);
        }
        CloseSchedulerWindow();
        frame_.reset();
        lang_.reset();
    }

    std::wstring Text(const wchar_t* key) const { return lang_ ? lang_->Translate(key) : L""; }

    // The engine's arm: RunDueTasks on clock message tick instead of the one armed (0: none).
    // Called from inside the armed message's own callback too; the bus calls a subscription
    // made during a broadcast from the next broadcast on.
    void Arm(int tick) {
        TztComRef<IztPluginMan> man = PluginMan();
        if (!man)
            return;
        if (armed_)
            man->Unsubscribe(&armed_);
        armed_ = nullptr;
        if (tick != 0 && !finalised_)
            armed_ = man->Subscribe(tick, &ClockTick, this, kClockPriority, 0);
    }

    void AttachFrame(HWND dialog) {
        frame_.reset();
        AlarmFrameContext context;
        context.engine = &engine_;
        context.text = [this](const wchar_t* key) { return Text(key); };
        context.showScheduler = [this] { ShowScheduler(); };
        context.newTask = [this](const std::wstring& command) { NewTask(command); };
        context.eventsFile = ModuleFolder(CurrentModule()) + L"\\Events.sav";
        frame_ = AttachAlarmFrame(dialog, std::move(context));
    }

    // Param1: the address of the current date-time.
    static int STDMETHODCALLTYPE ClockTick(int, INT_PTR param1, INT_PTR, void* self) {
        try {
            const DateTime now = param1 ? *reinterpret_cast<const double*>(param1) : LocalNow();
            static_cast<TztPlgSheduler*>(self)->engine_.RunDueTasks(now);
        } catch (...) {
            ztDebugCaught(L"Scheduler clock message");
        }
        return 0;
    }

    static int STDMETHODCALLTYPE TimeChanged(int, INT_PTR, INT_PTR, void* self) {
        try {
            static_cast<TztPlgSheduler*>(self)->engine_.RestartAllTasks();
        } catch (...) {
            ztDebugCaught(L"Scheduler time change");
        }
        return 0;
    }

    // Param1: the setup dialog.
    static int STDMETHODCALLTYPE SetupCreated(int, INT_PTR param1, INT_PTR, void* self) {
        try {
            static_cast<TztPlgSheduler*>(self)->AttachFrame(reinterpret_cast<HWND>(param1));
        } catch (...) {
            ztDebugCaught(L"Scheduler alarm frame");
        }
        return 0;
    }

    static void STDMETHODCALLTYPE ShowSchedulerCommand(IUnknown*);

    TScheduleStore store_;
    TztComRef<IztCmnd> cmnd_;
    std::unique_ptr<TztLangModule> lang_;
    ZT_SUBSCRIPTION timeChanged_ = nullptr;
    ZT_SUBSCRIPTION setupCreated_ = nullptr;
    ZT_SUBSCRIPTION armed_ = nullptr;
    bool commandRegistered_ = false;
    bool loaded_ = false;
    bool finalised_ = false;
    std::unique_ptr<TFAlarm> frame_;
    SchedulerUiContext ui_;
    // Last: its platform calls into the members above.
    TSchedulerEngine engine_;
};

// On the GUI thread; param1: the new task's command line (std::wstring*) or 0 for the list.
int STDMETHODCALLTYPE ShowOnGuiThread(int, INT_PTR param1, INT_PTR, void*) {
    try {
        if (TztPlgSheduler* plugin = ztPluginObjectAs<TztPlgSheduler>()) {
            if (param1)
                plugin->NewTask(*reinterpret_cast<const std::wstring*>(param1));
            else
                plugin->ShowScheduler();
        }
    } catch (...) {
        ztDebugCaught(L"Scheduler window");
    }
    return 0;
}

void RunOnGuiThread(const std::wstring* command) noexcept {
    TztPlgSheduler* plugin = ztPluginObjectAs<TztPlgSheduler>();
    if (!plugin)
        return;
    const auto param = reinterpret_cast<INT_PTR>(command);
    if (TztComRef<IztPluginMan> man = plugin->PluginMan())
        man->SyncCall(&ShowOnGuiThread, 0, param, 0, nullptr);
    else
        ShowOnGuiThread(0, param, 0, nullptr);
}

void STDMETHODCALLTYPE TztPlgSheduler::ShowSchedulerCommand(IUnknown*) {
    RunOnGuiThread(nullptr);
}

} // namespace
} // namespace zt

ZT_REGISTER_PLUGIN(zt::TztPlgSheduler)

// Opens the scheduler's new-task dialog with command (8-bit text: UTF-8 when valid, else
// the ANSI code page) as its command line; for other plug-ins.
extern "C" void __stdcall SchedShowNewTask(const char* command) {
    try {
        const std::wstring text = zt::DecodeEightBitText(command ? command : "");
        zt::RunOnGuiThread(&text);
    } catch (...) {
        ztDebugCaught(L"SchedShowNewTask");
    }
}
