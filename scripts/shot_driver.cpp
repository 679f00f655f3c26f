// Drives a running clock for screenshots. Each command that shows something waits until it
// is on screen and prints its screen geometry as "WxH+X+Y" (imagemagick's -crop).
//   shot_driver tasks         stores two sample tasks as the Scheduler's saved list
//   shot_driver clock         the clock window
//   shot_driver menu          opens the clock menu; clock and menu
//   shot_driver submenu       opens the Plug-ins submenu of the open menu; clock and menus
//   shot_driver endmenu       closes the open menus
//   shot_driver open          opens the options dialog; the dialog
//   shot_driver count         prints the number of tree nodes of the dialog
//   shot_driver select N      selects the N-th tree node (depth first); the dialog
//   shot_driver scheduler     presses the Alarm clock page's Scheduler button; its window
//   shot_driver new           presses the scheduler window's New; the task dialog
//   shot_driver endscheduler  cancels the task dialog and closes the scheduler window
//   shot_driver close         closes the dialog as its close box does
//   shot_driver quit          closes the clock
// Menus print the area holding the clock and its menus, then the geometry of each of them.
// Exit code 1 when a window does not appear (or go) in time.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "alarm_frame_resource.h"
#include "common/datetime.h"
#include "schedule_record.h"
#include "scheduler_windows_resource.h"

namespace {

constexpr wchar_t kListKey[] =
    L"Software\\Ombrelt\\Zentik\\Plugins\\Scheduler.Zentik\\ScheduleList";

// Polls ready every 100 ms for up to ten seconds.
bool WaitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 100; ++i) {
        if (ready())
            return true;
        ::Sleep(100);
    }
    return false;
}

// Lets window handle what was posted to it and draw the result.
void Settle(HWND window) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result);
    ::Sleep(300);
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result);
}

void PrintGeometry(RECT rect) {
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                rect.top);
}

void PrintWindow(HWND window) {
    Settle(window);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    PrintGeometry(rect);
}

bool HasClass(HWND window, const wchar_t* name) {
    wchar_t found[64] = {};
    ::GetClassNameW(window, found, 64);
    return std::wcscmp(found, name) == 0;
}

// The visible top-level windows of process for which accept holds.
std::vector<HWND> TopWindows(DWORD process, const std::function<bool(HWND)>& accept) {
    struct Search {
        DWORD process;
        const std::function<bool(HWND)>* accept;
        std::vector<HWND> found;
    } search{process, &accept, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->process && ::IsWindowVisible(window) && (*s->accept)(window))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible descendant of window with control id and class name, or nullptr.
HWND FindControl(HWND window, int id, const wchar_t* name) {
    struct Search {
        int id;
        const wchar_t* name;
        HWND found;
    } search{id, name, nullptr};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (::GetDlgCtrlID(child) == s->id && ::IsWindowVisible(child) &&
                HasClass(child, s->name))
                s->found = child;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Sends BN_CLICKED of button to its parent, as a click does.
void Press(HWND button) {
    ::PostMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

HWND OnlyWindow(const std::vector<HWND>& windows) {
    return windows.size() == 1 ? windows.front() : nullptr;
}

HWND OptionsDialog(DWORD process) {
    return OnlyWindow(TopWindows(process, [](HWND window) {
        return HasClass(window, L"#32770") &&
               ::FindWindowExW(window, nullptr, WC_TREEVIEWW, nullptr) != nullptr;
    }));
}

HWND SchedulerWindow(DWORD process) {
    return OnlyWindow(TopWindows(process, [](HWND window) {
        return FindControl(window, IDC_BTN_NEW, L"Button") != nullptr &&
               FindControl(window, IDC_LV, WC_LISTVIEWW) != nullptr;
    }));
}

HWND TaskDialog(DWORD process) {
    return OnlyWindow(TopWindows(process, [](HWND window) {
        return FindControl(window, IDC_CB_TASK_TYPE, WC_COMBOBOXW) != nullptr;
    }));
}

std::vector<HWND> Menus(DWORD process) {
    return TopWindows(process, [](HWND window) { return HasClass(window, L"#32768"); });
}

HTREEITEM NthItem(HWND tree, int n) {
    HTREEITEM item = TreeView_GetRoot(tree);
    for (int i = 0; item && i < n; ++i) {
        HTREEITEM next = TreeView_GetChild(tree, item);
        if (!next)
            next = TreeView_GetNextSibling(tree, item);
        for (HTREEITEM up = item; !next && up;) {
            up = TreeView_GetParent(tree, up);
            if (up)
                next = TreeView_GetNextSibling(tree, up);
        }
        item = next;
    }
    return item;
}

bool StoreTask(int n, const zt::TScheduleItem& task) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kListKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    const zt::ScheduleRecord block = zt::EncodeScheduleRecord(task);
    const std::wstring index = std::to_wstring(n);
    const DWORD count = static_cast<DWORD>(n);
    const bool stored =
        ::RegSetValueExW(key, (L"Item" + index).c_str(), 0, REG_BINARY, block.data(),
                         static_cast<DWORD>(block.size())) == ERROR_SUCCESS &&
        ::RegSetValueExW(key, (L"Cmnd" + index).c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(task.Cmnd.c_str()),
                         static_cast<DWORD>((task.Cmnd.size() + 1) * sizeof(wchar_t))) ==
            ERROR_SUCCESS &&
        ::RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                         sizeof(count)) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return stored;
}

// The time said aloud on working days at 07:30, and the clock synchronised daily at 12:00
// and every 3 hours after until 21:30.
int StoreSampleTasks() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const zt::DateTime today = zt::EncodeDate(now.wYear, now.wMonth, now.wDay);
    zt::TScheduleItem talk;
    talk.StartTime = today + zt::EncodeTime(7, 30, 0, 0);
    talk.TaskType = zt::sttWeekly;
    talk.WeekDays = 0x3E; // Monday ... Friday
    talk.Cmnd = L"pm_TalkTime";
    zt::TScheduleItem sync;
    sync.StartTime = today + zt::EncodeTime(12, 0, 0, 0);
    sync.TaskType = zt::sttDaily;
    sync.HasOptions = true;
    sync.Repeating = true;
    sync.RepeatEvery = 3;
    sync.EveryInMinutes = false;
    sync.UntilTime = true;
    sync.LimitHour = 21;
    sync.LimitMinute = 30;
    sync.Cmnd = L"NU_Synchronize";
    return StoreTask(1, talk) && StoreTask(2, sync) ? 0 : 1;
}

bool Is(const wchar_t* argument, const wchar_t* command) {
    return std::wcscmp(argument, command) == 0;
}

void PrintMenus(HWND clock, DWORD process) {
    Settle(clock);
    std::vector<RECT> parts(1);
    ::GetWindowRect(clock, &parts.front());
    for (HWND menu : Menus(process)) {
        parts.emplace_back();
        ::GetWindowRect(menu, &parts.back());
    }
    RECT area = parts.front();
    for (const RECT& part : parts)
        ::UnionRect(&area, &area, &part);
    PrintGeometry(area);
    for (const RECT& part : parts)
        PrintGeometry(part);
}

int OpenMenu(HWND clock, DWORD process) {
    RECT rect{};
    ::GetWindowRect(clock, &rect);
    ::PostMessageW(clock, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(clock),
                   MAKELPARAM(rect.left + 10, rect.bottom));
    if (!WaitFor([&] { return Menus(process).size() == 1; }))
        return 1;
    PrintMenus(clock, process);
    return 0;
}

// The menu loop reads the keys from the clock thread's queue: Down to the Plug-ins item
// (the fourth item; separators are skipped), Right opens it.
int OpenSubmenu(HWND clock, DWORD process) {
    for (int i = 0; i < 4; ++i)
        ::PostMessageW(clock, WM_KEYDOWN, VK_DOWN, 1);
    ::PostMessageW(clock, WM_KEYDOWN, VK_RIGHT, 1);
    if (!WaitFor([&] { return Menus(process).size() == 2; }))
        return 1;
    PrintMenus(clock, process);
    return 0;
}

int EndMenu(HWND clock, DWORD process) {
    return WaitFor([&] {
        if (Menus(process).empty())
            return true;
        ::PostMessageW(clock, WM_KEYDOWN, VK_ESCAPE, 1);
        return false;
    })
               ? 0
               : 1;
}

int ShowScheduler(DWORD process) {
    const HWND dialog = OptionsDialog(process);
    const HWND button = dialog ? FindControl(dialog, IDC_ALARM_SHED, L"Button") : nullptr;
    if (!button)
        return 1;
    Press(button);
    HWND window = nullptr;
    // Both sample tasks listed.
    if (!WaitFor([&] {
            window = SchedulerWindow(process);
            const HWND list = window ? FindControl(window, IDC_LV, WC_LISTVIEWW) : nullptr;
            return list && ListView_GetItemCount(list) >= 2;
        }))
        return 1;
    // Wide enough for the descriptions.
    ::SetWindowPos(window, nullptr, 0, 0, 900, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PrintWindow(window);
    return 0;
}

int NewTask(DWORD process) {
    const HWND window = SchedulerWindow(process);
    const HWND button = window ? FindControl(window, IDC_BTN_NEW, L"Button") : nullptr;
    if (!button)
        return 1;
    Press(button);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = TaskDialog(process)) != nullptr; }))
        return 1;
    PrintWindow(dialog);
    return 0;
}

int EndScheduler(DWORD process) {
    if (const HWND dialog = TaskDialog(process))
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    if (!WaitFor([&] { return TaskDialog(process) == nullptr; }))
        return 1;
    if (const HWND window = SchedulerWindow(process))
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return WaitFor([&] { return SchedulerWindow(process) == nullptr; }) ? 0 : 1;
}

int Options(const wchar_t* command, const wchar_t* argument, HWND clock, DWORD process) {
    if (Is(command, L"open"))
        ::PostMessageW(clock, WM_COMMAND, 5, 0); // the menu's Options item
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = OptionsDialog(process)) != nullptr; }))
        return 1;
    const HWND tree = ::FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
    if (Is(command, L"count")) {
        int n = 0;
        while (NthItem(tree, n))
            ++n;
        std::printf("%d\n", n);
        return 0;
    }
    if (Is(command, L"close")) {
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        return WaitFor([&] { return OptionsDialog(process) == nullptr; }) ? 0 : 1;
    }
    if (Is(command, L"select")) {
        const HTREEITEM item = argument ? NthItem(tree, _wtoi(argument)) : nullptr;
        if (!item)
            return 1;
        ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        ::SetForegroundWindow(dialog); // back in front after the scheduler's windows
    }
    PrintWindow(dialog);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    const wchar_t* command = argv[1];
    if (Is(command, L"tasks"))
        return StoreSampleTasks();
    // The pointer off every window: no hover effects, no tool tips.
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    HWND clock = nullptr;
    if (!WaitFor([&] {
            clock = ::FindWindowW(L"TfrmClock", L"Zentik");
            return clock && ::IsWindowVisible(clock);
        }))
        return 1;
    DWORD process = 0;
    ::GetWindowThreadProcessId(clock, &process);
    if (Is(command, L"quit")) {
        ::PostMessageW(clock, WM_CLOSE, 0, 0);
        return 0;
    }
    if (Is(command, L"clock")) {
        PrintWindow(clock);
        return 0;
    }
    if (Is(command, L"menu"))
        return OpenMenu(clock, process);
    if (Is(command, L"submenu"))
        return OpenSubmenu(clock, process);
    if (Is(command, L"endmenu"))
        return EndMenu(clock, process);
    if (Is(command, L"scheduler"))
        return ShowScheduler(process);
    if (Is(command, L"new"))
        return NewTask(process);
    if (Is(command, L"endscheduler"))
        return EndScheduler(process);
    return Options(command, argc > 2 ? argv[2] : nullptr, clock, process);
}
