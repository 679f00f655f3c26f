// The clock window's menu commands, language and the options dialog.

#include "host/main_window.h"

#include <shellapi.h>

#include "common/component_name.h"
#include "common/program_folder.h"
#include "host/help_file.h"

namespace zt {
namespace {

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring HelpFilePath(IztLanguageMan* language) {
    return ChooseHelpFile(ProgramFolder(),
                          language ? ztTakeBstr(language->GetLanguage()) : std::wstring(),
                          &FileExists);
}

} // namespace

// A menu toggle shows in the open options dialog's check box of that name.
void TfrmClock::SyncOptionsCheck(const wchar_t* name, bool checked) {
    if (!optionsLibrary_ || !optionsForm_)
        return;
    if (HWND box = FindComponent(static_cast<HWND>(optionsForm_), name))
        ::SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TfrmClock::ApplyLanguage() {
    struct HoldRelease {
        IztLanguageMan* language;
        // Balances the hold taken at start-up and before the options dialog opened.
        ~HoldRelease() {
            if (language)
                language->ReleaseHold();
        }
    } release{language_};
    if (menu_)
        menu_->Translate([this](const std::wstring& key) { return Text(key); });
}

// ---- Menu and options ----

void TfrmClock::ShowMenu(POINT at) {
    if (!menu_)
        return;
    TztClockMenu::State state;
    state.onTop = Value(ztvAlwaysOnTop) != 0;
    state.hideOnMouseOver = hideOnMouseOver_;
    state.locked = locked_;
    state.helpItem = !HelpFilePath(language_).empty();
    if (const UINT id = menu_->Show(at, state))
        OnMenuCommand(id);
}

void TfrmClock::OnMenuCommand(UINT id) {
    if (menu_ && menu_->RunPluginItem(id, static_cast<IUnknown*>(Interface())))
        return;
    switch (id) {
    case TztClockMenu::kAlwaysOnTop:
        SetValue(ztvAlwaysOnTop, Value(ztvAlwaysOnTop) ? 0 : 1);
        SyncOptionsCheck(L"ShowAlwaysOnTop", onTop_);
        WriteOneValue(L"AlwaysOnTop_Checked", onTop_ ? L"True" : L"False");
        break;
    case TztClockMenu::kHideItem:
        hideOnMouseOver_ = !hideOnMouseOver_;
        SyncOptionsCheck(L"HideMouse", hideOnMouseOver_);
        if (::IsWindowVisible(Window()))
            WriteOneValue(L"HideItem_Checked", hideOnMouseOver_ ? L"True" : L"False");
        break;
    case TztClockMenu::kLockItem:
        SetValue(ztvLocked, locked_ ? 0 : 1);
        SyncOptionsCheck(L"Lock", locked_);
        WriteOneValue(L"Lock", locked_ ? L"True" : L"False");
        break;
    case TztClockMenu::kConfigItems:
        OpenOptions(L"Opt");
        break;
    case TztClockMenu::kAlarmClockItem:
        OpenOptions(L"Alarm");
        break;
    case TztClockMenu::kAboutItem:
        OpenOptions(L"About");
        break;
    case TztClockMenu::kHelpItem:
        if (const std::wstring help = HelpFilePath(language_); !help.empty())
            ::ShellExecuteW(nullptr, L"open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case TztClockMenu::kClockDown:
        ShowHideClock();
        break;
    case TztClockMenu::kCloseClock:
        ::PostMessageW(Window(), WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void TfrmClock::OpenOptions(const wchar_t* node) {
    using ShowSetupFormFn = void*(__stdcall*)();
    using GetNodeFn = void*(__stdcall*)(const wchar_t*);
    using ActiveSetupNodeFn = void(__stdcall*)(void*);
    const bool loaded = static_cast<bool>(optionsLibrary_);
    if (!loaded)
        optionsLibrary_.reset(::LoadLibraryExW((ProgramFolder() + L"\\ZentikOpt.dll").c_str(),
                                               nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!optionsLibrary_)
        return;
    auto show = reinterpret_cast<ShowSetupFormFn>(
        reinterpret_cast<void*>(::GetProcAddress(optionsLibrary_.get(), "ShowSetupForm")));
    auto getNode = reinterpret_cast<GetNodeFn>(
        reinterpret_cast<void*>(::GetProcAddress(optionsLibrary_.get(), "GetNode")));
    auto activate = reinterpret_cast<ActiveSetupNodeFn>(
        reinterpret_cast<void*>(::GetProcAddress(optionsLibrary_.get(), "ActiveSetupNode")));
    if (!show || !getNode || !activate) {
        optionsLibrary_.reset();
        return;
    }
    // Held while the dialog is open; CloseOptions releases it.
    if (!loaded && language_)
        language_->Hold();
    const LONG_PTR exStyle = ::GetWindowLongPtrW(Window(), GWL_EXSTYLE);
    ::SetWindowLongPtrW(Window(), GWL_EXSTYLE, exStyle ^ WS_EX_TOOLWINDOW);
    optionsForm_ = show();
    if (optionsForm_)
        activate(getNode(node));
}

void TfrmClock::CloseOptions() {
    if (!optionsLibrary_)
        return;
    using CloseSetupFormFn = void*(__stdcall*)();
    if (auto close = reinterpret_cast<CloseSetupFormFn>(
            reinterpret_cast<void*>(::GetProcAddress(optionsLibrary_.get(), "CloseSetupForm"))))
        optionsForm_ = close();
    if (Window()) {
        const LONG_PTR exStyle = ::GetWindowLongPtrW(Window(), GWL_EXSTYLE);
        ::SetWindowLongPtrW(Window(), GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
    }
    optionsLibrary_.reset();
    if (language_)
        language_->ReleaseHold();
    if (api_)
        api_->TrimWorkingSet();
    if (restartRequested_ && Window())
        ::PostMessageW(Window(), WM_CLOSE, 0, 0);
}

} // namespace zt
