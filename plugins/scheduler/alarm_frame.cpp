#include "alarm_frame.h"

#include <commctrl.h>

#include <climits>
#include <iterator>
#include <optional>
#include <span>
#include <utility>

#include "alarm_frame_resource.h"
#include "common/component_name.h"
#include "common/control_texts.h"
#include "common/diag_log.h"
#include "common/eight_bit_text.h"
#include "common/module_window_class.h"
#include "common/utf.h"
#include "common/window_text.h"
#include "task_description.h"

namespace zt {
namespace {

// The grid last: it takes no caption.
constexpr TztControlName kControls[] = {
    {IDC_ALARM_GBOX, L"GBox"}, {IDC_ALARM_SHED, L"btnShed"},
    {IDC_ALARM_SV, L"btnSv"},  {IDC_ALARM_FAST_SCHED, L"btnFastSched"},
    {IDC_ALARM_SVEV, L"SvEv"},
};
constexpr std::span<const TztControlName> kCaptioned = std::span(kControls).first(4);

// The items of pmFS: the timed ones carry their minutes, N_Shed none.
struct FastItem {
    int id;
    const wchar_t* name;
    int minutes;
};
constexpr FastItem kFastItems[] = {
    {IDM_FS_1, L"N_1", 1},          {IDM_FS_2, L"N_2", 2},
    {IDM_FS_5, L"N_5", 5},          {IDM_FS_10, L"N_10", 10},
    {IDM_FS_15, L"N_15", 15},       {IDM_FS_20, L"N_20", 20},
    {IDM_FS_30, L"N_30", 30},       {IDM_FS_60, L"N_60", 60},
    {IDM_FS_120, L"N_120", 120},    {IDM_FS_180, L"N_180", 180},
    {IDM_FS_240, L"N_240", 240},    {IDM_FS_360, L"N_360", 360},
    {IDM_FS_720, L"N_720", 720},    {IDM_FS_1440, L"N_1440", 1440},
    {IDM_FS_2880, L"N_2880", 2880}, {IDM_FS_10080, L"N_10080", 10080},
    {IDM_FS_SHED, L"N_Shed", 0},
};

// Where the frame goes in the alarm page, in pixels.
constexpr int kFrameLeft = 10;
constexpr int kFrameTop = 135;
// Events.sav is a short list; anything larger is not read.
constexpr LONGLONG kMaxEventsFileSize = 16 * 1024 * 1024;

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxEventsFileSize)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return bytes.empty() || (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                         &written, nullptr) &&
                             written == bytes.size());
}

std::wstring ItemText(HWND grid, int row, int column) {
    std::wstring text(64, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto length = static_cast<size_t>(
            ::SendMessageW(grid, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < text.size() || text.size() >= 1 << 20) {
            text.resize(length);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

int RowCount(HWND grid) {
    return static_cast<int>(::SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0));
}

int SelectedRow(HWND grid) {
    return static_cast<int>(
        ::SendMessageW(grid, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SetColumnTitle(HWND grid, int column, const std::wstring& title) {
    LVCOLUMNW data{};
    data.mask = LVCF_TEXT;
    data.pszText = const_cast<wchar_t*>(title.c_str());
    ::SendMessageW(grid, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&data));
}

void SetMessageResult(HWND dialog, LONG_PTR result) {
    ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
}

} // namespace

TFAlarm::TFAlarm(AlarmFrameContext context) : context_(std::move(context)) {}

TFAlarm::~TFAlarm() {
    // WM_DESTROY still reaches this object: the grid is saved.
    DestroyWindowNow();
}

bool TFAlarm::Attach(HWND setupDialog) {
    HWND panel = setupDialog ? FindComponent(setupDialog, L"pnlAlarm") : nullptr;
    if (!panel)
        return false;
    commandBox_ = FindComponent(setupDialog, L"CBoxDoIt");
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (!CreateModeless(CurrentModule(), IDD_ALARM_FRAME, panel))
        return false;
    SetComponentName(Window(), L"FAlarm");
    ::SetWindowPos(Window(), nullptr, kFrameLeft, kFrameTop, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(Window(), SW_SHOWNA);
    return true;
}

HMENU TFAlarm::FastScheduleMenu() const noexcept {
    return menu_ ? ::GetSubMenu(menu_.get(), 0) : nullptr;
}

INT_PTR TFAlarm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitFrame();
        return FALSE; // the frame takes no focus of its own
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        return header && header->hwndFrom == grid_ ? OnNotify(*header) : FALSE;
    }
    case WM_DESTROY:
        EndValueEdit(true);
        SaveEvents();
        return FALSE;
    default:
        return FALSE;
    }
}

void TFAlarm::InitFrame() {
    HWND frame = Window();
    NameControls(frame, kControls);
    grid_ = ::GetDlgItem(frame, IDC_ALARM_SVEV);
    ::SendMessageW(grid_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                   LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    RECT area{};
    ::GetClientRect(grid_, &area);
    const int nameWidth = (area.right - area.left) * 2 / 5;
    const int widths[] = {nameWidth,
                          area.right - area.left - nameWidth - ::GetSystemMetrics(SM_CXVSCROLL)};
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW data{};
        data.mask = LVCF_WIDTH | LVCF_TEXT;
        data.cx = widths[column];
        data.pszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(grid_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&data));
    }

    if (HWND button = ::GetDlgItem(frame, IDC_ALARM_FAST_SCHED)) {
        LOGFONTW font{};
        const auto current = reinterpret_cast<HFONT>(::SendMessageW(frame, WM_GETFONT, 0, 0));
        if (current && ::GetObjectW(current, sizeof(font), &font) == sizeof(font)) {
            font.lfWeight = FW_BOLD;
            boldFont_.reset(::CreateFontIndirectW(&font));
            if (boldFont_)
                ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), TRUE);
        }
    }
    menu_.reset(::LoadMenuW(CurrentModule(), MAKEINTRESOURCEW(IDM_FAST_SCHEDULE)));
    Translate();
    LoadEvents();
}

void TFAlarm::Translate() {
    if (!context_.text)
        return;
    // Hints go to the options dialog's hint window.
    TranslateControls(Window(), kCaptioned,
                      [this](const std::wstring& key) { return context_.text(key.c_str()); });
    const std::vector<std::wstring> titles = SplitTextLines(context_.text(L"SvEv"));
    for (int column = 0; column < 2 && column < static_cast<int>(titles.size()); ++column)
        SetColumnTitle(grid_, column, titles[static_cast<size_t>(column)]);

    if (HMENU popup = FastScheduleMenu()) {
        for (const FastItem& item : kFastItems) {
            std::wstring caption = context_.text(item.name);
            if (caption.empty())
                continue;
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STRING;
            info.dwTypeData = caption.data();
            ::SetMenuItemInfoW(popup, static_cast<UINT>(item.id), FALSE, &info);
        }
    }
}

void TFAlarm::LoadEvents() {
    if (context_.eventsFile.empty())
        return;
    if (const std::optional<std::string> bytes = ReadFileBytes(context_.eventsFile)) {
        for (const SavedEvent& event : ParseSavedEvents(DecodeEightBitText(*bytes)))
            AddRow(event);
    }
    dirty_ = false;
}

void TFAlarm::AddRow(const SavedEvent& event) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = RowCount(grid_);
    item.pszText = const_cast<wchar_t*>(event.first.c_str());
    const auto row = static_cast<int>(
        ::SendMessageW(grid_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return;
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(event.second.c_str());
    ::SendMessageW(grid_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    dirty_ = true;
}

std::vector<SavedEvent> TFAlarm::Events() const {
    std::vector<SavedEvent> events;
    const int rows = grid_ ? RowCount(grid_) : 0;
    for (int row = 0; row < rows; ++row)
        events.emplace_back(ItemText(grid_, row, 0), ItemText(grid_, row, 1));
    return events;
}

bool TFAlarm::SaveEvents() {
    if (!dirty_ || context_.eventsFile.empty())
        return true;
    if (!WriteFileBytes(context_.eventsFile, WideToUtf8(ComposeSavedEvents(Events()))))
        return false;
    dirty_ = false;
    return true;
}

void TFAlarm::OnCommand(int id) {
    switch (id) {
    case IDC_ALARM_SHED:
        if (context_.showScheduler)
            context_.showScheduler();
        return;
    case IDC_ALARM_SV:
        if (commandBox_)
            AddRow({std::wstring(), CommandText()});
        return;
    case IDC_ALARM_FAST_SCHED:
        PopUpFastMenu();
        return;
    case IDM_FS_SHED:
        if (context_.newTask)
            context_.newTask(CommandText());
        return;
    default:
        break;
    }
    for (const FastItem& item : kFastItems) {
        if (item.id == id && item.minutes > 0) {
            FastSchedule(item.minutes);
            return;
        }
    }
}

INT_PTR TFAlarm::OnNotify(const NMHDR& header) {
    switch (header.code) {
    case LVN_ENDLABELEDITW: {
        const auto& edit = reinterpret_cast<const NMLVDISPINFOW&>(header);
        if (!edit.item.pszText)
            return FALSE; // cancelled
        const std::wstring name = edit.item.pszText;
        // "=" ends the name in Events.sav; names are unique.
        const bool accepted =
            name.find(L'=') == std::wstring::npos && !NameTaken(name, edit.item.iItem);
        if (accepted)
            dirty_ = true;
        SetMessageResult(Window(), accepted ? TRUE : FALSE);
        return TRUE;
    }
    case LVN_KEYDOWN: {
        const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
        const int row = SelectedRow(grid_);
        if (key.wVKey == VK_DELETE && row >= 0) {
            ::SendMessageW(grid_, LVM_DELETEITEM, row, 0);
            dirty_ = true;
        }
        return FALSE;
    }
    case NM_CLICK: {
        const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
        const int row = click.iItem >= 0 ? click.iItem : SelectedRow(grid_);
        if (row >= 0 && commandBox_)
            SetCommandText(ItemText(grid_, row, 1));
        return FALSE;
    }
    case NM_DBLCLK: {
        LVHITTESTINFO hit{};
        hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
        ::SendMessageW(grid_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem >= 0 && hit.iSubItem == 1)
            BeginValueEdit(hit.iItem);
        return FALSE;
    }
    default:
        return FALSE;
    }
}

bool TFAlarm::NameTaken(const std::wstring& name, int except) const {
    if (name.empty())
        return false; // rows remembered by btnSv start without a name
    const int rows = RowCount(grid_);
    for (int row = 0; row < rows; ++row) {
        if (row == except)
            continue;
        const std::wstring other = ItemText(grid_, row, 0);
        if (::CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), other.c_str(),
                                   static_cast<int>(other.size()), TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

std::wstring TFAlarm::CommandText() const {
    return commandBox_ ? WindowText(commandBox_) : std::wstring();
}

void TFAlarm::SetCommandText(const std::wstring& text) {
    ::SetWindowTextW(commandBox_, text.c_str());
}

void TFAlarm::PopUpFastMenu() {
    HWND button = ::GetDlgItem(Window(), IDC_ALARM_FAST_SCHED);
    HMENU popup = FastScheduleMenu();
    RECT area{};
    if (!popup || !::GetWindowRect(button, &area))
        return;
    // The choice arrives as WM_COMMAND.
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, area.right, area.top, 0,
                     Window(), nullptr);
}

void TFAlarm::FastSchedule(int minutes) {
    if (context_.engine)
        context_.engine->FastSchedule(minutes, CommandText());
}

void TFAlarm::BeginValueEdit(int row) {
    EndValueEdit(true);
    RECT cell{};
    cell.top = 1; // the command line's column
    cell.left = LVIR_BOUNDS;
    if (!::SendMessageW(grid_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell)))
        return;
    HWND edit = ::CreateWindowExW(0, L"EDIT", ItemText(grid_, row, 1).c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell.left,
                                  cell.top, cell.right - cell.left, cell.bottom - cell.top, grid_,
                                  nullptr, CurrentModule(), nullptr);
    if (!edit)
        return;
    if (!::SetWindowSubclass(edit, &ValueEditProc, 1, reinterpret_cast<DWORD_PTR>(this))) {
        ::DestroyWindow(edit);
        return;
    }
    valueEdit_ = edit;
    valueRow_ = row;
    ::SendMessageW(edit, WM_SETFONT, ::SendMessageW(grid_, WM_GETFONT, 0, 0), FALSE);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SetFocus(edit);
}

void TFAlarm::EndValueEdit(bool keep) {
    HWND edit = std::exchange(valueEdit_, nullptr);
    if (!edit)
        return;
    if (keep) {
        const std::wstring text = WindowText(edit);
        if (text != ItemText(grid_, valueRow_, 1)) {
            LVITEMW item{};
            item.iSubItem = 1;
            item.pszText = const_cast<wchar_t*>(text.c_str());
            ::SendMessageW(grid_, LVM_SETITEMTEXTW, valueRow_, reinterpret_cast<LPARAM>(&item));
            dirty_ = true;
        }
    }
    valueRow_ = -1;
    ::DestroyWindow(edit);
}

LRESULT CALLBACK TFAlarm::ValueEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<TFAlarm*>(data);
    try {
        switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS; // Enter and Escape end the edit, not the dialog
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                self->EndValueEdit(wParam == VK_RETURN);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == L'\r' || wParam == L'\x1B')
                return 0; // no beep
            break;
        case WM_KILLFOCUS:
            if (self->valueEdit_ == window) {
                self->EndValueEdit(true); // the window is gone now
                return 0;
            }
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(window, &ValueEditProc, id);
            break;
        default:
            break;
        }
    } catch (...) {
        DiagLogCaught(L"TFAlarm value edit");
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

std::unique_ptr<TFAlarm> AttachAlarmFrame(HWND setupDialog, AlarmFrameContext context) {
    auto frame = std::make_unique<TFAlarm>(std::move(context));
    if (!frame->Attach(setupDialog))
        return nullptr;
    return frame;
}

} // namespace zt
