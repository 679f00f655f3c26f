// A system command in the real Zentik.exe: a middle click bound to "ZT_FlashClock 3|200"
// makes the clock window disappear and come back, visible at the end.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/zentik_process.h"

namespace zt::test {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Ombrelt\\Zentik";
constexpr wchar_t kBindingsKey[] = L"Software\\Ombrelt\\Zentik\\ClickEvents_Strings";

void WriteText(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

TEST(SysactInTheClock, AClickBoundToTheFlashCommandFlashesTheClock) {
    if (!XdotoolAvailable())
        GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(ClockWindows().empty()) << "a clock from elsewhere is running";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    // A clock that has run before (FormVersion) with the middle click bound.
    WriteText(kSettingsKey, L"FormVersion", L"2");
    WriteText(kBindingsKey, L"Count", L"1");
    WriteText(kBindingsKey, L"Item0", L"ClickMainMiddle=ZT_FlashClock 3|200");

    ZentikProcess clock;
    ASSERT_TRUE(clock.Start());
    const HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);
    POINT lit{};
    ASSERT_TRUE(WaitUntil(10000, [&] { return SegmentPoint(window, lit); }));
    ASSERT_TRUE(RunXdotool(L"mousemove " + std::to_wstring(lit.x) + L" " + std::to_wstring(lit.y) +
                           L" sleep 0.2 click 2"));
    EXPECT_TRUE(WaitUntil(10000, [&] { return !::IsWindowVisible(window); }))
        << "the clock never disappeared";
    EXPECT_TRUE(WaitUntil(20000, [&] { return ::IsWindowVisible(window) != FALSE; }))
        << "the clock did not come back";
    EXPECT_TRUE(clock.Close());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

} // namespace
} // namespace zt::test
