#include "options/page_bindings.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "common/component_name.h"
#include "common/diag_log.h"
#include "common/hotkey_field.h"
#include "common/module_window_class.h"
#include "options/page_bindings_resource.h"
#include "options/page_texts.h"
#include "options/pages.h"
#include "options/setup_host.h"
#include "zentik/ztComHelpers.h"

namespace zt::options {
namespace {

constexpr TztControlName kControls[] = {
    {IDC_BIND_LIST, L"OperList"},
    {IDC_BIND_ADD, L"btnAddOper"},
    {IDC_BIND_DELETE, L"btnDelOper"},
};

constexpr TztControlName kPanelControls[] = {
    {IDC_NEW_MAIN, L"rbClickMain"}, {IDC_NEW_TRAY, L"rbClickTray"},
    {IDC_NEW_HOTKEY, L"rbHotKey"},  {IDC_NEW_DOUBLE, L"cbDbl"},
    {IDC_NEW_LEFT, L"rbLeft"},      {IDC_NEW_RIGHT, L"rbRights"},
    {IDC_NEW_MIDDLE, L"rbMiddle"},  {IDC_NEW_SHIFT, L"cbShift"},
    {IDC_NEW_CTRL, L"cbCtrl"},      {IDC_NEW_ALT, L"cbAlt"},
    {IDC_NEW_WIN, L"cbWin"},        {IDC_NEW_KEY_LABEL, L"lblHotKey"},
    {IDC_NEW_KEY, L"edtHotKey"},    {IDC_NEW_NAME, L"lblNewName"},
    {IDC_NEW_OK, L"btnNewOk"},      {IDC_NEW_CANCEL, L"btnNewCancel"},
};

// Shown for clicks only, and for hot keys only.
constexpr int kClickControls[] = {IDC_NEW_DOUBLE, IDC_NEW_LEFT, IDC_NEW_RIGHT, IDC_NEW_MIDDLE,
                                  IDC_NEW_SHIFT,  IDC_NEW_CTRL, IDC_NEW_ALT,   IDC_NEW_WIN};
constexpr int kKeyControls[] = {IDC_NEW_KEY_LABEL, IDC_NEW_KEY};

// Where the panel sits in the page, in dialog units.
constexpr int kPanelLeft = 4;
constexpr int kPanelTop = 146;

constexpr COLORREF kExistingNameColor = RGB(255, 0, 0);
constexpr int kCommandColumn = 1;
// Starts the edit of a clicked command unless a double click follows.
constexpr UINT_PTR kEditTimer = 1;
// Posted when a part of the command picker lost the focus.
constexpr UINT kCheckEditFocus = WM_APP + 1;
// The height of the picker's drop-down list, in pixels.
constexpr int kEditorListHeight = 200;
// The gap the picker leaves for its "..." button: the button's side is the box's height + 2.
constexpr int kButtonGap = 5;

bool SameName(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

// The new-binding panel pNewEvnt.
class TztNewBindingPanel final : public DialogImpl<TztNewBindingPanel> {
public:
    TztNewBindingPanel(TztPageBindings& page, TztSetupHost& host) : page_(page), host_(host) {}

    bool Create(HWND parent) {
        if (!CreateModeless(CurrentModule(), IDD_NEW_BINDING, parent))
            return false;
        SetComponentName(Window(), L"pNewEvnt");
        RECT place{kPanelLeft, kPanelTop, 0, 0};
        ::MapDialogRect(parent, &place);
        ::SetWindowPos(Window(), nullptr, place.left, place.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return true;
    }
    void Translate() { TranslateControls(Window(), host_, kPanelControls); }
    void Show() {
        Compose();
        ::ShowWindow(Window(), SW_SHOW);
        ::SetFocus(::GetDlgItem(Window(), Source()));
    }
    // The name again, after the table changed.
    void Compose() {
        const NewBinding binding = Binding();
        name_ = NewBindingName(binding);
        exists_ = page_.HasBinding(name_);
        HWND label = ::GetDlgItem(Window(), IDC_NEW_NAME);
        ::SetWindowTextW(label, name_.c_str());
        ::InvalidateRect(label, nullptr, TRUE);
        const bool complete =
            binding.source != BindingSource::HotKey || !binding.hotKeyText.empty();
        ::EnableWindow(::GetDlgItem(Window(), IDC_NEW_OK), complete);
    }

private:
    friend class DialogImpl<TztNewBindingPanel>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_INITDIALOG:
            NameControls(Window(), kPanelControls);
            ::CheckRadioButton(Window(), IDC_NEW_MAIN, IDC_NEW_HOTKEY, IDC_NEW_MAIN);
            ::CheckRadioButton(Window(), IDC_NEW_LEFT, IDC_NEW_MIDDLE, IDC_NEW_LEFT);
            if (hotKey_.Attach(::GetDlgItem(Window(), IDC_NEW_KEY)))
                hotKey_.OnChange = [this] { Compose(); };
            ShowGroups();
            return FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                switch (LOWORD(wParam)) {
                case IDC_NEW_OK:
                    if (::IsWindowEnabled(::GetDlgItem(Window(), IDC_NEW_OK)))
                        page_.AddBinding(name_);
                    break;
                case IDC_NEW_CANCEL:
                    page_.HideNewBinding();
                    break;
                default:
                    ShowGroups();
                    Compose();
                    break;
                }
            }
            return TRUE;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == ::GetDlgItem(Window(), IDC_NEW_NAME)) {
                const auto dc = reinterpret_cast<HDC>(wParam);
                ::SetTextColor(dc, exists_ ? kExistingNameColor : ::GetSysColor(COLOR_BTNTEXT));
                ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
            }
            return FALSE;
        default:
            return FALSE;
        }
    }

    bool Checked(int id) const { return ::IsDlgButtonChecked(Window(), id) == BST_CHECKED; }

    int Source() const {
        if (Checked(IDC_NEW_TRAY))
            return IDC_NEW_TRAY;
        return Checked(IDC_NEW_HOTKEY) ? IDC_NEW_HOTKEY : IDC_NEW_MAIN;
    }

    NewBinding Binding() const {
        NewBinding binding;
        const int source = Source();
        binding.source = source == IDC_NEW_HOTKEY ? BindingSource::HotKey
                         : source == IDC_NEW_TRAY ? BindingSource::TrayClick
                                                  : BindingSource::ClockClick;
        binding.doubleClick = Checked(IDC_NEW_DOUBLE);
        binding.button = Checked(IDC_NEW_RIGHT)    ? ClickButton::Right
                         : Checked(IDC_NEW_MIDDLE) ? ClickButton::Middle
                                                   : ClickButton::Left;
        binding.keys = {Checked(IDC_NEW_SHIFT), Checked(IDC_NEW_CTRL), Checked(IDC_NEW_ALT),
                        Checked(IDC_NEW_WIN)};
        binding.hotKeyText = hotKey_.Text();
        return binding;
    }

    void ShowGroups() {
        const bool hotKey = Source() == IDC_NEW_HOTKEY;
        for (const int id : kClickControls)
            ::ShowWindow(::GetDlgItem(Window(), id), hotKey ? SW_HIDE : SW_SHOW);
        for (const int id : kKeyControls)
            ::ShowWindow(::GetDlgItem(Window(), id), hotKey ? SW_SHOW : SW_HIDE);
    }

    TztPageBindings& page_;
    TztSetupHost& host_;
    TztHotKey hotKey_;
    std::wstring name_;
    bool exists_ = false;
};

TztPageBindings::TztPageBindings(TztSetupHost& host) : host_(host) {}

TztPageBindings::~TztPageBindings() {
    // Nothing may reach this object while its members go.
    if (Window())
        ::RemoveWindowSubclass(Window(), &PageProc, 0);
    if (editorEdit_)
        ::RemoveWindowSubclass(editorEdit_, &EditorProc, 0);
    if (editor_.Button())
        ::RemoveWindowSubclass(editor_.Button(), &EditorProc, 0);
}

bool TztPageBindings::Create(HWND parent) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (!CreateModeless(CurrentModule(), IDD_PAGE_BINDINGS, parent))
        return false;
    SetComponentName(Window(), L"pnlCtrl");
    return newBinding_ && newBinding_->Window() && editor_.Window();
}

void TztPageBindings::InitDialog() {
    HWND window = Window();
    NameControls(window, kControls);
    HWND list = List();
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    RECT client{};
    ::GetClientRect(list, &client);
    const int nameWidth = client.right * 2 / 5;
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = nameWidth;
    column.pszText = const_cast<wchar_t*>(L"");
    ListView_InsertColumn(list, 0, &column);
    column.cx = client.right - nameWidth - ::GetSystemMetrics(SM_CXVSCROLL);
    ListView_InsertColumn(list, kCommandColumn, &column);

    // The command picker that edits a command cell, hidden until then.
    if (editor_.Create(window, IDC_BIND_EDITOR, 0, 0, 100, kEditorListHeight)) {
        ::ShowWindow(editor_.Window(), SW_HIDE);
        // The page is not visible yet: the button does not follow the box's hiding then.
        ::ShowWindow(editor_.Button(), SW_HIDE);
        SetComponentName(editor_.Window(), L"OperCmd");
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        if (::GetComboBoxInfo(editor_.Window(), &info))
            editorEdit_ = info.hwndItem;
        const auto data = reinterpret_cast<DWORD_PTR>(this);
        if (editorEdit_)
            ::SetWindowSubclass(editorEdit_, &EditorProc, 0, data);
        if (editor_.Button())
            ::SetWindowSubclass(editor_.Button(), &EditorProc, 0, data);
        // After the picker's own: the page sees the "..." button's clicks first.
        ::SetWindowSubclass(window, &PageProc, 0, data);
    }

    auto panel = std::make_unique<TztNewBindingPanel>(*this, host_);
    if (panel->Create(window))
        newBinding_ = std::move(panel);
}

void TztPageBindings::Translate() {
    TranslateControls(Window(), host_, kControls);
    const std::wstring titles[] = {host_.Text(L"SETUP=OperListName"),
                                   host_.Text(L"SETUP=OperListCmd")};
    for (int index = 0; index < 2; ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<wchar_t*>(titles[index].c_str());
        ListView_SetColumn(List(), index, &column);
    }
    if (newBinding_)
        newBinding_->Translate();
}

void TztPageBindings::Fill() {
    CancelEdit();
    rows_.clear();
    if (const auto bindings = TztComRef<IztBindings>::Query(host_.Zentik(), IID_IztBindings))
        rows_ = ParseBindingRows(ztTakeBstr(bindings->GetBindings()));
    editor_.SetCmnd(host_.Commands());
    ShowRows();
    HideNewBinding();
}

void TztPageBindings::Hidden() {
    ::KillTimer(Window(), kEditTimer);
    pendingEditRow_ = -1;
    EndEdit(Accept::AsTyped);
}

void TztPageBindings::Ok() {
    EndEdit(Accept::AsTyped);
    if (const auto bindings = TztComRef<IztBindings>::Query(host_.Zentik(), IID_IztBindings))
        bindings->SetBindings(JoinBindingRows(rows_).c_str());
}

bool TztPageBindings::HasBinding(const std::wstring& name) const {
    return std::any_of(rows_.begin(), rows_.end(),
                       [&](const BindingEntry& row) { return SameName(row.name, name); });
}

void TztPageBindings::AddBinding(const std::wstring& name) {
    CancelEdit();
    const auto found = std::find_if(rows_.begin(), rows_.end(), [&](const BindingEntry& row) {
        return SameName(row.name, name);
    });
    int row = static_cast<int>(found - rows_.begin());
    if (found == rows_.end()) {
        rows_.push_back({name, std::wstring()});
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(name.c_str());
        ListView_InsertItem(List(), &item);
    }
    HideNewBinding();
    SelectRow(row);
    ::SetFocus(List());
}

void TztPageBindings::HideNewBinding() {
    if (!newBinding_)
        return;
    HWND panel = newBinding_->Window();
    HWND focus = ::GetFocus();
    ::ShowWindow(panel, SW_HIDE);
    if (focus && ::IsChild(panel, focus))
        ::SetFocus(::GetDlgItem(Window(), IDC_BIND_ADD));
}

void TztPageBindings::ShowNewBinding() {
    CancelEdit();
    if (newBinding_)
        newBinding_->Show();
}

INT_PTR TztPageBindings::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitDialog();
        return FALSE; // a page takes no focus of its own
    case WM_NOTIFY: {
        const LRESULT result = OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        ::SetWindowLongPtrW(Window(), DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BIND_ADD:
            if (HIWORD(wParam) == BN_CLICKED)
                ShowNewBinding();
            break;
        case IDC_BIND_DELETE:
            if (HIWORD(wParam) == BN_CLICKED)
                DeleteSelected();
            break;
        case IDC_BIND_EDITOR:
            if (HIWORD(wParam) == CBN_KILLFOCUS)
                ::PostMessageW(Window(), kCheckEditFocus, 0, 0);
            break;
        default:
            break;
        }
        return TRUE;
    case WM_TIMER:
        if (wParam == kEditTimer) {
            ::KillTimer(Window(), kEditTimer);
            const int row = std::exchange(pendingEditRow_, -1);
            if (row >= 0)
                BeginEdit(row);
        }
        return TRUE;
    case kCheckEditFocus:
        CheckEditFocus();
        return TRUE;
    case WM_DESTROY:
        ::KillTimer(Window(), kEditTimer);
        return FALSE;
    default:
        return FALSE;
    }
}

LRESULT TztPageBindings::OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_BIND_LIST)
        return 0;
    switch (header.code) {
    case NM_CUSTOMDRAW:
        return CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
    case NM_CLICK: {
        LVHITTESTINFO hit{};
        hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
        ListView_SubItemHitTest(List(), &hit);
        OnListClick(hit.iItem, hit.iSubItem);
        return 0;
    }
    case NM_DBLCLK: {
        ::KillTimer(Window(), kEditTimer);
        pendingEditRow_ = -1;
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0)
            EditRowCommand(row);
        return 0;
    }
    case LVN_KEYDOWN:
        switch (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey) {
        case VK_DELETE:
            DeleteSelected();
            break;
        case VK_F2:
            BeginEdit(SelectedRow());
            break;
        default:
            break;
        }
        return 0;
    case LVN_ITEMCHANGED:
        ::EnableWindow(::GetDlgItem(Window(), IDC_BIND_DELETE), SelectedRow() >= 0);
        return 0;
    default:
        return 0;
    }
}

void TztPageBindings::OnListClick(int row, int column) {
    ::KillTimer(Window(), kEditTimer);
    pendingEditRow_ = -1;
    if (row < 0 || column != kCommandColumn)
        return;
    pendingEditRow_ = row;
    ::SetTimer(Window(), kEditTimer, ::GetDoubleClickTime(), nullptr);
}

LRESULT TztPageBindings::CustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const auto row = static_cast<size_t>(draw.nmcd.dwItemSpec);
        if (row < rows_.size()) {
            if (const auto color = BindingRowColor(rows_[row].name)) {
                draw.clrTextBk = *color;
                draw.clrText = RGB(0, 0, 0);
            }
        }
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

HWND TztPageBindings::List() const {
    return ::GetDlgItem(Window(), IDC_BIND_LIST);
}

int TztPageBindings::SelectedRow() const {
    return ListView_GetNextItem(List(), -1, LVNI_SELECTED);
}

void TztPageBindings::SelectRow(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(List(), row, FALSE);
}

void TztPageBindings::ShowRows() {
    HWND list = List();
    ListView_DeleteAllItems(list);
    for (size_t index = 0; index < rows_.size(); ++index) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(index);
        item.pszText = const_cast<wchar_t*>(rows_[index].name.c_str());
        const auto row = static_cast<int>(ListView_InsertItem(list, &item));
        ListView_SetItemText(list, row, kCommandColumn,
                             const_cast<wchar_t*>(rows_[index].command.c_str()));
    }
    ::EnableWindow(::GetDlgItem(Window(), IDC_BIND_DELETE), SelectedRow() >= 0);
}

void TztPageBindings::SetRowCommand(int row, const std::wstring& command) {
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    rows_[row].command = command;
    ListView_SetItemText(List(), row, kCommandColumn, const_cast<wchar_t*>(command.c_str()));
}

void TztPageBindings::DeleteSelected() {
    CancelEdit();
    const int row = SelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    rows_.erase(rows_.begin() + row);
    ListView_DeleteItem(List(), row);
    SelectRow(std::min(row, static_cast<int>(rows_.size()) - 1));
    ::EnableWindow(::GetDlgItem(Window(), IDC_BIND_DELETE), SelectedRow() >= 0);
}

void TztPageBindings::EditRowCommand(int row) {
    CancelEdit();
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    const std::wstring edited = EditCommandLine(rows_[row].command);
    SetRowCommand(row, edited);
}

std::wstring TztPageBindings::EditCommandLine(const std::wstring& line) const {
    IztCmnd* commands = host_.Commands();
    if (!commands)
        return line;
    return ztTakeBstr(commands->EditCommandLine(line.c_str()));
}

void TztPageBindings::BeginEdit(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || !editor_.Window())
        return;
    EndEdit(Accept::AsTyped);
    HWND list = List();
    SelectRow(row);
    RECT cell{};
    cell.top = kCommandColumn;
    cell.left = LVIR_BOUNDS;
    if (!::SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell)))
        return;
    ::MapWindowPoints(list, Window(), reinterpret_cast<POINT*>(&cell), 2);
    editRow_ = row;
    editStart_ = rows_[row].command;
    editor_.SetText(editStart_);

    // The box's height follows its font; the cell keeps room for "..." on its right.
    HWND combo = editor_.Window();
    RECT box{};
    ::GetWindowRect(combo, &box);
    const int height = box.bottom - box.top;
    const int width =
        std::max(static_cast<int>(cell.right - cell.left) - height - 2 - kButtonGap, height * 2);
    ::SetWindowPos(combo, HWND_TOP, cell.left, cell.top, width, kEditorListHeight, SWP_SHOWWINDOW);
    ::SetWindowPos(editor_.Button(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetFocus(combo);
    ::SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void TztPageBindings::EndEdit(Accept accept) {
    if (editRow_ < 0)
        return;
    const int row = std::exchange(editRow_, -1);
    std::wstring text = editor_.Text();
    const bool hadFocus = EditorHasFocus();
    ::ShowWindow(editor_.Window(), SW_HIDE);
    if (hadFocus)
        ::SetFocus(List());
    if (accept == Accept::ThroughEditor ||
        (accept == Accept::ThroughEditorIfChanged && text != editStart_))
        text = EditCommandLine(text);
    SetRowCommand(row, text);
}

void TztPageBindings::CancelEdit() {
    if (editRow_ < 0)
        return;
    editRow_ = -1;
    const bool hadFocus = EditorHasFocus();
    ::ShowWindow(editor_.Window(), SW_HIDE);
    if (hadFocus)
        ::SetFocus(List());
}

void TztPageBindings::CheckEditFocus() {
    if (editRow_ >= 0 && !EditorHasFocus())
        EndEdit(Accept::ThroughEditorIfChanged);
}

bool TztPageBindings::EditorHasFocus() const {
    HWND focus = ::GetFocus();
    HWND combo = editor_.Window();
    return focus && combo &&
           (focus == combo || ::IsChild(combo, focus) || focus == editor_.Button());
}

LRESULT CALLBACK TztPageBindings::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR data) {
    try {
        auto* self = reinterpret_cast<TztPageBindings*>(data);
        // "..." accepts the edit through the command's editor.
        if (message == WM_COMMAND && lParam && HIWORD(wParam) == BN_CLICKED &&
            reinterpret_cast<HWND>(lParam) == self->editor_.Button()) {
            self->EndEdit(Accept::ThroughEditor);
            return 0;
        }
    } catch (...) {
        DiagLogCaught(L"bindings page");
        return 0;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK TztPageBindings::EditorProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    try {
        return reinterpret_cast<TztPageBindings*>(data)->OnEditorMessage(window, message, wParam,
                                                                         lParam);
    } catch (...) {
        DiagLogCaught(L"bindings page editor");
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT TztPageBindings::OnEditorMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KILLFOCUS) {
        ::PostMessageW(Window(), kCheckEditFocus, 0, 0);
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    if (window != editorEdit_)
        return ::DefSubclassProc(window, message, wParam, lParam);
    // Enter accepts and Esc drops the edit, unless the list is open.
    const bool listOpen = ::SendMessageW(editor_.Window(), CB_GETDROPPEDSTATE, 0, 0) != 0;
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = ::DefSubclassProc(window, message, wParam, lParam);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN &&
            (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE) && editRow_ >= 0 && !listOpen)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_KEYDOWN:
        if ((wParam == VK_RETURN || wParam == VK_ESCAPE) && editRow_ >= 0 && !listOpen) {
            keyConsumed_ = true;
            if (wParam == VK_RETURN)
                EndEdit(Accept::ThroughEditorIfChanged);
            else
                CancelEdit();
            return 0;
        }
        break;
    case WM_CHAR:
        if ((wParam == L'\r' || wParam == 0x1B) && keyConsumed_) {
            keyConsumed_ = false;
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

std::unique_ptr<TztSetupPage> CreatePageBindings(TztSetupHost& host) {
    return std::make_unique<TztPageBindings>(host);
}

} // namespace zt::options
