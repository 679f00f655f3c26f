// Stopwatch.pzt: while switched on, the clock engine's text is suspended and the
// plug-in writes the elapsed time into the clock's LCD panel every 25 ms, on a timer it
// gets from the clock (ztiNewTimer). Built on the SDK alone, as an example for authors.
//
// The timer and the panel belong to the GUI thread. The action routines may be started
// on a worker thread (ExecuteInThread, scheduled tasks), so every routine hands its work
// to the GUI thread through the plug-in manager's SyncCall, which runs it in place when
// called on that thread.

#include <windows.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <utility>

#include "plugin_identity.h"
#include "stopwatch_core.h"
#include "zentik/ztPlugin.h"

namespace zt {
namespace {

constexpr wchar_t kName[] = L"Stopwatch.Zentik";
constexpr int kTickMs = 25;

enum Action : int { kActionOnOff = 1, kActionStartStop = 2, kActionClear = 3 };

void STDMETHODCALLTYPE StopwatchOnOff(IUnknown* sender);
void STDMETHODCALLTYPE StopwatchStartStop(IUnknown* sender);
void STDMETHODCALLTYPE StopwatchClear(IUnknown* sender);

// The commands in registration order, with their caption and hint keys.
struct CommandDef {
    const wchar_t* name;
    const wchar_t* captionKey;
    const wchar_t* hintKey;
    ZT_CMND_PROC proc;
};
constexpr CommandDef kCommands[] = {
    {L"sw_Stopwatch_ON_OFF", L"mOnOff", L"mOnOffHint", &StopwatchOnOff},
    {L"sw_Stopwatch_START_STOP", L"mStSt", L"mStStHint", &StopwatchStartStop},
    {L"sw_Stopwatch_CLEAR", L"mClr", L"mClrHint", &StopwatchClear},
};

std::uint32_t TickNow() {
    return static_cast<std::uint32_t>(::GetTickCount());
}

class TztPlgStopWatch final : public TztPlugin {
public:
    TztPlgStopWatch() {
        OnInitialize = [this](TztPlugin&, bool&) { Initialise(); };
        OnFinalize = [this](TztPlugin&, bool&) { Finalise(); };
    }

    // Covers a release without Finalize: the clock gets its text back all the same.
    ~TztPlgStopWatch() override {
        try {
            Finalise();
        } catch (...) {
            ztDebugCaught(L"Stopwatch destructor");
        }
    }

    BSTR STDMETHODCALLTYPE GetName() override { return ::SysAllocString(kName); }
    BSTR STDMETHODCALLTYPE GetCaption() override { return LangBstr(L"Caption"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"2.1"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override { return ::SysAllocString(kPluginAuthor); }
    BSTR STDMETHODCALLTYPE GetNotice() override { return PluginNotice(LangBstr(L"Notice")); }
    BSTR STDMETHODCALLTYPE GetDescription() override { return LangBstr(L"Description"); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }

    // GUI thread only.
    void Run(int action) {
        switch (action) {
        case kActionOnOff:
            OnOff();
            break;
        case kActionStartStop:
            StartStop();
            break;
        case kActionClear:
            Clear();
            break;
        default:
            break;
        }
    }

private:
    void Initialise() {
        counter_.Reset();
        HMENU plugins = ztFindPluginsMenu();
        if (!plugins)
            return;
        menu_.Create(plugins, L"");
        for (const CommandDef& command : kCommands)
            menu_.AddItem(L"", command.proc);

        TztComRef<IztPluginMan> man = PluginMan();
        TztLangModule lang(kName);
        menu_.SetCaption(lang.Translate(L"mStpWt").c_str());
        std::wstring captions[std::size(kCommands)];
        for (std::size_t i = 0; i < std::size(kCommands); ++i) {
            captions[i] = lang.Translate(kCommands[i].captionKey);
            menu_.SetItemCaption(static_cast<int>(i), captions[i].c_str());
        }
        if (!man)
            return;
        commandsRegistered_ = true;
        for (std::size_t i = 0; i < std::size(kCommands); ++i) {
            const CommandDef& command = kCommands[i];
            man->NewCommand(static_cast<IztPlugin*>(this), captions[i].c_str(), command.name,
                            lang.Translate(command.hintKey).c_str(), command.proc);
        }
    }

    // Safe to repeat: each step undoes only what is still there.
    void Finalise() {
        if (commandsRegistered_) {
            commandsRegistered_ = false;
            if (TztComRef<IztPluginMan> man = PluginMan()) {
                for (const CommandDef& command : kCommands)
                    man->DelCommand(static_cast<IztPlugin*>(this), command.name);
            }
        }
        timer_.reset();
        counter_.SwitchOff();
        menu_.Destroy();
        panel_.reset();
        if (clock_) {
            clock_->SetTextSuspended(FALSE);
            clock_.reset();
        }
    }

    void OnOff() {
        if (timer_) {
            timer_.reset();
            counter_.SwitchOff();
            if (clock_)
                clock_->SetTextSuspended(FALSE);
            panel_.reset();
            clock_.reset();
            return;
        }
        // The timer first: when the clock gives none, it keeps its text.
        TztComRef<IztTimer> timer = ztGetHostInterface<IztTimer>(ztiNewTimer, IID_IztTimer);
        if (!timer)
            return;
        timer->SetInterval(kTickMs);
        timer->SetOnTimer({&TztPlgStopWatch::OnTimer, this});
        panel_ = ztGetHostInterface<IztLCDPanel>(ztiLCDPanel, IID_IztLCDPanel);
        clock_ = ztGetHostInterface<ICustomZentik>(ztiClockEngine, IID_ICustomZentik);
        timer_ = std::move(timer);
        if (clock_)
            clock_->SetTextSuspended(TRUE);
        counter_.SwitchOn();
        Show(0);
    }

    void StartStop() {
        if (!panel_ || !timer_)
            return;
        if (counter_.Running()) {
            counter_.Stop(TickNow());
            timer_->SetEnabled(FALSE);
            Show(counter_.Accumulated());
        } else {
            counter_.Start(TickNow());
            timer_->SetEnabled(TRUE);
        }
    }

    void Clear() {
        counter_.Clear(TickNow());
        if (timer_)
            Show(0);
    }

    // The timer's callback, called by the clock: nothing may escape.
    static void STDMETHODCALLTYPE OnTimer(void* data, IztTimer*) {
        try {
            auto* self = static_cast<TztPlgStopWatch*>(data);
            self->Show(self->counter_.Elapsed(TickNow()));
        } catch (...) {
            ztDebugCaught(L"Stopwatch timer");
        }
    }

    void Show(std::uint32_t ms) {
        if (panel_)
            panel_->SetText(FormatElapsed(ms).c_str());
    }

    StopwatchCounter counter_;
    TztComRef<IztTimer> timer_; // held exactly while the stopwatch is on
    TztComRef<IztLCDPanel> panel_;
    TztComRef<ICustomZentik> clock_;
    TztPluginMenu menu_;
    bool commandsRegistered_ = false;
};

int STDMETHODCALLTYPE RunAction(int action, INT_PTR, INT_PTR, void*) {
    try {
        if (TztPlgStopWatch* plugin = ztPluginObjectAs<TztPlgStopWatch>())
            plugin->Run(action);
    } catch (...) {
        ztDebugCaught(L"Stopwatch command");
    }
    return 0;
}

void DispatchAction(int action) noexcept {
    TztPlgStopWatch* plugin = ztPluginObjectAs<TztPlgStopWatch>();
    if (!plugin)
        return;
    if (TztComRef<IztPluginMan> man = plugin->PluginMan())
        man->SyncCall(&RunAction, action, 0, 0, nullptr);
    else
        RunAction(action, 0, 0, nullptr);
}

void STDMETHODCALLTYPE StopwatchOnOff(IUnknown*) {
    DispatchAction(kActionOnOff);
}

void STDMETHODCALLTYPE StopwatchStartStop(IUnknown*) {
    DispatchAction(kActionStartStop);
}

void STDMETHODCALLTYPE StopwatchClear(IUnknown*) {
    DispatchAction(kActionClear);
}

} // namespace
} // namespace zt

ZT_REGISTER_PLUGIN(zt::TztPlgStopWatch)
