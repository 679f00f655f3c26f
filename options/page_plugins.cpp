#include "options/page_plugins.h"

#include "common/component_name.h"
#include "common/message_box.h"
#include "common/module_window_class.h"
#include "options/page_plugins_resource.h"
#include "options/page_texts.h"
#include "options/pages.h"
#include "options/setup_form.h"
#include "options/setup_host.h"

namespace zt::options {
namespace {

constexpr TztControlName kControls[] = {
    {IDC_PLG_LIST, L"PlgList"},        {IDC_PLG_ID, L"LblPlgID"},
    {IDC_PLG_VERSION, L"lblVersn"},    {IDC_PLG_AUTHOR, L"LblAut"},
    {IDC_PLG_NOTICE, L"LblCPR"},       {IDC_PLG_DESCRIPTION, L"MemoDes"},
    {IDC_PLG_CONFIGURE, L"BtnCfgPlg"}, {IDC_PLG_UNINSTALL, L"BtnUnInstall"},
};

// Line breaks as an edit control shows them: CR LF.
std::wstring WithCrLf(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            result += L'\r';
        result += text[i];
    }
    return result;
}

std::wstring ModuleFileName(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

std::unique_ptr<TztSetupPage> CreatePagePlugins(TztSetupHost& host) {
    return std::make_unique<TztPagePlugins>(host);
}

bool TztPagePlugins::Create(HWND parent) {
    if (!CreateModeless(CurrentModule(), IDD_PAGE_PLUGINS, parent))
        return false;
    SetComponentName(Window(), L"pnlPlg");
    NameControls(Window(), kControls);
    return true;
}

void TztPagePlugins::Translate() {
    TranslateControls(Window(), host_, kControls);
    shown_ = -2; // the detail labels start with translated texts
    ShowDetails(Selected());
}

void TztPagePlugins::Fill() {
    HWND list = ::GetDlgItem(Window(), IDC_PLG_LIST);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    names_.clear();
    if (IztPluginMan* plugins = host_.Plugins()) {
        const int count = plugins->GetPluginCount();
        for (int i = 0; i < count; ++i) {
            IztPlugin* plugin = plugins->GetPlugin(i);
            if (!plugin)
                continue;
            const std::wstring name = ztTakeBstr(plugin->GetName());
            const std::wstring line = ztTakeBstr(plugin->GetCaption()) + L"   [" + name + L"]";
            names_.push_back(name);
            ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        }
    }
    ::SendMessageW(list, LB_SETCURSEL, names_.empty() ? static_cast<WPARAM>(-1) : 0, 0);
    ShowDetails(Selected());
}

INT_PTR TztPagePlugins::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return FALSE;
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_PLG_LIST:
        if (HIWORD(wParam) == LBN_SELCHANGE)
            ShowDetails(Selected());
        else if (HIWORD(wParam) == LBN_DBLCLK)
            Configure();
        return TRUE;
    case IDC_PLG_CONFIGURE:
        if (HIWORD(wParam) == BN_CLICKED)
            Configure();
        return TRUE;
    case IDC_PLG_UNINSTALL:
        if (HIWORD(wParam) == BN_CLICKED)
            Uninstall();
        return TRUE;
    default:
        return FALSE;
    }
}

int TztPagePlugins::Selected() const {
    const LRESULT line = ::SendDlgItemMessageW(Window(), IDC_PLG_LIST, LB_GETCURSEL, 0, 0);
    return line >= 0 && static_cast<size_t>(line) < names_.size() ? static_cast<int>(line) : -1;
}

IztPlugin* TztPagePlugins::Plugin(int line, int* index) const {
    IztPluginMan* plugins = host_.Plugins();
    if (!plugins || line < 0 || static_cast<size_t>(line) >= names_.size())
        return nullptr;
    // The lines follow the manager's order; should that have changed, the name decides.
    const std::wstring& name = names_[static_cast<size_t>(line)];
    int found = line;
    IztPlugin* plugin = plugins->GetPlugin(found);
    if (!plugin || ztTakeBstr(plugin->GetName()) != name) {
        found = plugins->IndexOfPlugin(name.c_str());
        plugin = found >= 0 ? plugins->GetPlugin(found) : nullptr;
    }
    if (index)
        *index = found;
    return plugin;
}

void TztPagePlugins::ShowDetails(int line) {
    if (line == shown_)
        return;
    shown_ = line;
    IztPlugin* plugin = Plugin(line);
    auto show = [&](int id, const wchar_t* key, const wchar_t* gap,
                    decltype(&IztPlugin::GetName) get) {
        const std::wstring value = plugin ? ztTakeBstr((plugin->*get)()) : std::wstring();
        const std::wstring text = plugin ? host_.Text(key) + gap + value : host_.Text(key);
        ::SetDlgItemTextW(Window(), id, text.c_str());
    };
    show(IDC_PLG_ID, L"SETUP=LblPlgID", L"", &IztPlugin::GetName);
    show(IDC_PLG_VERSION, L"SETUP=LblVersn", L" ", &IztPlugin::GetVersion);
    show(IDC_PLG_AUTHOR, L"SETUP=LblAut", L"", &IztPlugin::GetAuthor);
    show(IDC_PLG_NOTICE, L"SETUP=LblCPR", L" ", &IztPlugin::GetNotice);
    const std::wstring description = plugin ? WithCrLf(ztTakeBstr(plugin->GetDescription())) : L"";
    HWND memo = ::GetDlgItem(Window(), IDC_PLG_DESCRIPTION);
    ::SetWindowTextW(memo, description.c_str());
    ::SendMessageW(memo, EM_SETSEL, 0, 0);
    ::SendMessageW(memo, EM_SCROLLCARET, 0, 0);
    ::EnableWindow(::GetDlgItem(Window(), IDC_PLG_CONFIGURE), plugin != nullptr);
    ::EnableWindow(::GetDlgItem(Window(), IDC_PLG_UNINSTALL), plugin != nullptr);
}

void TztPagePlugins::Configure() {
    if (IztPlugin* plugin = Plugin(Selected()))
        plugin->Configure();
}

void TztPagePlugins::Uninstall() {
    IztPluginMan* plugins = host_.Plugins();
    const int line = Selected();
    int index = -1;
    if (!plugins || !Plugin(line, &index))
        return;
    const std::wstring file = ModuleFileName(plugins->GetPluginHandle(index));
    if (file.empty() || ::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    // Its page leaves the dialog while its code is still there.
    if (TfrmSetup* form = CurrentSetupForm())
        form->RemovePluginPage(names_[static_cast<size_t>(line)]);
    if (FAILED(plugins->UnloadPlugin(index))) {
        Error(L"Error=ErrorUnloadPlugin");
        return;
    }
    ::SendDlgItemMessageW(Window(), IDC_PLG_LIST, LB_DELETESTRING, static_cast<WPARAM>(line), 0);
    names_.erase(names_.begin() + line);
    if (!names_.empty())
        ::SendDlgItemMessageW(
            Window(), IDC_PLG_LIST, LB_SETCURSEL,
            static_cast<WPARAM>(line < static_cast<int>(names_.size()) ? line : line - 1), 0);
    shown_ = -2;
    ShowDetails(Selected());
    // The folder scan passes over "*.uninstall".
    const std::wstring renamed = file + L".uninstall";
    if (!::MoveFileExW(file.c_str(), renamed.c_str(), MOVEFILE_REPLACE_EXISTING))
        Error(L"Error=ErrorDeletePlugin");
}

void TztPagePlugins::Error(const wchar_t* key) const {
    const std::wstring text = host_.Text(key);
    ShowMessageBox(Window(), text.c_str(), L"Zentik", MB_OK | MB_ICONERROR);
}

} // namespace zt::options
