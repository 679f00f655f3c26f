#include "scheduler_window.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>

#include "common/component_name.h"
#include "common/diag_log.h"
#include "common/handles.h"
#include "common/win_locale.h"
#include "schedule_controls.h"
#include "scheduler_windows_resource.h"
#include "task_description.h"
#include "zentik/ztZentikInterface.h"

namespace zt {
namespace {

// The open list window, which owns itself (deleted when its window is gone).
TfrmScheduler* g_window = nullptr;

// The smallest size of the window, in pixels at 96 dots per inch.
constexpr int kMinWidth = 500;
constexpr int kMinHeight = 255;

constexpr wchar_t kPlacementKeyName[] = L"Scheduler.Zentik";
constexpr const wchar_t* kPlacementValues[] = {L"ListLeft", L"ListTop", L"ListWidth",
                                               L"ListHeight"};

constexpr TztControlName kCaptioned[] = {
    {IDC_LB1, L"lb1"},
    {IDC_BTN_NEW, L"btnNew"},
    {IDC_BTN_CHANGE, L"btnChange"},
    {IDC_BTN_DELETE, L"btnDelete"},
    {IDCANCEL, L"btnClose"},
};
constexpr TztControlHint kHints[] = {{IDC_LV, L"LVHint"}};

std::wstring PlacementKey() {
    return std::wstring(ZT_PLUGINS_REGISTRY_KEY) + kPlacementKeyName;
}

// Pixels for a length at 96 dots per inch on this screen.
int ScreenPixels(int length) {
    WindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return ::MulDiv(length, dpi > 0 ? dpi : 96, 96);
}

TaskDescriptionTexts DescriptionTexts(const SchedulerUiContext& context) {
    auto text = [&context](const std::wstring& key) {
        return context.text ? context.text(key.c_str()) : std::wstring();
    };
    TaskDescriptionTexts texts;
    texts.words = SplitTextLines(text(L"rsWords"));
    texts.dayWeek = SplitTextLines(text(L"rsDayWeek"));
    texts.months = SplitTextLines(text(L"rsMonth"));
    texts.executeAt = SplitTextLines(text(L"rbMExecuteAt"));
    for (int day = 0; day < 7; ++day)
        texts.ordinals[day] = SplitTextLines(text(L"cbMNomb_" + std::to_wstring(day + 1)));
    texts.monthDay = text(L"rbMDay");
    texts.week = text(L"rbMWeek");
    texts.every = text(L"rsEveryF");
    texts.hours = text(L"rsHourF");
    texts.minutes = text(L"rsMinF");
    texts.dateSeparator = ReadLocaleFormatSettings().dateSeparator;
    return texts;
}

// The date of value in the system's short date format.
std::wstring ShortDate(DateTime value) {
    const LocalTime t = DecodeDateTime(value);
    SYSTEMTIME time{};
    time.wYear = t.year;
    time.wMonth = t.month;
    time.wDay = t.day;
    wchar_t text[128] = {};
    if (::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 128,
                          nullptr) == 0)
        return {};
    return text;
}

bool Listed(TScheduleList& list, const TScheduleItem* task) {
    for (const TScheduleItem* item = list.First(); item; item = item->next) {
        if (item == task)
            return true;
    }
    return false;
}

// The fields of from, keeping the list links of to.
void CopyFields(TScheduleItem& to, const TScheduleItem& from) {
    TScheduleItem* next = to.next;
    TScheduleItem* prev = to.prev;
    to = from;
    to.next = next;
    to.prev = prev;
}

void InsertColumn(HWND list, int index, const std::wstring& title, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.cx = width;
    column.iSubItem = index;
    ListView_InsertColumn(list, index, &column);
}

} // namespace

bool TfrmScheduler::Create() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    return CreateModeless(CurrentModule(), IDD_SCHEDULER, nullptr);
}

INT_PTR TfrmScheduler::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Init();
        return TRUE;
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_GETMINMAXINFO:
        MinimumSize(*reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_NOTIFY:
        return Notify(*reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_BTN_NEW:
            NewTask();
            return TRUE;
        case IDC_BTN_CHANGE:
            ChangeTask();
            return TRUE;
        case IDC_BTN_DELETE:
            DeleteTask();
            return TRUE;
        case IDOK: // Enter: the selected task's dialog
            if (SelectedTask())
                ChangeTask();
            return TRUE;
        case IDCANCEL:
            Close();
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        Close();
        return TRUE;
    case WM_DESTROY:
        SavePlacement();
        RemoveHintWindow(Window());
        return FALSE;
    default:
        return FALSE;
    }
}

void TfrmScheduler::OnFinalMessage() {
    if (g_window == this)
        g_window = nullptr;
    const std::function<void()> destroyed = context_.windowDestroyed;
    // A task dialog still on the stack returns into this object; it deletes it then.
    if (dialogs_ > 0)
        orphaned_ = true;
    else
        delete this;
    if (destroyed)
        destroyed();
}

void TfrmScheduler::Init() {
    HWND window = Window();
    list_ = ::GetDlgItem(window, IDC_LV);
    SetComponentName(window, L"frmScheduler");
    NameControls(window, kCaptioned);
    SetComponentName(list_, L"LV");
    CreateHintWindow(window);
    const ControlTextSource text = SchedulerTexts(context_);
    TranslateCaption(window, context_, L"frmScheduler");
    TranslateControls(window, kCaptioned, text);
    TranslateHints(window, kHints, text);

    ListView_SetExtendedListViewStyle(list_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client{};
    ::GetClientRect(list_, &client);
    const int taskWidth = std::max<int>(client.right / 3, 100);
    InsertColumn(list_, 0, text(L"task"), taskWidth);
    InsertColumn(list_, 1, text(L"time"), std::max<int>(client.right - taskWidth, 100));
    RestorePlacement();
    Layout();
    UpdateButtons();
}

void TfrmScheduler::Layout() {
    HWND window = Window();
    if (!list_)
        return;
    RECT client{};
    ::GetClientRect(window, &client);
    // Margin, label height, button width and height, gap: dialog units.
    RECT units{7, 8, 60, 14};
    ::MapDialogRect(window, &units);
    RECT gapUnits{4, 3, 0, 0};
    ::MapDialogRect(window, &gapUnits);
    const int margin = units.left;
    const int labelHeight = units.top;
    const int buttonWidth = units.right;
    const int buttonHeight = units.bottom;
    const int gap = gapUnits.left;
    const int width = std::max<int>(client.right - 2 * margin, 0);
    const int buttonTop = client.bottom - margin - buttonHeight;
    const int listTop = margin + labelHeight + gapUnits.top;

    HDWP positions = ::BeginDeferWindowPos(6);
    auto place = [&](int id, int x, int y, int w, int h) {
        if (positions)
            positions =
                ::DeferWindowPos(positions, ::GetDlgItem(window, id), nullptr, x, y, std::max(w, 0),
                                 std::max(h, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(IDC_LB1, margin, margin, width, labelHeight);
    place(IDC_LV, margin, listTop, width, buttonTop - margin - listTop);
    place(IDC_BTN_NEW, margin, buttonTop, buttonWidth, buttonHeight);
    place(IDC_BTN_CHANGE, margin + buttonWidth + gap, buttonTop, buttonWidth, buttonHeight);
    place(IDC_BTN_DELETE, margin + 2 * (buttonWidth + gap), buttonTop, buttonWidth, buttonHeight);
    place(IDCANCEL, client.right - margin - buttonWidth, buttonTop, buttonWidth, buttonHeight);
    if (positions)
        ::EndDeferWindowPos(positions);
    // The description column takes the rest of the width.
    ListView_SetColumnWidth(list_, 1, LVSCW_AUTOSIZE_USEHEADER);
}

void TfrmScheduler::MinimumSize(MINMAXINFO& info) const {
    info.ptMinTrackSize.x = ScreenPixels(kMinWidth);
    info.ptMinTrackSize.y = ScreenPixels(kMinHeight);
}

bool TfrmScheduler::Notify(const NMHDR& header) {
    if (header.hwndFrom != list_)
        return false;
    switch (header.code) {
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (change.uChanged & LVIF_STATE)
            UpdateButtons();
        return true;
    }
    case NM_DBLCLK:
        if (SelectedTask())
            ChangeTask();
        return true;
    default:
        return false;
    }
}

void TfrmScheduler::UpdateButtons() {
    const bool selected = SelectedRow() >= 0;
    ::EnableWindow(::GetDlgItem(Window(), IDC_BTN_CHANGE), selected);
    ::EnableWindow(::GetDlgItem(Window(), IDC_BTN_DELETE), selected);
}

int TfrmScheduler::SelectedRow() const {
    return list_ ? ListView_GetNextItem(list_, -1, LVNI_SELECTED) : -1;
}

TScheduleItem* TfrmScheduler::SelectedTask() const {
    const int row = SelectedRow();
    if (row < 0)
        return nullptr;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!ListView_GetItem(list_, &item))
        return nullptr;
    return reinterpret_cast<TScheduleItem*>(item.lParam);
}

void TfrmScheduler::Show() {
    UpdateButtons();
    if (TSchedulerEngine* engine = context_.engine) {
        std::lock_guard<std::recursive_mutex> lock(engine->List().Lock());
        if (TScheduleItem* first = engine->List().First())
            engine->RepositionTask(first);
    }
    Refill();
    ::ShowWindow(Window(), SW_SHOWNORMAL);
    ::SetForegroundWindow(Window());
}

void TfrmScheduler::Refill() {
    TSchedulerEngine* engine = context_.engine;
    if (!engine || !list_)
        return;
    const TaskDescriptionTexts texts = DescriptionTexts(context_);
    const std::function<std::wstring(DateTime)> shortDate = ShortDate;
    const TScheduleItem* selected = SelectedTask();
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    {
        std::lock_guard<std::recursive_mutex> lock(engine->List().Lock());
        engine->ArmScheduler();
        int row = 0;
        for (TScheduleItem* task = engine->List().First(); task; task = task->next, ++row) {
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = row;
            item.pszText = const_cast<wchar_t*>(task->Cmnd.c_str());
            item.lParam = reinterpret_cast<LPARAM>(task);
            row = ListView_InsertItem(list_, &item);
            if (row < 0)
                break;
            std::wstring description = DescribeTask(*task, texts, shortDate);
            ListView_SetItemText(list_, row, 1, description.data());
            if (task == selected)
                ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED,
                                      LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    UpdateButtons();
}

bool TfrmScheduler::RunDialog(TScheduleItem& task, bool isNew, const std::wstring& preset,
                              bool& ok) {
    ++dialogs_;
    ok = RunTaskDialog(Window(), context_, task, isNew, preset);
    --dialogs_;
    if (orphaned_ && dialogs_ == 0) {
        delete this;
        return false;
    }
    return !orphaned_;
}

bool TfrmScheduler::NewTask() {
    auto task = std::make_unique<TScheduleItem>();
    bool ok = false;
    if (!RunDialog(*task, true, preset_, ok))
        return false;
    if (ok && context_.engine) {
        context_.engine->InsertTask(std::move(task));
        Refill();
    }
    return true;
}

bool TfrmScheduler::NewTaskWith(const std::wstring& preset) {
    std::wstring previous = std::exchange(preset_, preset);
    if (!NewTask())
        return false;
    preset_ = std::move(previous);
    return true;
}

// The dialog works on a copy: the task may run, and even be dropped, while it is open.
bool TfrmScheduler::ChangeTask() {
    TSchedulerEngine* engine = context_.engine;
    TScheduleItem* task = SelectedTask();
    if (!engine || !task)
        return true;
    TScheduleItem edited;
    {
        std::lock_guard<std::recursive_mutex> lock(engine->List().Lock());
        if (!Listed(engine->List(), task))
            return true;
        CopyFields(edited, *task);
    }
    bool ok = false;
    if (!RunDialog(edited, false, std::wstring(), ok))
        return false;
    if (!ok)
        return true;
    {
        std::lock_guard<std::recursive_mutex> lock(engine->List().Lock());
        if (Listed(engine->List(), task)) {
            CopyFields(*task, edited);
            engine->RepositionTask(task);
        } else {
            engine->InsertTask(std::make_unique<TScheduleItem>(edited));
        }
    }
    Refill();
    return true;
}

void TfrmScheduler::DeleteTask() {
    TSchedulerEngine* engine = context_.engine;
    const int row = SelectedRow();
    TScheduleItem* task = SelectedTask();
    if (!engine || !task)
        return;
    {
        std::lock_guard<std::recursive_mutex> lock(engine->List().Lock());
        if (Listed(engine->List(), task))
            engine->RemoveTask(task);
    }
    ListView_DeleteItem(list_, row);
    UpdateButtons();
}

void TfrmScheduler::Close() {
    if (context_.saveList)
        context_.saveList();
    DestroyWindowNow();
}

void TfrmScheduler::SavePlacement() const {
    RECT rect{};
    if (!::GetWindowRect(Window(), &rect))
        return;
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, PlacementKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return;
    UniqueKey key(raw);
    const LONG values[] = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const DWORD value = static_cast<DWORD>(values[i]);
        ::RegSetValueExW(key.get(), kPlacementValues[i], 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }
}

// The remembered place, when it is still on a monitor.
void TfrmScheduler::RestorePlacement() {
    LONG values[4] = {};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (::RegGetValueW(HKEY_CURRENT_USER, PlacementKey().c_str(), kPlacementValues[i],
                           RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
            return;
        values[i] = static_cast<LONG>(value);
    }
    const LONG width = std::max<LONG>(values[2], ScreenPixels(kMinWidth));
    const LONG height = std::max<LONG>(values[3], ScreenPixels(kMinHeight));
    const RECT rect{values[0], values[1], values[0] + width, values[1] + height};
    if (!::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL))
        return;
    ::SetWindowPos(Window(), nullptr, rect.left, rect.top, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowSchedulerWindow(const SchedulerUiContext& context) {
    try {
        if (!g_window) {
            auto window = std::make_unique<TfrmScheduler>(context);
            if (!window->Create())
                return;
            g_window = window.release(); // owned by its window from now on
        }
        g_window->Show();
    } catch (...) {
        DiagLogCaught(L"ShowSchedulerWindow");
    }
}

bool SchedulerWindowOpen() noexcept {
    return g_window != nullptr;
}

HWND SchedulerWindowHandle() noexcept {
    return g_window ? g_window->Window() : nullptr;
}

void RefillSchedulerWindow() {
    try {
        if (g_window)
            g_window->Refill();
    } catch (...) {
        DiagLogCaught(L"RefillSchedulerWindow");
    }
}

void SchedulerNewTask(const SchedulerUiContext& context, const std::wstring& preset) {
    try {
        ShowSchedulerWindow(context);
        if (g_window)
            g_window->NewTaskWith(preset);
    } catch (...) {
        DiagLogCaught(L"SchedulerNewTask");
    }
}

void CloseSchedulerWindow() {
    try {
        if (g_window)
            g_window->Close();
    } catch (...) {
        DiagLogCaught(L"CloseSchedulerWindow");
    }
}

} // namespace zt
