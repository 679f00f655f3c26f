// The "Time" and "Ctrl" pages of the real options dialog, opened through ZentikOpt.dll by
// a clock window of this process: the system time handed to the clock's time-setting seam
// (recorded here, never set), and the bindings table edited and written back.
//
// The time cases are worked out for the rules of Europe/Berlin: ctest runs this program
// with TZ=Europe/Berlin, and the cases are skipped under another zone.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/component_name.h"
#include "common/datetime_format.h"
#include "common/handles.h"
#include "common/window_text.h"
#include "host/clock_menu.h"
#include "host/lang_man_intf.h"
#include "host/main_window.h"
#include "host/system_clock.h"
#include "support/modal_box.h"
#include "support/pump.h"
#include "zentik/ztComHelpers.h"

namespace zt {
namespace {

using test::ModalBoxAnswerer;
using test::PumpUntil;

constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikPagesTest";
constexpr wchar_t kOptionsLibrary[] = L"ZentikOpt.dll";

template <typename Fn> Fn Export(const char* name) {
    HMODULE module = ::GetModuleHandleW(kOptionsLibrary);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                  : nullptr;
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

std::wstring Text(const SYSTEMTIME& t) {
    wchar_t text[32];
    ::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
               t.wMinute, t.wSecond);
    return text;
}

std::wstring ItemText(HWND list, int row, int column) {
    wchar_t text[256] = {};
    ListView_GetItemText(list, row, column, text, 256);
    return text;
}

// The text colour the dialog gives a static control, as its painting would use it.
COLORREF StaticTextColor(HWND control) {
    const UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    ::SendMessageW(::GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                   reinterpret_cast<LPARAM>(control));
    return ::GetTextColor(dc.get());
}

BSTR STDMETHODCALLTYPE EditParam(const wchar_t*) {
    return ::SysAllocString(L"edited");
}
void STDMETHODCALLTYPE IgnoreParam(const wchar_t*) {}

// One clock for the whole program: the host API keeps the first clock of a process.
class OptionsPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Before anything can press Apply: the system time is only ever recorded here.
        previousClock_ = SetSystemClockHandler([](const SYSTEMTIME& utc) {
            applied_.push_back(utc);
            return clockResult_;
        });
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        language_ = CreateLanguageManager(L"" ZT_PROGRAM_DIR, L"Language", L"en");
        ASSERT_NE(language_, nullptr);
        language_->Hold(); // as the program does before it creates the window
        clock_ = new TfrmClock(::GetModuleHandleW(nullptr), DefaultFormatSettings(), language_,
                               SettingsLocation{HKEY_CURRENT_USER, kTestKey});
        ASSERT_TRUE(clock_->Create());
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        clock_->PlgMan().SetProgramFolder(std::wstring(temp) + L"ZtPagesTestNoPlugins");
        clock_->StartClock();
        clock_->Commands().Interface()->AddParamCommand(L"test_Edit", &IgnoreParam, &EditParam,
                                                        L"a command with an editor");
    }
    static void TearDownTestSuite() {
        delete clock_;
        clock_ = nullptr;
        if (language_)
            language_->Release();
        language_ = nullptr;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        SetSystemClockHandler(previousClock_);
    }

    void SetUp() override {
        ASSERT_NE(clock_, nullptr);
        applied_.clear();
        clockResult_ = S_OK;
    }
    void TearDown() override {
        if (dialog_ && ::IsWindowVisible(dialog_))
            ::SendMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitForUnload());
    }

    static bool WaitForUnload() {
        return PumpUntil([] { return ::GetModuleHandleW(kOptionsLibrary) == nullptr; }, 5000);
    }

    // Opens the options from the clock's menu and selects the page named name; its panel.
    HWND OpenPage(const wchar_t* name, const wchar_t* panel) {
        ::SendMessageW(clock_->Handle(), WM_COMMAND, TztClockMenu::kConfigItems, 0);
        auto getNode = Export<void*(__stdcall*)(const wchar_t*)>("GetNode");
        auto select = Export<void(__stdcall*)(void*)>("ActiveSetupNode");
        auto show = Export<void*(__stdcall*)()>("ShowSetupForm");
        if (!getNode || !select || !show)
            return nullptr;
        dialog_ = static_cast<HWND>(show());
        select(getNode(name));
        HWND page = FindComponent(dialog_, panel);
        return page && ::IsWindowVisible(page) ? page : nullptr;
    }

    static std::wstring LanguageText(const wchar_t* key) {
        ZT_LANG_MODULE module = language_->OpenModule(L"Zentik");
        std::wstring text = ztTakeBstr(language_->Translate(module, key));
        language_->CloseModule(module);
        return text;
    }

    static void Click(HWND parent, const wchar_t* name) {
        HWND control = FindComponent(parent, name);
        ASSERT_NE(control, nullptr) << ::testing::PrintToString(std::wstring(name));
        ::SendMessageW(control, BM_CLICK, 0, 0);
    }

    static inline IztLanguageMan* language_ = nullptr;
    static inline TfrmClock* clock_ = nullptr;
    static inline SystemClockHandler previousClock_;
    static inline std::vector<SYSTEMTIME> applied_;
    static inline HRESULT clockResult_ = S_OK;
    HWND dialog_ = nullptr;
};

// The time page of an open dialog, its pickers set as the user sets them.
class TimePage {
public:
    explicit TimePage(HWND page) : page_(page) {}

    // Puts local into both pickers as the user would: the pickers tell the page they
    // changed.
    void Choose(const SYSTEMTIME& local) const {
        for (const wchar_t* name : {L"NewDate", L"NewTime"}) {
            HWND picker = FindComponent(page_, name);
            ASSERT_NE(picker, nullptr);
            ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&local));
            NMDATETIMECHANGE change{};
            change.nmhdr.hwndFrom = picker;
            change.nmhdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(picker));
            change.nmhdr.code = DTN_DATETIMECHANGE;
            change.dwFlags = GDT_VALID;
            change.st = local;
            ::SendMessageW(page_, WM_NOTIFY, change.nmhdr.idFrom,
                           reinterpret_cast<LPARAM>(&change));
        }
    }
    bool Enabled(const wchar_t* name) const {
        return ::IsWindowEnabled(FindComponent(page_, name)) != FALSE;
    }
    SYSTEMTIME Date() const {
        SYSTEMTIME shown{};
        ::SendMessageW(FindComponent(page_, L"NewDate"), DTM_GETSYSTEMTIME, 0,
                       reinterpret_cast<LPARAM>(&shown));
        return shown;
    }
    void Apply() const {
        ::SendMessageW(FindComponent(page_, L"btnApplyDateTime"), BM_CLICK, 0, 0);
    }

private:
    HWND page_;
};

// The cases below follow the rules of Europe/Berlin.
bool BerlinRules() {
    TIME_ZONE_INFORMATION zone{};
    ::GetTimeZoneInformation(&zone);
    return zone.Bias == -60 && zone.DaylightBias == -60 && zone.DaylightDate.wMonth == 3 &&
           zone.StandardDate.wMonth == 10;
}

TEST_F(OptionsPagesTest, TimeApplyHandsTheClockTheUtcTimeByTheRulesOfTheChosenDate) {
    if (!BerlinRules())
        GTEST_SKIP() << "the cases are worked out for TZ=Europe/Berlin";
    const HWND panel = OpenPage(L"Time", L"pnlTime");
    ASSERT_NE(panel, nullptr);
    const TimePage page(panel);
    EXPECT_FALSE(page.Enabled(L"btnApplyDateTime"));
    struct Case {
        SYSTEMTIME local;
        SYSTEMTIME utc;
    };
    const Case cases[] = {
        // Summer time in another month, into the previous day and month.
        {Time(2026, 7, 1, 1, 30, 15), Time(2026, 6, 30, 23, 30, 15)},
        // The day summer time begins: one hour before the change, two after it.
        {Time(2026, 3, 29, 1, 30, 0), Time(2026, 3, 29, 0, 30, 0)},
        {Time(2026, 3, 29, 3, 30, 0), Time(2026, 3, 29, 1, 30, 0)},
        // Winter time on the first day of a month.
        {Time(2027, 1, 1, 0, 5, 59), Time(2026, 12, 31, 23, 5, 59)},
    };
    for (const Case& c : cases) {
        applied_.clear();
        page.Choose(c.local);
        ASSERT_TRUE(page.Enabled(L"btnApplyDateTime"));
        EXPECT_TRUE(page.Enabled(L"btnResetNewDate"));
        page.Apply();
        ASSERT_EQ(applied_.size(), 1u) << ::testing::PrintToString(Text(c.local));
        SYSTEMTIME got = applied_[0];
        got.wDayOfWeek = 0;
        got.wMilliseconds = 0;
        EXPECT_EQ(Text(got), Text(c.utc)) << ::testing::PrintToString(Text(c.local));
        EXPECT_FALSE(page.Enabled(L"btnApplyDateTime"));
        EXPECT_FALSE(page.Enabled(L"btnResetNewDate"));
    }

    // After Apply the pickers follow the clock again.
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const SYSTEMTIME shown = page.Date();
    EXPECT_EQ(shown.wYear, now.wYear);
    EXPECT_EQ(shown.wMonth, now.wMonth);
    EXPECT_EQ(shown.wDay, now.wDay);
}

TEST_F(OptionsPagesTest, TimeRefusedByTheSystemShowsTheErrorAndKeepsTheChosenTime) {
    if (!BerlinRules())
        GTEST_SKIP() << "the cases are worked out for TZ=Europe/Berlin";
    const HWND panel = OpenPage(L"Time", L"pnlTime");
    ASSERT_NE(panel, nullptr);
    const TimePage page(panel);
    clockResult_ = HRESULT_FROM_WIN32(ERROR_PRIVILEGE_NOT_HELD);
    page.Choose(Time(2026, 8, 15, 12, 0, 0));
    {
        ModalBoxAnswerer answer(L"Zentik", IDOK, 5000);
        page.Apply();
        ASSERT_TRUE(answer.Wait());
        EXPECT_EQ(answer.Text(), LanguageText(L"Error=ErrorChangeSysTime"));
        EXPECT_FALSE(answer.Text().empty());
    }
    ASSERT_EQ(applied_.size(), 1u);
    EXPECT_EQ(Text(applied_[0]).substr(0, 13), L"2026-08-15 10");
    EXPECT_TRUE(page.Enabled(L"btnApplyDateTime"));
    const SYSTEMTIME shown = page.Date();
    EXPECT_EQ(shown.wMonth, 8);
    EXPECT_EQ(shown.wDay, 15);
}

TEST_F(OptionsPagesTest, BindingsAreEditedOnThePageAndWrittenBackOnOk) {
    clock_->ClickEvents().SetRows({{L"ClickMainLeft", L"pm_TalkTime"},
                                   {L"ClickTrayDblRightsCtrlWin", L"zt_ShowHideClock"},
                                   {L"HotKey_CtrlAltT", L"zt_CloseZentik"}});
    HWND page = OpenPage(L"Ctrl", L"pnlCtrl");
    ASSERT_NE(page, nullptr);
    HWND list = FindComponent(page, L"OperList");
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(ItemText(list, 1, 0), L"ClickTrayDblRightsCtrlWin");
    EXPECT_EQ(ItemText(list, 1, 1), L"zt_ShowHideClock");

    // The new-binding panel: tray, double click, right button, Ctrl and Win.
    Click(page, L"btnAddOper");
    HWND panel = FindComponent(page, L"pNewEvnt");
    ASSERT_TRUE(::IsWindowVisible(panel));
    for (const wchar_t* option : {L"rbClickTray", L"cbDbl", L"rbRights", L"cbCtrl", L"cbWin"})
        Click(panel, option);
    HWND name = FindComponent(panel, L"lblNewName");
    EXPECT_EQ(WindowText(name), L"ClickTrayDblRightsCtrlWin");
    EXPECT_EQ(StaticTextColor(name), RGB(255, 0, 0)) << "a row of that name exists";
    Click(panel, L"cbWin");
    EXPECT_EQ(WindowText(name), L"ClickTrayDblRightsCtrl");
    EXPECT_NE(StaticTextColor(name), RGB(255, 0, 0));
    Click(panel, L"btnNewOk");
    EXPECT_FALSE(::IsWindowVisible(panel));
    ASSERT_EQ(ListView_GetItemCount(list), 4);
    EXPECT_EQ(ItemText(list, 3, 0), L"ClickTrayDblRightsCtrl");
    EXPECT_EQ(ItemText(list, 3, 1), L"");
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 3);

    // Its command in the picker over the cell; Enter accepts it through the editor.
    ::SendMessageW(list, WM_KEYDOWN, VK_F2, 0);
    HWND picker = FindComponent(page, L"OperCmd");
    ASSERT_TRUE(::IsWindowVisible(picker));
    ::SetWindowTextW(picker, L"test_Edit x");
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetComboBoxInfo(picker, &info));
    ::SendMessageW(info.hwndItem, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(::IsWindowVisible(picker));
    EXPECT_EQ(ItemText(list, 3, 1), L"test_Edit edited");

    // Delete removes the selected row.
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Click(page, L"btnDelOper");
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(clock_->ClickEvents().Rows().size(), 3u) << "the clock's table waits for OK";

    Click(dialog_, L"BtnOk");
    ASSERT_TRUE(WaitForUnload());
    const std::vector<BindingRow> expected{{L"ClickTrayDblRightsCtrlWin", L"zt_ShowHideClock"},
                                           {L"HotKey_CtrlAltT", L"zt_CloseZentik"},
                                           {L"ClickTrayDblRightsCtrl", L"test_Edit edited"}};
    EXPECT_EQ(clock_->ClickEvents().Rows(), expected);
}

} // namespace
} // namespace zt
