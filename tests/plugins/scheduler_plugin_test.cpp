// The Scheduler's alarm-page frame on a stand-in setup dialog (with the real command
// picker as its command box), and Scheduler.pzt loaded into the test process: through the
// fake plug-in manager, and through the real one with the real command registry.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "alarm_frame.h"
#include "common/eight_bit_text.h"
#include "alarm_frame_resource.h"
#include "common/command_box.h"
#include "common/component_name.h"
#include "common/handles.h"
#include "common/utf.h"
#include "common/window_text.h"
#include "framework/cmnd_intf.h"
#include "framework/plugin_man.h"
#include "host/lang_man_intf.h"
#include "schedule_record.h"
#include "schedule_store.h"
#include "scheduler_engine.h"
#include "tests/plugins/fake_host.h"
#include "zentik/ztPlugin.h"

namespace zt::test {
namespace {

// --- helpers ------------------------------------------------------------------------------

DateTime At(int year, int month, int day, int hour, int minute, int second = 0, int ms = 0) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, ms);
}

DateTime LocalNow() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return EncodeDateTime(
        {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek});
}

// The start of the minute of a value.
DateTime MinuteOf(DateTime value) {
    const LocalTime t = DecodeDateTime(value);
    return EncodeDate(t.year, t.month, t.day) + EncodeTime(t.hour, t.minute, 0, 0);
}

std::string ReadBytes(const std::wstring& path) {
    const UniqueFile handle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    if (!handle)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(handle.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    const UniqueFile handle(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(handle);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr));
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Cell(HWND grid, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(grid, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<SavedEvent> Rows(HWND grid) {
    std::vector<SavedEvent> rows;
    const auto count = static_cast<int>(::SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        rows.emplace_back(Cell(grid, row, 0), Cell(grid, row, 1));
    return rows;
}

std::wstring ColumnTitle(HWND grid, int column) {
    wchar_t text[128] = {};
    LVCOLUMNW data{};
    data.mask = LVCF_TEXT;
    data.pszText = text;
    data.cchTextMax = 128;
    ::SendMessageW(grid, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&data));
    return text;
}

std::wstring MenuCaption(HMENU menu, int position) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    return text;
}

void Click(HWND button) {
    ::SendMessageW(button, BM_CLICK, 0, 0);
}

// A click of the mouse on a row of a list view, as posted input.
void ClickRow(HWND grid, int row) {
    RECT area{};
    area.left = LVIR_LABEL;
    ::SendMessageW(grid, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&area));
    const LPARAM at = MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    ::PostMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(grid, WM_LBUTTONUP, 0, at);
}

// Edits the name of row in place and ends the edit with Enter.
void EditName(HWND grid, int row, const std::wstring& name) {
    ::SetFocus(grid);
    HWND edit = reinterpret_cast<HWND>(::SendMessageW(grid, LVM_EDITLABELW, row, 0));
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextW(edit, name.c_str());
    ::SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    if (::IsWindow(edit))
        ::SendMessageW(edit, WM_CHAR, L'\r', 0);
    EXPECT_FALSE(::IsWindow(edit)) << "the edit ended";
}

// Double-clicks the command line of row and types text into the editor that opens; Enter
// (or else Escape) ends it.
void EditValue(HWND grid, int row, const std::wstring& text, bool enter) {
    RECT cell{};
    cell.top = 1;
    cell.left = LVIR_BOUNDS;
    ::SendMessageW(grid, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    ::SendMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    HWND edit = ::FindWindowExW(grid, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr) << "an editor opened";
    ::SetWindowTextW(edit, text.c_str());
    ::SendMessageW(edit, WM_KEYDOWN, enter ? VK_RETURN : VK_ESCAPE, 0);
    EXPECT_FALSE(::IsWindow(edit)) << "the editor closed";
}

void SelectRow(HWND grid, int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(grid, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

// The visible top-level window of thread that holds a control named name, or null.
HWND WindowHolding(DWORD thread, const wchar_t* name) {
    struct Search {
        const wchar_t* name;
        HWND found;
    } search{name, nullptr};
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            if (!::IsWindowVisible(window) || !FindComponent(window, search->name))
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A stand-in for the options dialog: a top-level window holding the alarm page's panel
// "pnlAlarm" (optional) with the alarm command box "CBoxDoIt", a real command picker, at the
// place the page's template gives it.
class FakeSetupDialog {
public:
    explicit FakeSetupDialog(bool withPanel = true) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZtFakeSetupDialog";
        ::RegisterClassExW(&wc); // fails harmlessly when registered already
        dialog_.reset(::CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"Setup", WS_POPUP,
                                        100, 100, 700, 520, nullptr, nullptr, wc.hInstance,
                                        nullptr));
        HWND holder = dialog_.get();
        if (withPanel) {
            panel_ =
                ::CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE,
                                  170, 8, 500, 400, holder, nullptr, wc.hInstance, nullptr);
            SetComponentName(panel_, L"pnlAlarm");
            holder = panel_;
        }
        combo_ = ::CreateWindowExW(0, WC_COMBOBOXW, L"",
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN |
                                       CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_AUTOHSCROLL,
                                   6, 88, 400, 200, holder, reinterpret_cast<HMENU>(1205),
                                   wc.hInstance, nullptr);
        SetComponentName(combo_, L"CBoxDoIt");
        picker.Attach(combo_);
        picker.OnChange = [this] { changes.push_back(picker.Text()); };
    }
    ~FakeSetupDialog() { picker.Detach(); }

    HWND Window() const { return dialog_.get(); }
    HWND Panel() const { return panel_; }
    HWND Combo() const { return combo_; }
    HWND Find(const wchar_t* name) const { return FindComponent(dialog_.get(), name); }

    TztCommandBox picker;
    // The picker's text at each change it reported.
    std::vector<std::wstring> changes;

private:
    UniqueWindow dialog_;
    HWND panel_ = nullptr;
    HWND combo_ = nullptr;
};

// --- the frame on its own -----------------------------------------------------------------

const DateTime kFrameNow = At(2026, 5, 4, 12, 34, 56, 789);

class AlarmFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"zt_alarm_frame_" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
        eventsFile = folder + L"\\Events.sav";
        ::DeleteFileW(eventsFile.c_str());
    }
    void TearDown() override {
        frame.reset();
        ::DeleteFileW(eventsFile.c_str());
        ::RemoveDirectoryW(folder.c_str());
    }

    AlarmFrameContext Context() {
        AlarmFrameContext context;
        context.engine = &engine;
        context.text = [](const wchar_t* key) -> std::wstring {
            if (std::wstring(key) == L"SvEv")
                return L"Event\nCommand";
            if (std::wstring(key) == L"btnSvHint")
                return L"";
            return std::wstring(L"T:") + key;
        };
        context.showScheduler = [this] { ++schedulerShown; };
        context.newTask = [this](const std::wstring& command) { newTasks.push_back(command); };
        context.eventsFile = eventsFile;
        return context;
    }

    void Attach(FakeSetupDialog& dialog) {
        frame = AttachAlarmFrame(dialog.Window(), Context());
        ASSERT_NE(frame, nullptr);
        grid = dialog.Find(L"SvEv");
        ASSERT_NE(grid, nullptr);
    }

    std::wstring folder;
    std::wstring eventsFile;
    int listChanges = 0;
    TSchedulerEngine engine{
        SchedulerPlatform{[] { return kFrameNow; }, [](int) {}, {}, [this] { ++listChanges; }}};
    int schedulerShown = 0;
    std::vector<std::wstring> newTasks;
    std::unique_ptr<TFAlarm> frame;
    HWND grid = nullptr;
};

TEST_F(AlarmFrameTest, SitsBelowThePageControlsWithItsNamedTranslatedControls) {
    FakeSetupDialog dialog;
    Attach(dialog);
    HWND window = dialog.Find(L"FAlarm");
    ASSERT_EQ(window, frame->Window());
    EXPECT_EQ(::GetParent(window), dialog.Panel());
    EXPECT_TRUE(::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE);
    RECT placed{};
    ::GetWindowRect(window, &placed);
    ::MapWindowPoints(nullptr, dialog.Panel(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 135);
    // The alarm page is 300 x 220 dialog units with the same font; its command box ends at
    // 68 units.
    RECT page{0, 0, 300, 220};
    ::MapDialogRect(window, &page);
    RECT pageCombo{4, 54, 270, 68};
    ::MapDialogRect(window, &pageCombo);
    EXPECT_LE(placed.right, page.right);
    EXPECT_LE(placed.bottom, page.bottom);
    EXPECT_LT(pageCombo.bottom, placed.top);

    EXPECT_EQ(WindowText(dialog.Find(L"GBox")), L"T:GBox");
    EXPECT_EQ(WindowText(dialog.Find(L"btnShed")), L"T:btnShed");
    EXPECT_EQ(WindowText(dialog.Find(L"btnSv")), L"T:btnSv");
    EXPECT_EQ(WindowText(dialog.Find(L"btnFastSched")), L"T:btnFastSched");
    EXPECT_EQ(ColumnTitle(grid, 0), L"Event");
    EXPECT_EQ(ColumnTitle(grid, 1), L"Command");
    LOGFONTW bold{};
    const auto font =
        reinterpret_cast<HFONT>(::SendMessageW(dialog.Find(L"btnFastSched"), WM_GETFONT, 0, 0));
    ASSERT_EQ(::GetObjectW(font, sizeof(bold), &bold), static_cast<int>(sizeof(bold)));
    EXPECT_EQ(bold.lfWeight, FW_BOLD);

    HMENU menu = frame->FastScheduleMenu();
    ASSERT_NE(menu, nullptr);
    const wchar_t* names[] = {L"N_1",   L"N_2",    L"N_5",    L"N_10",   L"N_15",  L"N_20",
                              L"N_30",  L"N_60",   L"N_120",  L"N_180",  L"N_240", L"N_360",
                              L"N_720", L"N_1440", L"N_2880", L"N_10080"};
    ASSERT_EQ(::GetMenuItemCount(menu), 18);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(MenuCaption(menu, i), std::wstring(L"T:") + names[i]);
    EXPECT_EQ(::GetMenuState(menu, 16, MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(MenuCaption(menu, 17), L"T:N_Shed");

    frame.reset();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(FileExists(eventsFile)) << "nothing changed, nothing written";
}

TEST_F(AlarmFrameTest, WithoutTheAlarmPanelThereIsNoFrame) {
    FakeSetupDialog dialog(false);
    EXPECT_EQ(AttachAlarmFrame(dialog.Window(), Context()), nullptr);
    EXPECT_EQ(dialog.Find(L"FAlarm"), nullptr);
    EXPECT_EQ(AttachAlarmFrame(nullptr, Context()), nullptr);
}

TEST_F(AlarmFrameTest, RememberTakesTheCommandAndAClickOnARowGivesItBack) {
    FakeSetupDialog dialog;
    Attach(dialog);
    dialog.picker.SetText(L"pm_TalkTime");
    Click(dialog.Find(L"btnSv"));
    dialog.picker.SetText(L"sw_Stopwatch_ON_OFF");
    Click(dialog.Find(L"btnSv"));
    EXPECT_EQ(Rows(grid),
              (std::vector<SavedEvent>{{L"", L"pm_TalkTime"}, {L"", L"sw_Stopwatch_ON_OFF"}}));

    dialog.changes.clear();
    ClickRow(grid, 0);
    EXPECT_TRUE(PumpUntil([&] { return dialog.picker.Text() == L"pm_TalkTime"; }));
    EXPECT_EQ(dialog.changes, std::vector<std::wstring>{L"pm_TalkTime"})
        << "the picker noticed the new text";

    Click(dialog.Find(L"btnShed"));
    EXPECT_EQ(schedulerShown, 1);
}

TEST_F(AlarmFrameTest, RowsAreEditedInPlaceWithUniqueNamesAndDeleteRemovesOne) {
    WriteBytes(eventsFile, "wake=pm_TalkTime\r\nsync=NU_Synchronize\r\n");
    FakeSetupDialog dialog;
    Attach(dialog);
    ASSERT_EQ(Rows(grid).size(), 2u);

    EditName(grid, 1, L"Wake");
    EXPECT_EQ(Cell(grid, 1, 0), L"sync") << "a name in use (in any case) is refused";
    EditName(grid, 1, L"a=b");
    EXPECT_EQ(Cell(grid, 1, 0), L"sync") << "\"=\" would end the name in the file";
    EditName(grid, 1, L"time");
    EXPECT_EQ(Cell(grid, 1, 0), L"time");
    EditValue(grid, 1, L"NU_Synchronize pool.ntp.org", false);
    EXPECT_EQ(Cell(grid, 1, 1), L"NU_Synchronize") << "Escape keeps the command line";
    EditValue(grid, 1, L"NU_Synchronize time.example", true);
    EXPECT_EQ(Cell(grid, 1, 1), L"NU_Synchronize time.example");

    SelectRow(grid, 0);
    ::SendMessageW(grid, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(Rows(grid), (std::vector<SavedEvent>{{L"time", L"NU_Synchronize time.example"}}));

    // Destroying the frame (as the dialog does) writes the grid.
    ::DestroyWindow(frame->Window());
    EXPECT_EQ(ReadBytes(eventsFile), "time=NU_Synchronize time.example\r\n");
}

TEST_F(AlarmFrameTest, EventsAreReadAsUtf8OrTheAnsiCodePageAndWrittenAsUtf8) {
    // With a BOM, a Cyrillic name; then a line in the ANSI code page (not valid UTF-8).
    WriteBytes(eventsFile, "\xEF\xBB\xBF\xD0\x91\xD1\x83\xD0\xB4\xD0\xB8\xD0\xBB\xD1\x8C\xD0\xBD"
                           "\xD0\xB8\xD0\xBA=pm_TalkTime\r\n");
    FakeSetupDialog dialog;
    Attach(dialog);
    const std::wstring alarmClock = L"\u0411\u0443\u0434\u0438\u043B\u044C\u043D\u0438\u043A";
    EXPECT_EQ(Rows(grid), (std::vector<SavedEvent>{{alarmClock, L"pm_TalkTime"}}));
    dialog.picker.SetText(L"NU_Synchronize \u0441\u0435\u0440\u0432\u0435\u0440");
    Click(dialog.Find(L"btnSv"));
    EXPECT_TRUE(frame->SaveEvents());
    EXPECT_EQ(ReadBytes(eventsFile),
              WideToUtf8(alarmClock + L"=pm_TalkTime\r\n=NU_Synchronize "
                                      L"\u0441\u0435\u0440\u0432\u0435\u0440\r\n"))
        << "UTF-8 without BOM, CR LF";

    const std::string ansi = "caf\xE9=x\r\n";
    wchar_t expected[16] = {};
    ::MultiByteToWideChar(CP_ACP, 0, "caf\xE9", 4, expected, 16);
    EXPECT_EQ(DecodeEightBitText(ansi), std::wstring(expected) + L"=x\r\n");
    EXPECT_EQ(DecodeEightBitText("\xEF\xBB\xBFplain"), L"plain");
}

TEST_F(AlarmFrameTest, FastScheduleItemsPlanTheCommandAndScheduleOpensANewTask) {
    FakeSetupDialog dialog;
    Attach(dialog);
    dialog.picker.SetText(L"pm_TalkTime");
    HMENU menu = frame->FastScheduleMenu();
    ASSERT_NE(menu, nullptr);
    // The choice of a menu item arrives as WM_COMMAND; position 15 is N_10080.
    ::SendMessageW(frame->Window(), WM_COMMAND, MAKEWPARAM(::GetMenuItemID(menu, 15), 0), 0);
    ::SendMessageW(frame->Window(), WM_COMMAND, MAKEWPARAM(::GetMenuItemID(menu, 0), 0), 0);
    const TScheduleItem* first = engine.List().First();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->NextRun, At(2026, 5, 4, 12, 35));
    EXPECT_EQ(first->Cmnd, L"pm_TalkTime");
    ASSERT_NE(first->next, nullptr);
    EXPECT_EQ(first->next->NextRun, At(2026, 5, 11, 12, 34)) << "seven days, whole minutes";
    EXPECT_EQ(first->next->StartTime, first->next->NextRun);
    EXPECT_EQ(first->next->TaskType, sttOnce);
    EXPECT_FALSE(first->next->HasOptions);
    EXPECT_EQ(listChanges, 2);

    ::SendMessageW(frame->Window(), WM_COMMAND, MAKEWPARAM(::GetMenuItemID(menu, 17), 0), 0);
    EXPECT_EQ(newTasks, std::vector<std::wstring>{L"pm_TalkTime"});
}

// The button pops the menu up at its top-right corner; the menu's own loop runs the timer
// that reads where it showed and closes it.
TEST_F(AlarmFrameTest, QuickPopsTheMenuUpAtTheButtonsTopRight) {
    FakeSetupDialog dialog;
    Attach(dialog);
    HWND button = dialog.Find(L"btnFastSched");
    static RECT shown;
    static int items;
    shown = RECT{};
    items = -1;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND popup = ::FindWindowW(L"#32768", nullptr);
        if (!popup || !::IsWindowVisible(popup))
            return;
        ::GetWindowRect(popup, &shown);
        items = static_cast<int>(::SendMessageW(popup, MN_GETHMENU, 0, 0) != 0);
        ::EndMenu();
    });
    ASSERT_NE(timer, 0u);
    Click(button);
    ::KillTimer(nullptr, timer);
    RECT area{};
    ::GetWindowRect(button, &area);
    EXPECT_EQ(items, 1) << "the menu showed";
    EXPECT_EQ(shown.left, area.right);
    EXPECT_EQ(shown.top, area.top);
}

// --- the plug-in library ------------------------------------------------------------------

std::wstring PluginFolder() {
    const std::wstring path = L"" ZT_SCHEDULER_PATH;
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// Runs the plug-in with the real language files; keeps the registry key and the events
// file beside the library as they were.
class SchedulerPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeZentik& host = FakeZentik::Get();
        host.Reset();
        language = CreateLanguageManager(L"" ZT_PROGRAM_DIR, L"Language", L"en");
        ASSERT_NE(language, nullptr);
        host.language = language;
        ClearRegistry();
        eventsFile = PluginFolder() + L"Events.sav";
        if (FileExists(eventsFile))
            savedEvents = ReadBytes(eventsFile);
        ::DeleteFileW(eventsFile.c_str());
    }

    void TearDown() override {
        Unload();
        FakeZentik::Get().Reset();
        if (language)
            language->Release();
        ClearRegistry();
        ::DeleteFileW(eventsFile.c_str());
        if (savedEvents)
            WriteBytes(eventsFile, *savedEvents);
    }

    static void ClearRegistry() {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, DefaultScheduleListKey().c_str());
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (DefaultScheduleListKey() + L".new").c_str());
    }

    void Load() {
        module.reset(::LoadLibraryW(L"" ZT_SCHEDULER_PATH));
        ASSERT_TRUE(module) << "error " << ::GetLastError();
        const auto registerPlugin = reinterpret_cast<ZT_REGISTER_PLUGIN>(
            reinterpret_cast<void*>(::GetProcAddress(module.get(), "ztRegisterPlugin")));
        ASSERT_NE(registerPlugin, nullptr);
        IUnknown* unknown = nullptr;
        registerPlugin(&unknown);
        ASSERT_NE(unknown, nullptr);
        void* found = nullptr;
        ASSERT_EQ(unknown->QueryInterface(IID_IztPlugin, &found), S_OK);
        unknown->Release();
        plugin = static_cast<IztPlugin*>(found);
        ASSERT_EQ(plugin->Initialize(&manager), TRUE);
    }

    void Unload() {
        if (plugin)
            std::exchange(plugin, nullptr)->Finalize();
        module.reset();
    }

    bool Subscribed(int msg) const {
        for (const auto& subscription : manager.subscriptions)
            if (subscription.msg == msg)
                return true;
        return false;
    }

    IztLanguageMan* language = nullptr;
    FakePluginMan manager;
    UniqueModule module;
    IztPlugin* plugin = nullptr;
    std::wstring eventsFile;
    std::optional<std::string> savedEvents;
};

TEST_F(SchedulerPluginTest, ReportsItsIdentityAndAddsItsCommandUntilFinalised) {
    Load();
    EXPECT_EQ(ztTakeBstr(plugin->GetName()), L"Scheduler.Zentik");
    EXPECT_EQ(ztTakeBstr(plugin->GetVersion()), L"2.2");
    EXPECT_EQ(ztTakeBstr(plugin->GetCaption()), L"Scheduler");
    EXPECT_FALSE(ztTakeBstr(plugin->GetDescription()).empty());
    EXPECT_FALSE(ztTakeBstr(plugin->GetAuthor()).empty());
    EXPECT_FALSE(ztTakeBstr(plugin->GetNotice()).empty());
    EXPECT_EQ(plugin->GetMaxInstances(), 1);
    EXPECT_NE(::GetProcAddress(module.get(), "SchedShowNewTask"), nullptr);

    ASSERT_EQ(manager.commands.size(), 1u);
    const FakePluginMan::Command& command = manager.commands[0];
    EXPECT_EQ(command.data, L"pm_ShedulerShow");
    EXPECT_EQ(command.caption, L"Scheduler...");
    EXPECT_EQ(command.hint, L"Open the list of scheduled tasks");
    EXPECT_NE(command.proc, nullptr);
    EXPECT_EQ(command.plugin, static_cast<IUnknown*>(plugin));
    EXPECT_TRUE(Subscribed(msgTimeChanged));
    EXPECT_TRUE(Subscribed(msgSetupCreated));
    EXPECT_FALSE(Subscribed(msgMinute)) << "nothing to wait for";

    plugin->Configure();
    EXPECT_NE(WindowHolding(::GetCurrentThreadId(), L"LV"), nullptr) << "the list window";

    Unload();
    EXPECT_EQ(WindowHolding(::GetCurrentThreadId(), L"LV"), nullptr);
    EXPECT_EQ(manager.deleted, std::vector<std::wstring>{L"pm_ShedulerShow"});
    EXPECT_TRUE(manager.subscriptions.empty());
}

TEST_F(SchedulerPluginTest, TheSetupDialogGetsTheFrameWhichGoesWithThePlugIn) {
    Load();
    FakeSetupDialog dialog;
    manager.Broadcast(msgSetupCreated, reinterpret_cast<INT_PTR>(dialog.Window()), 0);
    HWND frame = dialog.Find(L"FAlarm");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(::GetParent(frame), dialog.Panel());
    EXPECT_EQ(WindowText(dialog.Find(L"btnShed")), L"Scheduler...");
    EXPECT_EQ(WindowText(dialog.Find(L"btnFastSched")), L"Quick");

    // Its window procedure is in the library: it goes before the library does.
    Unload();
    EXPECT_FALSE(::IsWindow(frame));
}

TEST_F(SchedulerPluginTest, AFastScheduleOfAWeekIsStoredSevenDaysAheadAtWholeMinutes) {
    Load();
    FakeSetupDialog dialog;
    manager.Broadcast(msgSetupCreated, reinterpret_cast<INT_PTR>(dialog.Window()), 0);
    HWND frame = dialog.Find(L"FAlarm");
    ASSERT_NE(frame, nullptr);
    dialog.picker.SetText(L"pm_TalkTime");

    // The item N_10080 of the menu the button pops up.
    const DateTime before = MinuteOf(LocalNow());
    ::SendMessageW(frame, WM_COMMAND, MAKEWPARAM(IDM_FS_10080, 0), 0);
    const DateTime after = MinuteOf(LocalNow());
    EXPECT_TRUE(Subscribed(msgDay) || Subscribed(msgMonth) || Subscribed(msgYear))
        << "armed for the week";
    Unload();

    // Finalised: the list went to the registry.
    HKEY key = nullptr;
    ASSERT_EQ(
        ::RegOpenKeyExW(HKEY_CURRENT_USER, DefaultScheduleListKey().c_str(), 0, KEY_READ, &key),
        ERROR_SUCCESS);
    const UniqueKey list(key);
    DWORD count = 0;
    DWORD size = sizeof(count);
    ASSERT_EQ(
        ::RegQueryValueExW(key, L"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(count, 1u);
    ScheduleRecord block{};
    size = static_cast<DWORD>(block.size());
    ASSERT_EQ(::RegQueryValueExW(key, L"Item1", nullptr, nullptr, block.data(), &size),
              ERROR_SUCCESS);
    TScheduleItem task;
    ASSERT_TRUE(DecodeScheduleRecord(block.data(), size, task));
    EXPECT_EQ(task.TaskType, sttOnce);
    EXPECT_EQ(task.NextRun, MinuteOf(task.NextRun)) << "whole minutes";
    EXPECT_TRUE(task.NextRun == before + 7 || task.NextRun == after + 7);
    wchar_t command[64] = {};
    size = sizeof(command);
    ASSERT_EQ(::RegQueryValueExW(key, L"Cmnd1", nullptr, nullptr, reinterpret_cast<BYTE*>(command),
                                 &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(command, L"pm_TalkTime");
}

TEST_F(SchedulerPluginTest, SavedEventsLiveInEventsSavBesideTheLibrary) {
    const std::wstring alarmClock = L"\u0411\u0443\u0434\u0438\u043B\u044C\u043D\u0438\u043A";
    WriteBytes(eventsFile, WideToUtf8(alarmClock + L"=pm_TalkTime\r\n"));
    Load();
    {
        FakeSetupDialog dialog;
        manager.Broadcast(msgSetupCreated, reinterpret_cast<INT_PTR>(dialog.Window()), 0);
        HWND grid = dialog.Find(L"SvEv");
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(Rows(grid), (std::vector<SavedEvent>{{alarmClock, L"pm_TalkTime"}}));
        dialog.picker.SetText(L"sw_Stopwatch_ON_OFF");
        Click(dialog.Find(L"btnSv"));
        // OK in the options dialog.
        manager.Broadcast(msgSetupClosed, 1, 0);
        EXPECT_EQ(ReadBytes(eventsFile),
                  WideToUtf8(alarmClock + L"=pm_TalkTime\r\n=sw_Stopwatch_ON_OFF\r\n"));
    }
    // The next time the dialog opens the grid shows what was written.
    FakeSetupDialog dialog;
    manager.Broadcast(msgSetupCreated, reinterpret_cast<INT_PTR>(dialog.Window()), 0);
    HWND grid = dialog.Find(L"SvEv");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(Rows(grid), (std::vector<SavedEvent>{{alarmClock, L"pm_TalkTime"},
                                                   {L"", L"sw_Stopwatch_ON_OFF"}}));
}

TEST_F(SchedulerPluginTest, ATimeChangeRestartsTheTasksFromTheirStart) {
    // Daily at a time three hours from now; the stored next run is ten days ahead.
    const DateTime now = LocalNow();
    const DateTime start = MinuteOf(now + 3.0 / 24);
    {
        TScheduleList list;
        auto task = std::make_unique<TScheduleItem>();
        task->StartTime = start;
        task->NextRun = start + 10;
        task->TaskType = sttDaily;
        task->Cmnd = L"pm_TalkTime";
        ASSERT_TRUE(list.InsertTask(std::move(task), now));
        ASSERT_EQ(list.First()->NextRun, start + 10);
        ASSERT_TRUE(TScheduleStore().Save(list));
    }
    Load();
    EXPECT_FALSE(Subscribed(msgMinute) || Subscribed(msgHour)) << "ten days to wait";
    manager.Broadcast(msgTimeChanged, 0, 0);
    EXPECT_TRUE(Subscribed(msgMinute) || Subscribed(msgHour) || Subscribed(msgDay));
    Unload();
    TScheduleList stored;
    // Read as stored (a load at the start date recomputes nothing earlier than the value).
    ASSERT_EQ(TScheduleStore().Load(stored, start - 1), 1u);
    ASSERT_NE(stored.First(), nullptr);
    EXPECT_EQ(stored.First()->NextRun, start);
}

TEST_F(SchedulerPluginTest, CommandsFromWorkerThreadsOpenTheWindowsOnTheGuiThread) {
    Load();
    const DWORD gui = ::GetCurrentThreadId();
    ZT_CMND_PROC show = manager.Proc(L"pm_ShedulerShow");
    ASSERT_NE(show, nullptr);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        show(nullptr);
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_NE(WindowHolding(gui, L"LV"), nullptr) << "the list window, on this thread";
    EXPECT_EQ(manager.crossThreadCalls, 1);

    // SchedShowNewTask with UTF-8 text: the new-task dialog shows the command line; a
    // watcher reads it and cancels the dialog.
    const auto showNewTask = reinterpret_cast<void(__stdcall*)(const char*)>(
        reinterpret_cast<void*>(::GetProcAddress(module.get(), "SchedShowNewTask")));
    ASSERT_NE(showNewTask, nullptr);
    std::wstring shown;
    DWORD dialogThread = 0;
    std::thread watcher([&] {
        const ULONGLONG deadline = ::GetTickCount64() + 20000;
        while (::GetTickCount64() < deadline) {
            if (HWND dialog = WindowHolding(gui, L"cbTask")) {
                shown = WindowText(FindComponent(dialog, L"cbTask"));
                dialogThread = ::GetWindowThreadProcessId(dialog, nullptr);
                ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                return;
            }
            ::Sleep(10);
        }
    });
    done = false;
    worker = std::thread([&] {
        showNewTask("NU_Synchronize \xD1\x81\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80");
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 30000));
    worker.join();
    watcher.join();
    EXPECT_EQ(shown, L"NU_Synchronize \u0441\u0435\u0440\u0432\u0435\u0440");
    EXPECT_EQ(dialogThread, gui);
    EXPECT_EQ(manager.crossThreadCalls, 2);
}

// The real plug-in manager with its message bus and the real command registry: the task is
// run by the clock message it armed, on a worker thread of the registry.
class SchedulerHostTest : public SchedulerPluginTest {
protected:
    struct Probe {
        std::atomic<int> runs{0};
        std::atomic<DWORD> thread{0};
        std::wstring param;
    };
    static Probe probe;

    static void STDMETHODCALLTYPE ProbeCommand(const wchar_t* param) {
        probe.param = param ? param : L"";
        probe.thread = ::GetCurrentThreadId();
        ++probe.runs;
    }

    void SetUp() override {
        SchedulerPluginTest::SetUp();
        probe.runs = 0;
        probe.thread = 0;
        commands.AddParamCommand(L"sc_Probe", &ProbeCommand, nullptr, L"probe");
        FakeZentik::Get().commands = commands.Interface();
    }

    void TearDown() override {
        commands.WaitForCommandThreads(10000);
        realManager.reset();
        SchedulerPluginTest::TearDown();
    }

    // The clock messages the Scheduler is subscribed to.
    std::vector<int> Armed() const {
        std::vector<int> armed;
        for (int msg : {msgMinute, msgHour, msgDay, msgMonth, msgYear})
            if (realManager->Messages().SubscriptionCount(msg) > 0)
                armed.push_back(msg);
        return armed;
    }

    CmndInterface commands;
    std::unique_ptr<TztPluginManager> realManager = std::make_unique<TztPluginManager>();
};

SchedulerHostTest::Probe SchedulerHostTest::probe;

TEST_F(SchedulerHostTest, ADueTaskRunsOnAWorkerThreadOnceWhenItsMessageComes) {
    // Stored by an earlier run: once, at least a minute ahead.
    const DateTime due = MinuteOf(LocalNow() + 2.0 / kMinsPerDay);
    {
        TScheduleList list;
        auto task = std::make_unique<TScheduleItem>();
        task->StartTime = due;
        task->NextRun = due;
        task->Cmnd = L"sc_Probe hello";
        ASSERT_TRUE(list.InsertTask(std::move(task), LocalNow()));
        auto later = std::make_unique<TScheduleItem>();
        later->StartTime = later->NextRun = due + 40;
        later->Cmnd = L"sc_Probe later";
        ASSERT_TRUE(list.InsertTask(std::move(later), LocalNow()));
        ASSERT_TRUE(TScheduleStore().Save(list));
    }
    ASSERT_TRUE(realManager->LoadPluginFile(L"" ZT_SCHEDULER_PATH));
    // The coarsest message that comes at the task's minute.
    const std::vector<int> armed = Armed();
    ASSERT_EQ(armed.size(), 1u);
    EXPECT_EQ(armed[0], ChooseSchedulerTick(due, LocalNow()));

    // The host raises the message when the task's minute begins (an hour, day ... message
    // too when the minute starts one), with the time.
    DateTime now = due;
    realManager->Broadcast(armed[0], reinterpret_cast<INT_PTR>(&now), 0);
    EXPECT_TRUE(PumpUntil([] { return probe.runs == 1; }));
    EXPECT_NE(probe.thread.load(), ::GetCurrentThreadId());
    EXPECT_EQ(probe.param, L"hello");
    // Its own subscription went and the one for the next task came from inside the callback.
    EXPECT_EQ(Armed(), std::vector<int>{ChooseSchedulerTick(due + 40, due)});

    realManager->Broadcast(armed[0], reinterpret_cast<INT_PTR>(&now), 0);
    realManager->Broadcast(msgMinute, reinterpret_cast<INT_PTR>(&now), 0);
    EXPECT_TRUE(commands.WaitForCommandThreads(10000));
    EXPECT_EQ(probe.runs, 1);
}

} // namespace
} // namespace zt::test
