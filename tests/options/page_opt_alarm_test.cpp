// The "Opt" and "Alarm" pages of the real options dialog, opened through ZentikOpt.dll by a
// clock window of this process: colour schemes, the Run key, and the alarm's switch,
// command and time.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/component_name.h"
#include "common/datetime.h"
#include "common/datetime_format.h"
#include "common/window_text.h"
#include "host/clock_menu.h"
#include "host/lang_man_intf.h"
#include "host/main_window.h"
#include "support/modal_box.h"
#include "support/pump.h"
#include "zentik/ztComHelpers.h"

namespace zt {
namespace {

using test::ModalBoxAnswerer;
using test::PumpUntil;

constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikOptAlarmTest";
constexpr wchar_t kOptionsLibrary[] = L"ZentikOpt.dll";
constexpr wchar_t kSchemesKey[] = L"SOFTWARE\\Ombrelt\\Zentik\\Schemes";
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Scheme names of these tests only; removed after each test.
constexpr const wchar_t* kTestSchemes[] = {L"zt-test old", L"zt-test new", L"zt-test Tr0",
                                           L"zt-test noTr"};

constexpr ZT_COLOR kBtnHighlight = static_cast<ZT_COLOR>(0xFF000014);

void WriteScheme(const wchar_t* name, const std::wstring& text) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSchemesKey, name, REG_SZ, text.c_str(),
                                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// The text of a string value; "<none>" when it is missing.
std::wstring ReadString(const wchar_t* key, const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD bytes = sizeof(text);
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS)
        return L"<none>";
    return text;
}

std::wstring ComboItem(HWND box, int index) {
    wchar_t text[256] = {};
    ::SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

// One clock for the whole program: the host API keeps the first clock of a process.
class OptAlarmPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        language_ = CreateLanguageManager(L"" ZT_PROGRAM_DIR, L"Language", L"en");
        ASSERT_NE(language_, nullptr);
        language_->Hold(); // as the program does before it creates the window
        clock_ = new TfrmClock(::GetModuleHandleW(nullptr), DefaultFormatSettings(), language_,
                               SettingsLocation{HKEY_CURRENT_USER, kTestKey});
        ASSERT_TRUE(clock_->Create());
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        clock_->PlgMan().SetProgramFolder(std::wstring(temp) + L"ZtOptAlarmTestNoPlugins");
        clock_->StartClock();
    }
    static void TearDownTestSuite() {
        delete clock_;
        clock_ = nullptr;
        if (language_)
            language_->Release();
        language_ = nullptr;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }

    void SetUp() override { ASSERT_NE(clock_, nullptr); }
    void TearDown() override {
        if (dialog_ && ::IsWindowVisible(dialog_))
            Click(dialog_, L"BtnCancel");
        EXPECT_TRUE(WaitForUnload());
        for (const wchar_t* name : kTestSchemes)
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kSchemesKey, name);
    }

    // The clock unloads the library shortly after the dialog closed.
    static bool WaitForUnload() {
        return PumpUntil([] { return ::GetModuleHandleW(kOptionsLibrary) == nullptr; }, 5000);
    }

    IZentik& Zentik() { return *clock_->Interface(); }
    // The clock's objects live as long as its window; no reference is kept.
    IztLCDPanel& Panel() {
        return *ztHostInterface<IztLCDPanel>(&Zentik(), ztiLCDPanel, IID_IztLCDPanel).get();
    }
    ICustomZentik& Engine() {
        return *ztHostInterface<ICustomZentik>(&Zentik(), ztiClockEngine, IID_ICustomZentik).get();
    }

    // Opens the options from the clock menu's item and finds the control name in them.
    HWND Open(UINT item = TztClockMenu::kConfigItems) {
        ::SendMessageW(clock_->Handle(), WM_COMMAND, item, 0);
        dialog_ = nullptr;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND window, LPARAM data) -> BOOL {
                if (::IsWindowVisible(window) && FindComponent(window, L"TVLeft"))
                    *reinterpret_cast<HWND*>(data) = window;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&dialog_));
        return dialog_;
    }
    HWND Control(const wchar_t* name) { return FindComponent(dialog_, name); }

    static void Click(HWND dialog, const wchar_t* name) {
        ::SendMessageW(FindComponent(dialog, name), BM_CLICK, 0, 0);
    }
    void Click(const wchar_t* name) { Click(dialog_, name); }
    bool Checked(const wchar_t* name) {
        return ::SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    // What the combo box tells its page when the user picks item index or types text.
    void Notify(HWND box, int code) {
        ::SendMessageW(::GetParent(box), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(box), code),
                       reinterpret_cast<LPARAM>(box));
    }
    void PickScheme(const wchar_t* name) {
        HWND box = Control(L"CBShema");
        const auto index = static_cast<int>(::SendMessageW(
            box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name)));
        ASSERT_GE(index, 0) << ::testing::PrintToString(std::wstring(name));
        PickSchemeAt(index);
    }
    void PickSchemeAt(int index) {
        HWND box = Control(L"CBShema");
        ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        Notify(box, CBN_SELCHANGE);
    }
    void TypeScheme(const wchar_t* name) {
        HWND box = Control(L"CBShema");
        ::SetWindowTextW(box, name);
        Notify(box, CBN_EDITCHANGE);
    }

    static std::wstring Text(const wchar_t* key) {
        ZT_LANG_MODULE module = language_->OpenModule(L"Zentik");
        std::wstring text = ztTakeBstr(language_->Translate(module, key));
        language_->CloseModule(module);
        return text;
    }

    static inline IztLanguageMan* language_ = nullptr;
    static inline TfrmClock* clock_ = nullptr;
    HWND dialog_ = nullptr;
};

TEST_F(OptAlarmPagesTest, SavingAsksBeforeReplacingAndPutsANewSchemeOnTop) {
    WriteScheme(L"zt-test old", L"A=clRed");
    Zentik().SetValue(ztvAlpha, 77);
    ASSERT_NE(Open(), nullptr);
    HWND box = Control(L"CBShema");
    ASSERT_NE(box, nullptr);
    const auto count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
    ASSERT_GE(count, 2);
    EXPECT_EQ(ComboItem(box, count - 1), Text(L"MISC=SysColorName")) << "the last entry";

    TypeScheme(L"zt-test old");
    {
        ModalBoxAnswerer answer(L"Zentik", IDNO, 5000);
        Click(L"btnSShem");
        EXPECT_TRUE(answer.Wait());
        EXPECT_EQ(answer.Text(), Text(L"Error=ShemExist"));
    }
    EXPECT_EQ(ReadString(kSchemesKey, L"zt-test old"), L"A=clRed") << "No keeps the scheme";
    {
        ModalBoxAnswerer answer(L"Zentik", IDYES, 5000);
        Click(L"btnSShem");
        EXPECT_TRUE(answer.Wait());
    }
    const std::wstring replaced = ReadString(kSchemesKey, L"zt-test old");
    EXPECT_EQ(replaced.rfind(L"A=", 0), 0u) << ::testing::PrintToString(replaced);
    EXPECT_NE(replaced.find(L";Alpha=77;"), std::wstring::npos)
        << ::testing::PrintToString(replaced);
    EXPECT_EQ(::SendMessageW(box, CB_GETCOUNT, 0, 0), count) << "no second entry";

    TypeScheme(L"zt-test new");
    {
        ModalBoxAnswerer answer(L"Zentik", IDNO, 5000);
        Click(L"btnSShem");
        answer.Stop();
        EXPECT_FALSE(answer.Answered()) << "a new name asks nothing";
    }
    EXPECT_EQ(::SendMessageW(box, CB_GETCOUNT, 0, 0), count + 1);
    EXPECT_EQ(ComboItem(box, 0), L"zt-test new");
    EXPECT_NE(ReadString(kSchemesKey, L"zt-test new").find(L";Alpha=77;"), std::wstring::npos);

    // Deleting asks with the scheme's name.
    {
        ModalBoxAnswerer answer(L"Zentik", IDYES, 5000);
        Click(L"btnDShem");
        EXPECT_TRUE(answer.Wait());
        std::wstring expected = Text(L"Error=ShemDelete");
        expected.replace(expected.find(L"%s"), 2, L"zt-test new");
        EXPECT_EQ(answer.Text(), expected);
    }
    EXPECT_EQ(ReadString(kSchemesKey, L"zt-test new"), L"<none>");
    EXPECT_EQ(::SendMessageW(box, CB_GETCOUNT, 0, 0), count);

    Click(L"BtnCancel");
    EXPECT_EQ(Zentik().GetValue(ztvAlpha), 77);
    Zentik().SetValue(ztvAlpha, 255);
}

TEST_F(OptAlarmPagesTest, ASchemeAppliesWhatItHoldsAndOnlyTrTouchesShowBorder) {
    WriteScheme(L"zt-test Tr0", L"Tr=0;Alpha=200");
    WriteScheme(L"zt-test noTr", L"A=clRed;H=9");
    Zentik().SetValue(ztvTransparentMode, 0);
    const int alpha = static_cast<int>(Zentik().GetValue(ztvAlpha));
    const int active = Panel().GetValue(lcdActiveColor);
    const int height = Panel().GetValue(lcdVertSize);
    ASSERT_NE(active, 0x0000FF);
    ASSERT_NE(height, 9);
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(Checked(L"ShowBorder"));

    PickScheme(L"zt-test Tr0");
    EXPECT_FALSE(Checked(L"ShowBorder"));
    EXPECT_EQ(Zentik().GetValue(ztvTransparentMode), 1);
    EXPECT_EQ(Zentik().GetValue(ztvAlpha), 200);
    EXPECT_EQ(::SendMessageW(Control(L"AlphaTrack"), TBM_GETPOS, 0, 0), 200);

    PickScheme(L"zt-test noTr");
    EXPECT_FALSE(Checked(L"ShowBorder")) << "no Tr=: ShowBorder stays";
    EXPECT_EQ(Zentik().GetValue(ztvTransparentMode), 1);
    EXPECT_EQ(Panel().GetValue(lcdActiveColor), 0x0000FF);
    EXPECT_EQ(Panel().GetValue(lcdVertSize), 9);
    EXPECT_EQ(WindowText(Control(L"SpEditHight")), L"9");
    EXPECT_EQ(Zentik().GetValue(ztvAlpha), 200) << "no Alpha=: the alpha stays";
    EXPECT_TRUE(::IsWindowEnabled(Control(L"btnSShem")));
    EXPECT_TRUE(::IsWindowEnabled(Control(L"btnDShem")));

    // The last entry: the language's system colours; nothing to save or delete.
    HWND box = Control(L"CBShema");
    PickSchemeAt(static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0)) - 1);
    EXPECT_EQ(Panel().GetValue(lcdActiveColor), kBtnHighlight);
    EXPECT_TRUE(Checked(L"ShowBorder"));
    EXPECT_EQ(Zentik().GetValue(ztvTransparentMode), 0);
    EXPECT_FALSE(::IsWindowEnabled(Control(L"btnSShem")));
    EXPECT_FALSE(::IsWindowEnabled(Control(L"btnDShem")));

    PickScheme(L"zt-test Tr0");
    Click(L"BtnCancel");
    EXPECT_EQ(Zentik().GetValue(ztvTransparentMode), 0);
    EXPECT_EQ(Zentik().GetValue(ztvAlpha), alpha);
    EXPECT_EQ(Panel().GetValue(lcdActiveColor), active);
    EXPECT_EQ(Panel().GetValue(lcdVertSize), height);
}

TEST_F(OptAlarmPagesTest, StartWithTheSystemWritesAndRemovesTheRunValue) {
    // Puts the value found before the test back, whatever happens.
    struct RunValueBackup {
        const std::wstring saved = ReadString(kRunKey, L"Zentik");
        ~RunValueBackup() {
            if (saved == L"<none>")
                ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Zentik");
            else
                ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Zentik", REG_SZ, saved.c_str(),
                                  static_cast<DWORD>((saved.size() + 1) * sizeof(wchar_t)));
        }
    } backup;
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Zentik");
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);

    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(Checked(L"LoadWithWindows"));
    Click(L"LoadWithWindows");
    EXPECT_EQ(ReadString(kRunKey, L"Zentik"), program);
    Click(L"LoadWithWindows");
    EXPECT_EQ(ReadString(kRunKey, L"Zentik"), L"<none>");
    Click(L"LoadWithWindows");
    Click(L"BtnCancel");
    ASSERT_TRUE(WaitForUnload());

    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(Checked(L"LoadWithWindows")) << "the box shows the value found";
    Click(L"BtnCancel");
}

TEST_F(OptAlarmPagesTest, TheAlarmSwitchAndCommandApplyAtOnceAndTheTimeWithOk) {
    Engine().SetAlarmEnabled(FALSE);
    Engine().SetAlarmTime(EncodeTime(6, 0, 0, 0));
    Zentik().SetAlarmCommand(L"zt_ShowHideClock");
    ASSERT_NE(Open(TztClockMenu::kAlarmClockItem), nullptr);
    HWND picker = Control(L"edtAlrmTime");
    HWND command = Control(L"CBoxDoIt");
    ASSERT_NE(picker, nullptr);
    ASSERT_NE(command, nullptr);
    EXPECT_TRUE(::IsWindowVisible(Control(L"pnlAlarm")));
    EXPECT_FALSE(Checked(L"SwitchEnabled"));
    EXPECT_FALSE(::IsWindowEnabled(picker));
    EXPECT_EQ(WindowText(command), L"zt_ShowHideClock");
    EXPECT_GT(::SendMessageW(command, CB_GETCOUNT, 0, 0), 0) << "the registry's commands";

    Click(L"SwitchEnabled");
    EXPECT_TRUE(Engine().GetAlarmEnabled());
    EXPECT_TRUE(::IsWindowEnabled(picker));
    ::SetWindowTextW(command, L"zt_CloseZentik");
    EXPECT_EQ(ztTakeBstr(Zentik().GetAlarmCommand()), L"zt_CloseZentik");
    Click(L"BtnCancel");
    EXPECT_FALSE(Engine().GetAlarmEnabled());
    EXPECT_EQ(ztTakeBstr(Zentik().GetAlarmCommand()), L"zt_ShowHideClock");
    ASSERT_TRUE(WaitForUnload());

    ASSERT_NE(Open(TztClockMenu::kAlarmClockItem), nullptr);
    Click(L"SwitchEnabled");
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    time.wHour = 7;
    time.wMinute = 30;
    time.wSecond = 15;
    ::SendMessageW(Control(L"edtAlrmTime"), DTM_SETSYSTEMTIME, GDT_VALID,
                   reinterpret_cast<LPARAM>(&time));
    EXPECT_EQ(Engine().GetAlarmPart(1), 6) << "the time waits for OK";
    Click(L"BtnOk");
    EXPECT_EQ(Engine().GetAlarmPart(1), 7);
    EXPECT_EQ(Engine().GetAlarmPart(2), 30);
    EXPECT_EQ(Engine().GetAlarmPart(3), 15);
    EXPECT_TRUE(Engine().GetAlarmEnabled());
    Engine().SetAlarmEnabled(FALSE);
}

} // namespace
} // namespace zt
