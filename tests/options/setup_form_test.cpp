// The options dialog as the clock opens it: ZentikOpt.dll loaded by a clock window of this
// process through its menu, the dialog's page tree, the protocol with the clock (hot keys,
// unloading, closing), plug-in pages from the SDK's hook, the language prompt and the
// plug-in page's uninstall.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/component_name.h"
#include "common/datetime_format.h"
#include "common/dialog_keys.h"
#include "common/window_text.h"
#include "host/clock_menu.h"
#include "host/lang_man_intf.h"
#include "host/main_window.h"
#include "options/page_texts.h"
#include "options/setup_form_resource.h"
#include "support/modal_box.h"
#include "support/pump.h"
#include "zentik/ztComHelpers.h"

namespace zt {
namespace {

using test::ModalBoxAnswerer;
using test::PumpUntil;

constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikOptionsTest";
constexpr wchar_t kOptionsLibrary[] = L"ZentikOpt.dll";
constexpr wchar_t kFixtureName[] = L"SetupPage.Zentik";
constexpr wchar_t kFixtureFile[] = L"SetupPage.pzt";

template <typename Fn> Fn Export(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                  : nullptr;
}

// A program folder of the tests' own, whose Plugins folder gets a fresh copy of the fixture
// plug-in for each test.
std::wstring TestProgramFolder() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"ZtOptionsTest";
}

std::wstring FixtureCopy() {
    return TestProgramFolder() + L"\\Plugins\\" + kFixtureFile;
}

// Whether another window could take Ctrl+Alt+T as its hot key now.
bool HotKeyFree() {
    UniqueWindow probe(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr));
    if (!::RegisterHotKey(probe.get(), 1, MOD_CONTROL | MOD_ALT, 'T'))
        return false;
    ::UnregisterHotKey(probe.get(), 1);
    return true;
}

// Dispatches this thread's messages the way the clock's message loop does, keyboard
// messages of dialogs through the dialog first, until done() or the time limit.
bool PumpWithDialogKeys(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    return test::PumpUntil(done, timeoutMs, [](MSG& message) { return HandleDialogKeys(message); });
}

// One clock for the whole program: the host API keeps the first clock of a process.
class OptionsDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ::CreateDirectoryW(TestProgramFolder().c_str(), nullptr);
        ::CreateDirectoryW((TestProgramFolder() + L"\\Plugins").c_str(), nullptr);
        language_ = CreateLanguageManager(L"" ZT_PROGRAM_DIR, L"Language", L"en");
        ASSERT_NE(language_, nullptr);
        language_->Hold(); // as the program does before it creates the window
        clock_ = new TfrmClock(::GetModuleHandleW(nullptr), DefaultFormatSettings(), language_,
                               SettingsLocation{HKEY_CURRENT_USER, kTestKey});
        ASSERT_TRUE(clock_->Create());
        clock_->PlgMan().SetProgramFolder(TestProgramFolder());
        clock_->StartClock();
    }
    static void TearDownTestSuite() {
        delete clock_;
        clock_ = nullptr;
        if (language_)
            language_->Release();
        language_ = nullptr;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ::RemoveDirectoryW((TestProgramFolder() + L"\\Plugins").c_str());
        ::RemoveDirectoryW(TestProgramFolder().c_str());
    }

    void SetUp() override {
        ASSERT_NE(clock_, nullptr);
        RemoveFixtureFiles();
        ASSERT_TRUE(::CopyFileW(L"" ZT_OPTIONS_FIXTURE, FixtureCopy().c_str(), FALSE));
        ASSERT_EQ(clock_->PlgMan().LoadPlugin(FixtureCopy().c_str()), S_OK);
        fixture_ = ::GetModuleHandleW(kFixtureFile);
        ASSERT_NE(fixture_, nullptr);
    }
    void TearDown() override {
        if (HWND dialog = Dialog())
            ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitForUnload());
        clock_->PlgMan().UnloadAllPlugins();
        RemoveFixtureFiles();
    }

    static void RemoveFixtureFiles() {
        ::DeleteFileW(FixtureCopy().c_str());
        ::DeleteFileW((FixtureCopy() + L".uninstall").c_str());
        ::RemoveDirectoryW((FixtureCopy() + L".uninstall").c_str());
    }

    IZentik& Zentik() { return *clock_->Interface(); }
    HWND ClockWindow() { return clock_->Handle(); }

    // Picks an item of the clock's menu.
    void Menu(UINT item) { ::SendMessageW(ClockWindow(), WM_COMMAND, item, 0); }

    // The visible options dialogs of this thread; the one found, or null.
    static HWND Dialog(int* count = nullptr) {
        struct Search {
            HWND found = nullptr;
            int count = 0;
        } search;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND window, LPARAM data) -> BOOL {
                auto* search = reinterpret_cast<Search*>(data);
                if (::IsWindowVisible(window) && FindComponent(window, L"TVLeft")) {
                    search->found = window;
                    ++search->count;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (count)
            *count = search.count;
        return search.found;
    }

    // The options from the clock menu's item (the "Opt" page for its options item).
    HWND Open(UINT item = TztClockMenu::kConfigItems) {
        Menu(item);
        return Dialog();
    }

    static bool WaitForUnload() {
        return PumpUntil([] { return ::GetModuleHandleW(kOptionsLibrary) == nullptr; }, 5000);
    }

    // The exports the clock and the host API use.
    static HTREEITEM Node(const wchar_t* name) {
        auto getNode = Export<void*(__stdcall*)(const wchar_t*)>(
            ::GetModuleHandleW(kOptionsLibrary), "GetNode");
        return getNode ? static_cast<HTREEITEM>(getNode(name)) : nullptr;
    }
    static HTREEITEM Selection(HWND dialog) {
        return TreeView_GetSelection(FindComponent(dialog, L"TVLeft"));
    }

    std::wstring FixtureLog() const {
        auto log = Export<const wchar_t*(__stdcall*)()>(fixture_, "SetupPageLog");
        return log ? log() : L"<no fixture>";
    }
    HWND FixturePage() const {
        auto page = Export<HWND(__stdcall*)()>(fixture_, "SetupPageWindow");
        return page ? page() : nullptr;
    }
    IztPlugin* FixturePlugin() const {
        const int index = clock_->PlgMan().IndexOfPlugin(kFixtureName);
        return index >= 0 ? clock_->PlgMan().Plugin(index) : nullptr;
    }

    static TztComRef<IZentikAPI> Api() {
        IUnknown* raw = nullptr;
        ::GetAPI(&raw);
        const TztComRef<IUnknown> unknown = TztComRef<IUnknown>::Attach(raw);
        return TztComRef<IZentikAPI>::Query(unknown.get(), IID_IZentikAPI);
    }

    // A text of the language module "Zentik" in the current language.
    static std::wstring Text(const wchar_t* key) {
        ZT_LANG_MODULE module = language_->OpenModule(L"Zentik");
        std::wstring text = ztTakeBstr(language_->Translate(module, key));
        language_->CloseModule(module);
        return text;
    }

    // The text of control's tool in the dialog's tooltip window; empty when it has none.
    static std::wstring ToolTip(HWND dialog, HWND control) {
        HWND tooltip = static_cast<HWND>(::GetPropW(dialog, options::kSetupTooltipProperty));
        wchar_t text[256] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = ::GetParent(control);
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = text;
        ::SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        return text;
    }

    static void Click(HWND dialog, const wchar_t* name) {
        ::SendMessageW(FindComponent(dialog, name), BM_CLICK, 0, 0);
    }

    static inline IztLanguageMan* language_ = nullptr;
    static inline TfrmClock* clock_ = nullptr;
    HMODULE fixture_ = nullptr;
};

TEST_F(OptionsDialogTest, AskingTwiceShowsOneDialogOnTheRequestedPage) {
    const HWND dialog = Open(TztClockMenu::kConfigItems);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(::GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0)
        << "the dialog has a task-bar button of its own";
    EXPECT_EQ(WindowText(dialog), Text(L"SETUP=Caption"));
    // Captions and tooltips of the controls come from "SETUP=<name>" and "SETUP=<name>Hint".
    ASSERT_FALSE(Text(L"SETUP=btnExpHint").empty()) << "the language files were not found";
    HWND exportButton = FindComponent(dialog, L"btnExp");
    EXPECT_EQ(WindowText(exportButton), Text(L"SETUP=btnExp"));
    EXPECT_EQ(ToolTip(dialog, exportButton), Text(L"SETUP=btnExpHint"));
    ASSERT_NE(Node(L"Opt"), nullptr);
    EXPECT_EQ(Selection(dialog), Node(L"Opt"));

    Menu(TztClockMenu::kAboutItem);
    int count = 0;
    EXPECT_EQ(Dialog(&count), dialog);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Selection(dialog), Node(L"About"));
    EXPECT_TRUE(::IsWindowVisible(FindComponent(dialog, L"pnlAbout")));
    EXPECT_EQ(WindowText(FindComponent(dialog, L"lblComment")), Text(L"MISC=AboutComent"));

    // The six pages, in order, as top-level nodes.
    HWND tree = FindComponent(dialog, L"TVLeft");
    HTREEITEM item = TreeView_GetRoot(tree);
    for (const wchar_t* name : {L"Opt", L"Time", L"Alarm", L"Plg", L"Ctrl", L"About"}) {
        EXPECT_EQ(item, Node(name)) << ::testing::PrintToString(std::wstring(name));
        item = TreeView_GetNextSibling(tree, item);
    }
    EXPECT_EQ(item, nullptr);
    EXPECT_EQ(Node(L"opt"), nullptr) << "names are compared exactly";
}

TEST_F(OptionsDialogTest, APlugInPageComesFromTheSdkHookAndASecondAddSelectsIt) {
    const HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FixtureLog(), L"page;");
    const HTREEITEM node = Node(kFixtureName);
    ASSERT_NE(node, nullptr);
    HWND tree = FindComponent(dialog, L"TVLeft");
    EXPECT_EQ(TreeView_GetParent(tree, node), Node(L"Plg"));

    // Its window became a child of the dialog, under its caption.
    const HWND page = FixturePage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(::GetAncestor(page, GA_ROOT), dialog);
    EXPECT_EQ(::GetWindowLongPtrW(page, GWL_STYLE) & (WS_CHILD | WS_POPUP | WS_CAPTION), WS_CHILD);
    EXPECT_EQ(WindowText(::GetDlgItem(::GetParent(page), IDC_PLUGIN_CAPTION)),
              L"Setup page fixture");
    EXPECT_FALSE(::IsWindowVisible(page)) << "only the chosen page shows";

    // Added again: no second node; the first is chosen and shows.
    UniqueWindow second(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                          nullptr, ::GetModuleHandleW(nullptr), nullptr));
    EXPECT_FALSE(Api()->AddSetupPage(second.get(), FixturePlugin()));
    EXPECT_EQ(Selection(dialog), node);
    EXPECT_TRUE(::IsWindowVisible(page));
    EXPECT_EQ(TreeView_GetNextSibling(tree, node), nullptr);
    EXPECT_EQ(TreeView_GetPrevSibling(tree, node), nullptr);
}

TEST_F(OptionsDialogTest, TheCloseBoxActsAsCancelAndAfterOkNothingIsUndone) {
    const INT_PTR start = Zentik().GetValue(ztvAlpha);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND track = FindComponent(dialog, L"AlphaTrack");
    ASSERT_NE(track, nullptr);
    // Page Up on the alpha bar, as the user presses it.
    ::SendMessageW(track, WM_KEYDOWN, VK_PRIOR, 0);
    ::SendMessageW(track, WM_KEYUP, VK_PRIOR, 0);
    const INT_PTR moved = Zentik().GetValue(ztvAlpha);
    ASSERT_NE(moved, start) << "the bar changes the clock at once";

    ::SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(Zentik().GetValue(ztvAlpha), start);
    EXPECT_EQ(FixtureLog(), L"page;cancel;");
    EXPECT_FALSE(::IsWindowVisible(dialog));
    ASSERT_TRUE(WaitForUnload());

    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    track = FindComponent(dialog, L"AlphaTrack");
    ::SendMessageW(track, WM_KEYDOWN, VK_PRIOR, 0);
    ::SendMessageW(track, WM_KEYUP, VK_PRIOR, 0);
    ASSERT_EQ(Zentik().GetValue(ztvAlpha), moved);
    Click(dialog, L"BtnOk");
    ASSERT_TRUE(WaitForUnload());
    EXPECT_EQ(Zentik().GetValue(ztvAlpha), moved);
    EXPECT_EQ(FixtureLog(), L"page;cancel;page;ok;");
    Zentik().SetValue(ztvAlpha, start);
}

TEST_F(OptionsDialogTest, EscCancelsEnterKeepsAndTabMovesOn) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND tree = FindComponent(dialog, L"TVLeft");
    ::SetFocus(tree);
    ::PostMessageW(tree, WM_KEYDOWN, VK_TAB, 0);
    ASSERT_TRUE(PumpWithDialogKeys([&] { return ::GetFocus() != tree; }));
    EXPECT_TRUE(::IsChild(dialog, ::GetFocus()));

    ::SetFocus(tree);
    ::PostMessageW(tree, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(PumpWithDialogKeys([&] { return !::IsWindowVisible(dialog); }));
    EXPECT_EQ(FixtureLog(), L"page;cancel;");
    ASSERT_TRUE(WaitForUnload());

    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    tree = FindComponent(dialog, L"TVLeft");
    ::SetFocus(tree);
    ::PostMessageW(tree, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(PumpWithDialogKeys([&] { return !::IsWindowVisible(dialog); }));
    EXPECT_EQ(FixtureLog(), L"page;cancel;page;ok;");
}

TEST_F(OptionsDialogTest, HotKeysAreOffWhileOpenAndTheLibraryGoesAfterTheClose) {
    clock_->ClickEvents().SetRows({{L"HotKey_CtrlAltT", L"zt_ShowHideClock"}});
    Zentik().DoAction(ztaRegisterHotKeys);
    EXPECT_FALSE(HotKeyFree()) << "the clock holds its hot key";

    const HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(HotKeyFree()) << "hot keys are off while the dialog is open";
    Click(dialog, L"BtnCancel");
    EXPECT_FALSE(HotKeyFree()) << "and on again once it closed";

    ASSERT_TRUE(WaitForUnload()) << "ZentikOpt.dll is still loaded";
    UniqueWindow page(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr));
    EXPECT_FALSE(Api()->AddSetupPage(page.get(), FixturePlugin()));

    Zentik().DoAction(ztaUnregisterHotKeys);
    clock_->ClickEvents() = BindingTable::Defaults();
}

TEST_F(OptionsDialogTest, TheMenusLockToggleWhileOpenSurvivesCancel) {
    ASSERT_EQ(Zentik().GetValue(ztvLocked), 0);
    const HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND lock = FindComponent(dialog, L"Lock");
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(::SendMessageW(lock, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    Menu(TztClockMenu::kLockItem);
    EXPECT_EQ(Zentik().GetValue(ztvLocked), 1);
    EXPECT_EQ(::SendMessageW(lock, BM_GETCHECK, 0, 0), BST_CHECKED) << "the menu sets the box";

    Click(dialog, L"BtnCancel");
    EXPECT_EQ(Zentik().GetValue(ztvLocked), 1) << "Cancel undid the menu's toggle";
    Menu(TztClockMenu::kLockItem);
    EXPECT_EQ(Zentik().GetValue(ztvLocked), 0);
}

TEST_F(OptionsDialogTest, OnlyAnotherLanguageAsksForTheRestart) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND languages = FindComponent(dialog, L"cbLang");
    ASSERT_GE(::SendMessageW(languages, CB_GETCOUNT, 0, 0), 2) << "English and Russian";
    const LRESULT current = ::SendMessageW(languages, CB_GETCURSEL, 0, 0);
    ASSERT_GE(current, 0) << "the language in use is chosen";
    {
        ModalBoxAnswerer answer(L"Zentik", IDNO, 5000);
        Click(dialog, L"BtnOk");
        answer.Stop();
        EXPECT_FALSE(answer.Answered()) << "asked: " << ::testing::PrintToString(answer.Text());
    }
    EXPECT_EQ(ztTakeBstr(language_->GetLanguage()), L"en");
    ASSERT_TRUE(WaitForUnload());

    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    languages = FindComponent(dialog, L"cbLang");
    ::SendMessageW(languages, CB_SETCURSEL, current == 0 ? 1 : 0, 0);
    {
        ModalBoxAnswerer answer(L"Zentik", IDNO, 5000);
        Click(dialog, L"BtnOk");
        answer.Stop();
        EXPECT_TRUE(answer.Answered());
        EXPECT_EQ(answer.Text(), Text(L"Error=NeedRestart"));
    }
    EXPECT_NE(ztTakeBstr(language_->GetLanguage()), L"en") << "the language changes at once";
    EXPECT_FALSE(clock_->RestartRequested()) << "No asks for no restart";
    language_->SetLanguage(L"en");
}

TEST_F(OptionsDialogTest, UninstallUnloadsThenRenamesAndTheNextScanPassesOver) {
    const HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(Node(kFixtureName), nullptr);
    HWND list = FindComponent(dialog, L"PlgList");
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    wchar_t line[128] = {};
    ::SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(std::wstring(line), L"Setup page fixture   [SetupPage.Zentik]");
    EXPECT_EQ(WindowText(FindComponent(dialog, L"LblPlgID")),
              Text(L"SETUP=LblPlgID") + L"SetupPage.Zentik");
    EXPECT_EQ(WindowText(FindComponent(dialog, L"lblVersn")), Text(L"SETUP=LblVersn") + L" 2.5");
    EXPECT_EQ(WindowText(FindComponent(dialog, L"LblAut")),
              Text(L"SETUP=LblAut") + L"Zentik tests");
    EXPECT_EQ(WindowText(FindComponent(dialog, L"LblCPR")),
              Text(L"SETUP=LblCPR") + L" Notice text");
    EXPECT_EQ(WindowText(FindComponent(dialog, L"MemoDes")), L"First line\r\nSecond line");

    {
        ModalBoxAnswerer answer(L"Zentik", IDOK, 5000);
        Click(dialog, L"BtnUnInstall");
        answer.Stop();
        EXPECT_FALSE(answer.Answered()) << ::testing::PrintToString(answer.Text());
    }
    EXPECT_EQ(clock_->PlgMan().PluginCount(), 0);
    EXPECT_EQ(::GetModuleHandleW(kFixtureFile), nullptr);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Node(kFixtureName), nullptr) << "its page left the dialog";
    EXPECT_EQ(::GetFileAttributesW(FixtureCopy().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW((FixtureCopy() + L".uninstall").c_str()),
              INVALID_FILE_ATTRIBUTES);

    clock_->PlgMan().LoadPlugins();
    EXPECT_EQ(clock_->PlgMan().PluginCount(), 0) << "the scan loaded the uninstalled file";
}

TEST_F(OptionsDialogTest, AFailedRenameIsReportedAfterTheUnload) {
    // A folder of the new name keeps the file from being renamed.
    ASSERT_TRUE(::CreateDirectoryW((FixtureCopy() + L".uninstall").c_str(), nullptr));
    const HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND list = FindComponent(dialog, L"PlgList");
    {
        ModalBoxAnswerer answer(L"Zentik", IDOK, 5000);
        Click(dialog, L"BtnUnInstall");
        answer.Stop();
        EXPECT_TRUE(answer.Answered());
        EXPECT_EQ(answer.Text(), Text(L"Error=ErrorDeletePlugin"));
    }
    EXPECT_EQ(clock_->PlgMan().PluginCount(), 0);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 0) << "the line goes with the plug-in";
    EXPECT_NE(::GetFileAttributesW(FixtureCopy().c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
} // namespace zt
