// System-wide hot keys on a real window: atoms as ids, registration with the system,
// the binding table, and a key press that travels through the X server.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/handles.h"
#include "common/utf.h"
#include "host/glb_hotkey_man.h"

namespace zt {
namespace {

constexpr wchar_t kClassName[] = L"ZentikHotKeyTestWindow";
constexpr UINT kCtrlAlt = MOD_CONTROL | MOD_ALT;

UniqueWindow CreateTestWindow(bool visible = false) {
    static const ATOM windowClass = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc);
    }();
    if (windowClass == 0)
        return UniqueWindow();
    const DWORD style = WS_POPUP | (visible ? WS_VISIBLE : 0);
    return UniqueWindow(::CreateWindowExW(0, kClassName, L"Zentik hot-key test", style, 100, 100,
                                          120, 40, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                          nullptr));
}

bool AtomExists(const std::wstring& name) {
    return ::GlobalFindAtomW(name.c_str()) != 0;
}

// Whether another window could take the combination, i.e. nobody holds it. Leaves it free.
bool CombinationIsFree(UINT modifiers, UINT virtualKey) {
    UniqueWindow probe = CreateTestWindow();
    if (!::RegisterHotKey(probe.get(), 1, modifiers, virtualKey))
        return false;
    ::UnregisterHotKey(probe.get(), 1);
    return true;
}

// Waits for a WM_HOTKEY on window, dispatching everything else; returns its id or -1.
int WaitForHotKey(HWND window, DWORD milliseconds) {
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    while (::GetTickCount64() < deadline) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_HOTKEY && msg.hwnd == window)
                return static_cast<int>(msg.wParam);
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return -1;
}

class GlbHotKeyManTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = CreateTestWindow();
        ASSERT_TRUE(window_);
        for (const std::wstring& name : kNames)
            ASSERT_FALSE(AtomExists(name)) << "left behind: " << WideToUtf8(name);
    }
    void TearDown() override {
        // Every test releases what it took.
        for (const std::wstring& name : kNames)
            EXPECT_FALSE(AtomExists(name));
    }

    inline static const std::vector<std::wstring> kNames{L"HotKey_CtrlAltT",   L"HotKey_ShiftF5",
                                                         L"HotKey_WinExt(65)", L"HotKey_Ext(x)",
                                                         L"HotKey_CtrlAltJ",   L"HotKey_"};
    UniqueWindow window_;
};

TEST_F(GlbHotKeyManTest, RegisterListsTheNameWithItsGlobalAtomAsId) {
    TztGlbHotKeyMan manager(window_.get());
    EXPECT_EQ(manager.Window(), window_.get());
    EXPECT_TRUE(manager.HotKeyNames().empty());

    EXPECT_TRUE(manager.Register(L"HotKey_CtrlAltT", kCtrlAlt, 'T'));
    const ATOM id = ::GlobalFindAtomW(L"HotKey_CtrlAltT");
    ASSERT_NE(id, 0);
    EXPECT_GE(id, 0xC000) << "string atoms live above 0xC000";
    ASSERT_EQ(manager.HotKeyNames().size(), 1u);
    EXPECT_EQ(manager.HotKeyNames()[0].name, L"HotKey_CtrlAltT");
    EXPECT_EQ(manager.HotKeyNames()[0].id, id);
    EXPECT_EQ(manager.IndexOfId(id), 0);
    EXPECT_EQ(manager.IndexOfId(id + 1), -1);
    EXPECT_EQ(manager.IndexOfId(0), -1);
    EXPECT_FALSE(CombinationIsFree(kCtrlAlt, 'T'));

    EXPECT_TRUE(manager.Register(L"HotKey_ShiftF5", MOD_SHIFT, VK_F5));
    ASSERT_EQ(manager.HotKeyNames().size(), 2u);
    EXPECT_EQ(manager.HotKeyNames()[1].name, L"HotKey_ShiftF5");
    EXPECT_EQ(manager.IndexOfId(manager.HotKeyNames()[1].id), 1);

    manager.Unregister(L"HotKey_CtrlAltT");
    manager.Unregister(L"HotKey_ShiftF5");
    EXPECT_TRUE(manager.HotKeyNames().empty());
}

TEST_F(GlbHotKeyManTest, RegisteringTwiceReusesTheAtomAndUnregisterDeletesIt) {
    TztGlbHotKeyMan manager(window_.get());
    manager.Register(L"HotKey_CtrlAltT", kCtrlAlt, 'T');
    const ATOM id = manager.HotKeyNames().at(0).id;
    manager.Register(L"HotKey_CtrlAltT", kCtrlAlt, 'T');
    manager.Register(L"HOTKEY_CTRLALTT", kCtrlAlt, 'T'); // names compare like atoms
    ASSERT_EQ(manager.HotKeyNames().size(), 1u);
    EXPECT_EQ(manager.HotKeyNames()[0].id, id);

    // The list holds one reference only: a single unregister removes the atom.
    manager.Unregister(L"hotkey_ctrlaltt");
    EXPECT_FALSE(AtomExists(L"HotKey_CtrlAltT"));
    EXPECT_TRUE(manager.HotKeyNames().empty());
    EXPECT_EQ(manager.IndexOfId(id), -1);
    EXPECT_TRUE(CombinationIsFree(kCtrlAlt, 'T'));

    // A later register adds the atom again.
    EXPECT_TRUE(manager.Register(L"HotKey_CtrlAltT", kCtrlAlt, 'T'));
    ASSERT_EQ(manager.HotKeyNames().size(), 1u);
    EXPECT_EQ(manager.HotKeyNames()[0].id, ::GlobalFindAtomW(L"HotKey_CtrlAltT"));
    EXPECT_FALSE(CombinationIsFree(kCtrlAlt, 'T'));
    manager.Unregister(L"HotKey_CtrlAltT");

    // Unregistering again, or a name never registered, changes nothing.
    manager.Unregister(L"HotKey_CtrlAltT");
    manager.Unregister(L"HotKey_CtrlAltJ");
    EXPECT_TRUE(manager.HotKeyNames().empty());
}

TEST_F(GlbHotKeyManTest, AtomsOfOtherOwnersSurvive) {
    // Someone else holds the atom before the clock registers the name.
    const ATOM foreign = ::GlobalAddAtomW(L"HotKey_CtrlAltJ");
    ASSERT_NE(foreign, 0);
    {
        TztGlbHotKeyMan manager(window_.get());
        manager.Register(L"HotKey_CtrlAltJ", kCtrlAlt, 'J');
        EXPECT_EQ(manager.HotKeyNames().at(0).id, foreign);
        manager.Unregister(L"HotKey_CtrlAltJ");
        EXPECT_TRUE(AtomExists(L"HotKey_CtrlAltJ"));
        EXPECT_TRUE(CombinationIsFree(kCtrlAlt, 'J'));

        // Unregistering a name that is not listed leaves the atom alone.
        manager.Unregister(L"HotKey_CtrlAltJ");
        EXPECT_TRUE(AtomExists(L"HotKey_CtrlAltJ"));
    }
    EXPECT_TRUE(AtomExists(L"HotKey_CtrlAltJ"));
    ::GlobalDeleteAtom(foreign);
}

TEST_F(GlbHotKeyManTest, ACombinationTakenElsewhereStaysListedAndIsReleasedNormally) {
    UniqueWindow other = CreateTestWindow();
    ASSERT_TRUE(::RegisterHotKey(other.get(), 7, kCtrlAlt, 'J'));
    TztGlbHotKeyMan manager(window_.get());
    EXPECT_FALSE(manager.Register(L"HotKey_CtrlAltJ", kCtrlAlt, 'J'));
    ASSERT_EQ(manager.HotKeyNames().size(), 1u);
    manager.Unregister(L"HotKey_CtrlAltJ");
    EXPECT_TRUE(manager.HotKeyNames().empty());
    // The other window's hot key is untouched.
    EXPECT_FALSE(CombinationIsFree(kCtrlAlt, 'J'));
    ::UnregisterHotKey(other.get(), 7);
}

TEST_F(GlbHotKeyManTest, ANameThatCannotBeAnAtomIsNotRegistered) {
    TztGlbHotKeyMan manager(window_.get());
    const std::wstring longName = L"HotKey_Ctrl" + std::wstring(300, L'x');
    EXPECT_FALSE(manager.Register(longName, MOD_CONTROL, 'X'));
    EXPECT_TRUE(manager.HotKeyNames().empty());
    EXPECT_TRUE(CombinationIsFree(MOD_CONTROL, 'X'));
}

TEST_F(GlbHotKeyManTest, DestructionReleasesWhatIsStillRegistered) {
    {
        TztGlbHotKeyMan manager(window_.get());
        manager.Register(L"HotKey_CtrlAltT", kCtrlAlt, 'T');
        manager.Register(L"HotKey_ShiftF5", MOD_SHIFT, VK_F5);
    }
    EXPECT_FALSE(AtomExists(L"HotKey_CtrlAltT"));
    EXPECT_FALSE(AtomExists(L"HotKey_ShiftF5"));
    EXPECT_TRUE(CombinationIsFree(kCtrlAlt, 'T'));
    EXPECT_TRUE(CombinationIsFree(MOD_SHIFT, VK_F5));
}

const BindingRows kTable{
    {L"ClickMainLeft", L"pm_TalkTime"},        {L"HotKey_", L"ignored"},
    {L"HotKey_CtrlAltT", L"zt_ShowHideClock"}, {L"HotKey_Ext(x)", L"not parseable"},
    {L"HotKey_ShiftF5", L"notepad.exe"},       {L"HotKey_WinExt(65)", L"zt_ShowZentikOptions"},
    {L"ClickTrayMiddle", L"zt_CloseZentik"},
};

TEST_F(GlbHotKeyManTest, RegisterAllAndUnregisterAllOverTheBindingTable) {
    TztGlbHotKeyMan manager(window_.get());
    EXPECT_TRUE(RegisterAll(manager, {}, true).empty());
    EXPECT_TRUE(manager.HotKeyNames().empty());

    const std::vector<std::wstring> skipped = RegisterAll(manager, kTable, true);
    EXPECT_EQ(skipped, std::vector<std::wstring>{L"HotKey_Ext(x)"});

    std::vector<std::wstring> names;
    for (const HotKeyEntry& entry : manager.HotKeyNames()) {
        names.push_back(entry.name);
        EXPECT_EQ(entry.id, ::GlobalFindAtomW(entry.name.c_str()));
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"HotKey_CtrlAltT", L"HotKey_ShiftF5",
                                                L"HotKey_WinExt(65)"}));
    EXPECT_FALSE(AtomExists(L"HotKey_"));
    EXPECT_FALSE(AtomExists(L"HotKey_Ext(x)"));
    EXPECT_FALSE(AtomExists(L"ClickMainLeft"));
    EXPECT_FALSE(CombinationIsFree(kCtrlAlt, 'T'));
    EXPECT_FALSE(CombinationIsFree(MOD_SHIFT, VK_F5));
    EXPECT_FALSE(CombinationIsFree(MOD_WIN, 'A'));

    // Registering again changes neither the list nor the ids.
    const std::vector<HotKeyEntry> before = manager.HotKeyNames();
    RegisterAll(manager, kTable, true);
    ASSERT_EQ(manager.HotKeyNames().size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(manager.HotKeyNames()[i].id, before[i].id);

    EXPECT_TRUE(RegisterAll(manager, kTable, false).empty());
    EXPECT_TRUE(manager.HotKeyNames().empty());
    EXPECT_TRUE(CombinationIsFree(kCtrlAlt, 'T'));
    EXPECT_TRUE(CombinationIsFree(MOD_SHIFT, VK_F5));
    EXPECT_TRUE(CombinationIsFree(MOD_WIN, 'A'));
}

TEST_F(GlbHotKeyManTest, HotKeyIdLeadsToTheCommandLineOfItsRow) {
    TztGlbHotKeyMan manager(window_.get());
    RegisterAll(manager, kTable, true);
    const ATOM ctrlAltT = ::GlobalFindAtomW(L"HotKey_CtrlAltT");
    const ATOM shiftF5 = ::GlobalFindAtomW(L"HotKey_ShiftF5");
    ASSERT_NE(ctrlAltT, 0);
    ASSERT_NE(shiftF5, 0);

    EXPECT_EQ(HotKeyCommandLine(manager, kTable, ctrlAltT), L"zt_ShowHideClock");
    EXPECT_EQ(HotKeyCommandLine(manager, kTable, shiftF5), L"notepad.exe");
    // Unknown ids, including the system's own negative ones.
    EXPECT_EQ(HotKeyCommandLine(manager, kTable, 0), std::nullopt);
    EXPECT_EQ(HotKeyCommandLine(manager, kTable, static_cast<WPARAM>(IDHOT_SNAPWINDOW)),
              std::nullopt);
    EXPECT_EQ(HotKeyCommandLine(manager, kTable, ctrlAltT + 0x10000u), std::nullopt);

    // The row is found by name without regard to case; the first one counts.
    const BindingRows edited{{L"hotkey_ctrlaltt", L"first"}, {L"HotKey_CtrlAltT", L"second"}};
    EXPECT_EQ(HotKeyCommandLine(manager, edited, ctrlAltT), L"first");
    // A row that has disappeared from the table does nothing.
    EXPECT_EQ(HotKeyCommandLine(manager, edited, shiftF5), std::nullopt);

    RegisterAll(manager, kTable, false);
    EXPECT_EQ(HotKeyCommandLine(manager, kTable, ctrlAltT), std::nullopt);
}

// Runs xdotool with these arguments to press keys through the X server; false when it
// is not available (a Windows machine).
bool PressKeysThroughX(const wchar_t* arguments) {
    if (::GetFileAttributesW(L"Z:\\usr\\bin\\xdotool") == INVALID_FILE_ATTRIBUTES)
        return false;
    std::wstring commandLine = L"/usr/bin/xdotool ";
    commandLine += arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // Wine starts a Unix program directly; there is no process handle to wait on.
    if (!::CreateProcessW(L"/usr/bin/xdotool", commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &process))
        return false;
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    return true;
}

TEST(GlbHotKeyKeyboardTest, KeyPressThroughTheXServerArrivesAsHotKey) {
    UniqueWindow window = CreateTestWindow(true);
    ASSERT_TRUE(window);
    ::SetForegroundWindow(window.get());
    TztGlbHotKeyMan manager(window.get());
    const BindingRows table{{L"HotKey_AltCtrlT", L"zt_ShowHideClock"}};
    RegisterAll(manager, table, true);
    ASSERT_EQ(manager.HotKeyNames().size(), 1u);
    const ATOM id = manager.HotKeyNames()[0].id;

    // Let the window settle on the display before typing.
    WaitForHotKey(window.get(), 300);
    // Without a window manager the X focus follows the pointer: put it on the window.
    RECT rect{};
    ::GetWindowRect(window.get(), &rect);
    const std::wstring keys = L"mousemove " + std::to_wstring((rect.left + rect.right) / 2) + L" " +
                              std::to_wstring((rect.top + rect.bottom) / 2) +
                              L" key --delay 30 t ctrl+alt+y ctrl+alt+t";
    if (!PressKeysThroughX(keys.c_str())) {
        RegisterAll(manager, table, false);
        GTEST_SKIP() << "xdotool is not available";
    }
    // "T" alone and Ctrl+Alt+Y come first and must not count.
    const int received = WaitForHotKey(window.get(), 5000);
    EXPECT_EQ(received, id);
    EXPECT_EQ(WaitForHotKey(window.get(), 500), -1) << "more than one hot key arrived";
    EXPECT_EQ(HotKeyCommandLine(manager, table, static_cast<WPARAM>(received)),
              L"zt_ShowHideClock");
    RegisterAll(manager, table, false);
    EXPECT_FALSE(AtomExists(L"HotKey_AltCtrlT"));
}

} // namespace
} // namespace zt
