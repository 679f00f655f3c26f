#include "sysact_dialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <iterator>
#include <span>
#include <utility>
#include <vector>

#include "common/component_name.h"
#include "common/control_texts.h"
#include "common/module_window_class.h"
#include "common/window_text.h"
#include "sysact_dialogs_resource.h"

namespace zt {
namespace {

constexpr TztControlName kCfgControls[] = {
    {IDC_CFG_EDIT1, L"Edit1"},        {IDC_CFG_EDIT2, L"Edit2"}, {IDC_CFG_BROWSE1, L"btnBrowse1"},
    {IDC_CFG_BROWSE2, L"btnBrowse2"}, {IDC_CFG_LBL1, L"Lbl1"},   {IDC_CFG_LBL2, L"Lbl2"},
};

// In box order (sysact_params.h).
constexpr TztControlName kShutdownBoxes[] = {
    {IDC_LOGOFF, L"cbLogOff"}, {IDC_SHUTDOWN, L"cbShutDown"},
    {IDC_REBOOT, L"cbReboot"}, {IDC_POWEROFF, L"cbPowerOff"},
    {IDC_FORCE, L"cbForce"},   {IDC_FORCEIFHUNG, L"cbForceIfHung"},
};
constexpr TztControlName kShutdownGroup[] = {{IDC_GB1, L"gb1"}};

constexpr TztControlName kFlashCaptioned[] = {
    {IDC_FLASH_COUNT_LBL, L"flashCount"},
    {IDC_FLASH_TIME_LBL, L"flashTime"},
};
constexpr TztControlName kFlashNamedOnly[] = {
    {IDC_FLASH_COUNT, L"edtFlashCount"},
    {IDC_FLASH_COUNT_UD, L"udFlashCount"},
    {IDC_FLASH_TIME, L"edtFlashTime"},
    {IDC_FLASH_TIME_UD, L"udFlashTime"},
};

constexpr TztControlName kDoCaptioned[] = {
    {IDC_DO_LBL_COMMAND, L"lblCommand"},
    {IDC_DO_GROUP, L"rgWinT"},
};
constexpr TztControlName kDoNamedOnly[] = {
    {IDC_DO_COMMAND, L"cbCommand"}, {IDC_DO_TITLE, L"cbWinTitle"}, {IDC_DO_ITEM0, L"rgWinT0"},
    {IDC_DO_ITEM1, L"rgWinT1"},     {IDC_DO_ITEM2, L"rgWinT2"},
};
constexpr int kDoItems[] = {IDC_DO_ITEM0, IDC_DO_ITEM1, IDC_DO_ITEM2};

void SetCaption(HWND window, const SysactText& text, const wchar_t* key) {
    const std::wstring caption = text(key);
    if (!caption.empty())
        ::SetWindowTextW(window, caption.c_str());
}

void Name(HWND dialog, const wchar_t* name, std::span<const TztControlName> controls) {
    SetComponentName(dialog, name);
    NameControls(dialog, controls);
}

// The lines of a text (CR LF, LF or CR separated).
std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring line;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

void SetUpDown(HWND dialog, int id, int low, int high, int value) {
    HWND upDown = ::GetDlgItem(dialog, id);
    ::SendMessageW(upDown, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
    ::SendMessageW(upDown, UDM_SETPOS32, 0, value);
}

int UpDownValue(HWND dialog, int editId, int fallback) {
    BOOL ok = FALSE;
    const UINT value = ::GetDlgItemInt(dialog, editId, &ok, FALSE);
    return ok ? static_cast<int>(std::min<UINT>(value, 1u << 30)) : fallback;
}

void InitControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
}

// Closing an editor accepts it: its close box, Esc and Enter.
bool ClosesTheEditor(UINT message, WPARAM wParam) {
    return message == WM_CLOSE ||
           (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL));
}

} // namespace

// ---- TfrmCfg ----------------------------------------------------------------------------

TfrmCfg::TfrmCfg(SysactText text, Form form, std::wstring first, std::wstring second)
    : text_(std::move(text)), form_(std::move(form)), first_(std::move(first)),
      second_(std::move(second)) {}

void TfrmCfg::Run(HWND owner) {
    InitControls();
    RunModal(CurrentModule(), IDD_CFG, owner);
}

INT_PTR TfrmCfg::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (ClosesTheEditor(message, wParam)) {
        Close();
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        Init();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CFG_BROWSE1:
            Browse(IDC_CFG_EDIT1);
            return TRUE;
        case IDC_CFG_BROWSE2:
            Browse(IDC_CFG_EDIT2);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void TfrmCfg::Init() {
    HWND dialog = Window();
    Name(dialog, L"frmCfg", kCfgControls);
    SetCaption(dialog, text_, form_.titleKey);
    SetCaption(::GetDlgItem(dialog, IDC_CFG_LBL1), text_, form_.label1Key);
    SetCaption(::GetDlgItem(dialog, IDC_CFG_LBL2), text_, form_.label2Key);
    ::ShowWindow(::GetDlgItem(dialog, form_.browseFirst ? IDC_CFG_BROWSE2 : IDC_CFG_BROWSE1),
                 SW_HIDE);
    ::SetDlgItemTextW(dialog, IDC_CFG_EDIT1, first_.c_str());
    ::SetDlgItemTextW(dialog, IDC_CFG_EDIT2, second_.c_str());
}

void TfrmCfg::Browse(int editId) {
    HWND dialog = Window();
    // "name|mask|..." becomes "name\0mask\0...\0\0".
    std::wstring filter = form_.filter;
    for (wchar_t& c : filter) {
        if (c == L'|')
            c = L'\0';
    }
    filter.append(2, L'\0');
    wchar_t path[MAX_PATH] = {};
    const std::wstring current = WindowText(::GetDlgItem(dialog, editId));
    if (current.size() < MAX_PATH)
        current.copy(path, current.size());
    OPENFILENAMEW open{};
    open.lStructSize = sizeof(open);
    open.hwndOwner = dialog;
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = path;
    open.nMaxFile = MAX_PATH;
    open.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (::GetOpenFileNameW(&open))
        ::SetDlgItemTextW(dialog, editId, path);
}

void TfrmCfg::Close() {
    first_ = WindowText(::GetDlgItem(Window(), IDC_CFG_EDIT1));
    second_ = WindowText(::GetDlgItem(Window(), IDC_CFG_EDIT2));
    ::EndDialog(Window(), IDOK);
}

// ---- TfrmShDwn --------------------------------------------------------------------------

TfrmShDwn::TfrmShDwn(SysactText text, ShutdownChoice choice)
    : text_(std::move(text)), choice_(choice) {}

void TfrmShDwn::Run(HWND owner) {
    InitControls();
    RunModal(CurrentModule(), IDD_SHDWN, owner);
}

INT_PTR TfrmShDwn::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (ClosesTheEditor(message, wParam)) {
        ::EndDialog(Window(), IDOK);
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        Init();
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        for (size_t i = 0; i < std::size(kShutdownBoxes); ++i) {
            if (kShutdownBoxes[i].id == id && HIWORD(wParam) == BN_CLICKED) {
                choice_[i] = !choice_[i];
                ShowStates();
                return TRUE;
            }
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

void TfrmShDwn::Init() {
    HWND dialog = Window();
    Name(dialog, L"frmShDwn", kShutdownBoxes);
    NameControls(dialog, kShutdownGroup);
    TranslateControls(dialog, kShutdownBoxes, text_);
    TranslateControls(dialog, kShutdownGroup, text_);
    ShowStates();
}

// The boxes are three-state buttons set by code: a click toggles the choice, and the boxes
// then show it (grayed defaults when nothing is chosen).
void TfrmShDwn::ShowStates() {
    const auto states = ShutdownBoxStates(choice_);
    for (size_t i = 0; i < states.size(); ++i) {
        const UINT check = states[i] == BoxState::Checked  ? BST_CHECKED
                           : states[i] == BoxState::Grayed ? BST_INDETERMINATE
                                                           : BST_UNCHECKED;
        ::CheckDlgButton(Window(), kShutdownBoxes[i].id, check);
    }
}

// ---- TfrmFlash --------------------------------------------------------------------------

TfrmFlash::TfrmFlash(SysactText text, FlashParams params)
    : text_(std::move(text)), params_(ClampFlash(params)) {}

void TfrmFlash::Run(HWND owner) {
    InitControls();
    RunModal(CurrentModule(), IDD_FLASH, owner);
}

INT_PTR TfrmFlash::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (ClosesTheEditor(message, wParam)) {
        Close();
        return TRUE;
    }
    if (message != WM_INITDIALOG)
        return FALSE;
    Init();
    return TRUE;
}

void TfrmFlash::Init() {
    HWND dialog = Window();
    Name(dialog, L"frmFlash", kFlashCaptioned);
    NameControls(dialog, kFlashNamedOnly);
    TranslateControls(dialog, kFlashCaptioned, text_);
    SetUpDown(dialog, IDC_FLASH_COUNT_UD, kFlashCountMin, kFlashCountMax, params_.count);
    SetUpDown(dialog, IDC_FLASH_TIME_UD, kFlashPeriodMin, kFlashPeriodMax, params_.period);
    UDACCEL step{0, static_cast<UINT>(kFlashPeriodStep)};
    ::SendDlgItemMessageW(dialog, IDC_FLASH_TIME_UD, UDM_SETACCEL, 1,
                          reinterpret_cast<LPARAM>(&step));
}

void TfrmFlash::Close() {
    params_ = ClampFlash({UpDownValue(Window(), IDC_FLASH_COUNT, params_.count),
                          UpDownValue(Window(), IDC_FLASH_TIME, params_.period)});
    ::EndDialog(Window(), IDOK);
}

// ---- TfrmDoCmnd -------------------------------------------------------------------------

TfrmDoCmnd::TfrmDoCmnd(SysactText text, IztCmnd* cmnd, DoCommandChoice choice, std::wstring command)
    : text_(std::move(text)), cmnd_(cmnd), choice_(std::move(choice)),
      command_(std::move(command)) {}

void TfrmDoCmnd::Run(HWND owner) {
    InitControls();
    RunModal(CurrentModule(), IDD_DOCMND, owner);
}

INT_PTR TfrmDoCmnd::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (ClosesTheEditor(message, wParam)) {
        Close();
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        Init();
        return TRUE;
    case WM_DESTROY:
        commandBox_.Detach();
        return FALSE;
    default:
        return FALSE;
    }
}

void TfrmDoCmnd::Init() {
    HWND dialog = Window();
    Name(dialog, L"frmDoCmnd", kDoCaptioned);
    NameControls(dialog, kDoNamedOnly);
    TranslateControls(dialog, kDoCaptioned, text_);
    const std::vector<std::wstring> items = Lines(text_(L"rgWinTItems"));
    for (size_t i = 0; i < std::size(kDoItems); ++i) {
        HWND radio = ::GetDlgItem(dialog, kDoItems[i]);
        if (i < items.size() && !items[i].empty())
            ::SetWindowTextW(radio, items[i].c_str());
    }
    const int item =
        choice_.item >= 0 && choice_.item < kNoConditionItem ? choice_.item : kNoConditionItem;
    ::CheckRadioButton(dialog, IDC_DO_ITEM0, IDC_DO_ITEM2, kDoItems[item]);

    if (commandBox_.Attach(::GetDlgItem(dialog, IDC_DO_COMMAND)))
        commandBox_.SetCmnd(cmnd_);
    commandBox_.SetText(command_);
    FillTitles();
    ::SetDlgItemTextW(dialog, IDC_DO_TITLE, choice_.title.c_str());
}

// The titles of the visible top-level windows that have a title and a non-empty rectangle,
// in window order.
void TfrmDoCmnd::FillTitles() {
    std::vector<std::wstring> titles;
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            RECT rect{};
            if (!::IsWindowVisible(window) || !::GetWindowRect(window, &rect) ||
                ::IsRectEmpty(&rect))
                return TRUE;
            std::wstring title = WindowText(window);
            if (!title.empty())
                reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(std::move(title));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&titles));
    HWND box = ::GetDlgItem(Window(), IDC_DO_TITLE);
    for (const std::wstring& title : titles)
        ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

void TfrmDoCmnd::Close() {
    HWND dialog = Window();
    choice_.item = -1;
    for (size_t i = 0; i < std::size(kDoItems); ++i) {
        if (::IsDlgButtonChecked(dialog, kDoItems[i]) == BST_CHECKED)
            choice_.item = static_cast<int>(i);
    }
    choice_.title = WindowText(::GetDlgItem(dialog, IDC_DO_TITLE));
    command_ = commandBox_.Text();
    ::EndDialog(dialog, IDOK);
}

} // namespace zt
