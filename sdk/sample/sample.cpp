// Sample.pzt: the SDK's sample plug-in, built from the SDK alone.
//
// - A command, "sm_Sample_GREET": the clock shows the greeting in its display for three
//   seconds. Its name makes it an item of the clock menu too (second character 'm') and a
//   command that clicks, hot keys and scheduled tasks can run (third character '_').
// - A settings page in the options dialog, under "Plg": an edit box for the greeting.
// - The greeting is kept in the registry under the plug-in's own key.
//
// The command may be started on a worker thread (scheduled tasks do that), so it hands its
// work to the GUI thread through the plug-in manager's SyncCall; the display, the clock
// engine and the timer are used on the GUI thread only.

#include <windows.h>

#include <string>

#include "sample_resource.h"
#include "zentik/ztPlugin.h"

namespace {

constexpr wchar_t kName[] = L"Sample.Zentik";
constexpr wchar_t kCommand[] = L"sm_Sample_GREET";
constexpr wchar_t kGreetingValue[] = L"Greeting";
constexpr wchar_t kDefaultGreeting[] = L"HELLO";
constexpr int kGreetingMs = 3000;
constexpr int kGreetingMaxLength = 16;

// This library's instance, for its dialog template.
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// HKCU\Software\Ombrelt\Zentik\Plugins\Sample.Zentik
std::wstring SettingsKey() {
    return std::wstring(ZT_PLUGINS_REGISTRY_KEY) + kName;
}

std::wstring LoadGreeting() {
    wchar_t text[kGreetingMaxLength + 1] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t); // keeps the terminating zero
    if (::RegGetValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), kGreetingValue,
                       RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, text, &size) != ERROR_SUCCESS)
        return kDefaultGreeting;
    return text;
}

void SaveGreeting(const std::wstring& greeting) {
    const DWORD size = static_cast<DWORD>((greeting.size() + 1) * sizeof(wchar_t));
    ::RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), kGreetingValue, REG_SZ,
                      greeting.c_str(), size);
}

class TztPlgSample final : public TztPlugin {
public:
    TztPlgSample() {
        OnInitialize = [this](TztPlugin&, bool&) { Initialise(); };
        OnFinalize = [this](TztPlugin&, bool&) { Finalise(); };
        OnCreateSetupPage = [this](TztPlugin&, HWND dialog) { return CreatePage(dialog); };
        OnSetupClosed = [this](TztPlugin&, bool ok) { SetupClosed(ok); };
    }

    // The identity operations; none of them may throw.
    BSTR STDMETHODCALLTYPE GetName() override { return ::SysAllocString(kName); }
    BSTR STDMETHODCALLTYPE GetCaption() override { return LangBstr(L"Caption"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"1.0"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override { return ::SysAllocString(L"Zentik SDK"); }
    BSTR STDMETHODCALLTYPE GetNotice() override { return ::SysAllocString(L"Public domain"); }
    BSTR STDMETHODCALLTYPE GetDescription() override { return LangBstr(L"Description"); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }

private:
    void Initialise() {
        greeting_ = LoadGreeting();
        clock_ = ztGetHostInterface<ICustomZentik>(ztiClockEngine, IID_ICustomZentik);
        // A one-shot timer of the clock's own; released in Finalise.
        timer_ = ztGetHostInterface<IztTimer>(ztiNewTimer, IID_IztTimer);
        if (timer_) {
            timer_->SetInterval(kGreetingMs);
            timer_->SetOneShot(TRUE);
            timer_->SetOnTimer({&TztPlgSample::GreetingOver, this});
        }
        if (TztComRef<IztPluginMan> man = PluginMan()) {
            man->NewCommand(static_cast<IztPlugin*>(this), LangText(L"mGreet").c_str(), kCommand,
                            LangText(L"mGreetHint").c_str(), &GreetCommand);
        }
    }

    // Undoes Initialise: no command, callback or timer may reach this library once it is
    // unloaded.
    void Finalise() {
        if (TztComRef<IztPluginMan> man = PluginMan())
            man->DelCommand(static_cast<IztPlugin*>(this), kCommand);
        if (timer_ && timer_->GetEnabled())
            RestoreClock();
        timer_.reset();
        clock_.reset();
    }

    // Shows the greeting instead of the time; the timer gives the clock its text back.
    // GUI thread only.
    void Greet() {
        TztComRef<IztLCDPanel> panel =
            ztGetHostInterface<IztLCDPanel>(ztiLCDPanel, IID_IztLCDPanel);
        if (!panel || !timer_)
            return;
        if (clock_)
            clock_->SetTextSuspended(TRUE); // the clock stops writing the time
        panel->SetText(greeting_.c_str());
        timer_->SetEnabled(TRUE); // (re)starts the three seconds
    }

    void RestoreClock() {
        if (!clock_)
            return;
        clock_->SetTextSuspended(FALSE);
        clock_->Refresh(); // the time at once, not at the next tick
    }

    // The timer's callback: nothing may escape it.
    static void STDMETHODCALLTYPE GreetingOver(void* data, IztTimer*) {
        try {
            static_cast<TztPlgSample*>(data)->RestoreClock();
        } catch (...) {
            ztDebugCaught(L"Sample timer");
        }
    }

    // The command's routine, on whatever thread runs it.
    static void STDMETHODCALLTYPE GreetCommand(IUnknown*) {
        TztPlgSample* self = ztPluginObjectAs<TztPlgSample>();
        if (!self)
            return;
        if (TztComRef<IztPluginMan> man = self->PluginMan())
            man->SyncCall(&GreetOnGuiThread, 0, 0, 0, self);
    }

    static int STDMETHODCALLTYPE GreetOnGuiThread(int, INT_PTR, INT_PTR, void* data) {
        try {
            static_cast<TztPlgSample*>(data)->Greet();
        } catch (...) {
            ztDebugCaught(L"Sample command");
        }
        return 0;
    }

    // ---- The settings page ----------------------------------------------------------

    // A hidden child of the options dialog, which shows it under our caption. It applies
    // an edited greeting at once; SetupClosed keeps it or puts the old one back.
    HWND CreatePage(HWND dialog) {
        savedGreeting_ = greeting_;
        return ::CreateDialogParamW(ThisModule(), MAKEINTRESOURCEW(IDD_SAMPLE_PAGE), dialog,
                                    &TztPlgSample::PageProc, reinterpret_cast<LPARAM>(this));
    }

    void SetupClosed(bool ok) {
        if (ok)
            SaveGreeting(greeting_);
        else
            greeting_ = savedGreeting_;
        // The dialog destroys the page with itself.
    }

    void InitPage(HWND page) {
        ::SetDlgItemTextW(page, IDC_GREETING_LABEL, LangText(L"lblGreeting").c_str());
        ::SendDlgItemMessageW(page, IDC_GREETING, EM_LIMITTEXT, kGreetingMaxLength, 0);
        ::SetDlgItemTextW(page, IDC_GREETING, greeting_.c_str());
    }

    void GreetingEdited(HWND page) {
        wchar_t text[kGreetingMaxLength + 1] = {};
        ::GetDlgItemTextW(page, IDC_GREETING, text, kGreetingMaxLength + 1);
        greeting_ = text;
    }

    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
        try {
            if (message == WM_INITDIALOG) {
                ::SetWindowLongPtrW(page, DWLP_USER, lParam);
                reinterpret_cast<TztPlgSample*>(lParam)->InitPage(page);
                return FALSE; // the options dialog keeps the focus
            }
            auto* self = reinterpret_cast<TztPlgSample*>(::GetWindowLongPtrW(page, DWLP_USER));
            if (self && message == WM_COMMAND && LOWORD(wParam) == IDC_GREETING &&
                HIWORD(wParam) == EN_CHANGE) {
                self->GreetingEdited(page);
                return TRUE;
            }
        } catch (...) {
            ztDebugCaught(L"Sample page");
        }
        return FALSE;
    }

    std::wstring greeting_;
    std::wstring savedGreeting_; // the greeting when the options dialog opened
    TztComRef<ICustomZentik> clock_;
    TztComRef<IztTimer> timer_;
};

} // namespace

ZT_REGISTER_PLUGIN(TztPlgSample)
