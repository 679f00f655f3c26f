// Settings of the real Zentik.exe in HKCU\Software\Ombrelt\Zentik: what a close writes,
// what the next start restores, and how damaged values are handled.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/handles.h"
#include "common/utf.h"
#include "support/zentik_process.h"

namespace zt::test {
namespace {

constexpr wchar_t kKey[] = L"Software\\Ombrelt\\Zentik";
constexpr wchar_t kBindings[] = L"Software\\Ombrelt\\Zentik\\ClickEvents_Strings";

std::optional<std::wstring> ReadText(const wchar_t* name, const wchar_t* key = kKey) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof(buffer);
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

void WriteText(const wchar_t* name, const std::wstring& value, const wchar_t* key = kKey) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

std::wstring ScreenSuffix() {
    return L"(" + std::to_wstring(::GetSystemMetrics(SM_CXSCREEN)) + L"x" +
           std::to_wstring(::GetSystemMetrics(SM_CYSCREEN)) + L")";
}

std::wstring SystemColorText(int index) {
    return std::to_wstring(static_cast<int>(0xFF000000u | static_cast<unsigned>(index)));
}

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

RECT WorkArea() {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

std::wstring RectText(const RECT& rect) {
    return std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," +
           std::to_wstring(rect.right) + L"," + std::to_wstring(rect.bottom);
}

// For readable failure messages.
std::string Narrow(const std::optional<std::wstring>& text) {
    return text ? WideToUtf8(*text) : std::string("<absent>");
}

#define EXPECT_VALUE(name, expected) EXPECT_EQ(Narrow(ReadText(name)), Narrow(expected)) << #name

class ZentikSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ClockWindows().empty()) << "a clock from elsewhere is running";
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }
    void TearDown() override {
        EXPECT_TRUE(WaitUntil(5000, [] { return ClockWindows().empty(); }));
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }

    // Starts a clock and waits until its window shows.
    HWND Start(ZentikProcess& clock) {
        EXPECT_TRUE(clock.Start());
        const HWND window = clock.WaitForWindow();
        EXPECT_NE(window, nullptr);
        if (window) {
            EXPECT_TRUE(WaitUntil(5000, [&] { return ::IsWindowVisible(window) != FALSE; }));
        }
        return window;
    }
    // One start and close: the settings of a clock that has run before.
    void RunOnce() {
        ZentikProcess clock;
        ASSERT_NE(Start(clock), nullptr);
        ASSERT_TRUE(clock.Close());
        ASSERT_EQ(Narrow(ReadText(L"FormVersion")), "2");
    }
    void WritePosition(const std::wstring& position) {
        WriteText(L"NormPos", position);
        WriteText((L"NormPos" + ScreenSuffix()).c_str(), position);
    }
};

TEST_F(ZentikSettingsTest, FirstStartIsCentredAndItsCloseWritesEveryValue) {
    RECT shown{};
    {
        ZentikProcess clock;
        const HWND window = Start(clock);
        ASSERT_NE(window, nullptr);
        shown = WindowRect(window);
        EXPECT_EQ(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
        ASSERT_TRUE(clock.Close());
    }
    const RECT area = WorkArea();
    const int width = shown.right - shown.left;
    const int height = shown.bottom - shown.top;
    EXPECT_NEAR(shown.left, area.left + (area.right - area.left - width) / 2, 1);
    EXPECT_NEAR(shown.top, area.top + (area.bottom - area.top - height) / 2, 1);

    EXPECT_VALUE(L"FormVersion", L"2");
    for (const wchar_t* name : {L"Flags", L"ShowCmd", L"PixelsPerInch"})
        EXPECT_TRUE(ReadText(name)) << WideToUtf8(name);
    const HDC screen = ::GetDC(nullptr);
    EXPECT_VALUE(L"PixelsPerInch", std::to_wstring(::GetDeviceCaps(screen, LOGPIXELSY)));
    ::ReleaseDC(nullptr, screen);
    EXPECT_VALUE(L"NormPos", RectText(shown));
    EXPECT_VALUE((L"NormPos" + ScreenSuffix()).c_str(), RectText(shown));
    EXPECT_TRUE(ReadText(L"MinMaxPos"));
    EXPECT_EQ(Narrow(ReadText((L"MinMaxPos" + ScreenSuffix()).c_str())),
              Narrow(ReadText(L"MinMaxPos")));

    // The design of the clock face and engine.
    EXPECT_VALUE(L"HideItem_Checked", L"False");
    EXPECT_VALUE(L"MainScreen_LEDActiveColor", SystemColorText(COLOR_BTNHIGHLIGHT));
    EXPECT_VALUE(L"MainScreen_LEDInActiveColor", SystemColorText(COLOR_BTNSHADOW));
    EXPECT_VALUE(L"MainScreen_LEDColor", SystemColorText(COLOR_WINDOWFRAME));
    EXPECT_VALUE(L"MainScreen_LEDHorzsize", L"10");
    EXPECT_VALUE(L"MainScreen_LEDVertsize", L"7");
    EXPECT_VALUE(L"MainScreen_LEDThickness", L"3");
    EXPECT_VALUE(L"MainScreen_BorderColor", SystemColorText(COLOR_BTNFACE));
    EXPECT_VALUE(L"MainScreen_BorderWidth", L"2");
    EXPECT_VALUE(L"CZentik_CustomFormat", L"hh:mm:ss");
    EXPECT_VALUE(L"CZentik_UseCustomFormat", L"False");
    EXPECT_VALUE(L"CZentik_AlarmEnabled", L"False");
    EXPECT_VALUE(L"CZentik_AlarmHour", L"0");
    EXPECT_VALUE(L"CZentik_AlarmMinute", L"0");
    EXPECT_VALUE(L"CZentik_AlarmSecond", L"0");
    EXPECT_VALUE(L"CZentik_ShowSeconds", L"True");
    EXPECT_VALUE(L"CZentik_SecondFlash", L"True");
    EXPECT_EQ(Narrow(ReadText(L"Count", kBindings)), "4");
    EXPECT_EQ(Narrow(ReadText(L"Item0", kBindings)), "ClickMainLeft=pm_TalkTime");
    EXPECT_EQ(Narrow(ReadText(L"Item1", kBindings)), "ClickMainMiddle=zt_ShowZentikOptions");
    EXPECT_EQ(Narrow(ReadText(L"Item2", kBindings)), "ClickTrayLeft=zt_ShowHideClock");
    EXPECT_EQ(Narrow(ReadText(L"Item3", kBindings)), "ClickTrayMiddle=zt_CloseZentik");

    // The window settings.
    EXPECT_VALUE(L"TrayIcon_Active", L"False");
    EXPECT_VALUE(L"UseBorder", L"0"); // the design's transparent-colour mode is on
    EXPECT_VALUE(L"AlwaysOnTop_Checked", L"False");
    EXPECT_VALUE(L"Lock", L"False");
    EXPECT_VALUE(L"Alpha", L"255");
    EXPECT_VALUE(L"AlarmCmnd", L"");
    EXPECT_VALUE(L"SnapScreen", L"True");
    EXPECT_VALUE(L"ALIGN", L"0");
    EXPECT_TRUE(ReadText(L"Language"));
}

TEST_F(ZentikSettingsTest, SecondStartRestoresPositionColourLockOnTopAndAlpha) {
    RunOnce();
    // The position saved for this screen size wins over the plain one.
    WriteText(L"NormPos", L"200,220,404,259");
    WriteText((L"NormPos" + ScreenSuffix()).c_str(), L"100,120,304,159");
    WriteText(L"MainScreen_LEDActiveColor", L"255");
    WriteText(L"Lock", L"True");
    WriteText(L"AlwaysOnTop_Checked", L"True");
    WriteText(L"Alpha", L"128");
    {
        ZentikProcess clock;
        const HWND window = Start(clock);
        ASSERT_NE(window, nullptr);
        const RECT rect = WindowRect(window);
        EXPECT_EQ(rect.left, 100);
        EXPECT_EQ(rect.top, 120);
        EXPECT_NE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
        BYTE alpha = 0;
        DWORD flags = 0;
        EXPECT_TRUE(::GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
        EXPECT_EQ(alpha, 128);
        EXPECT_NE(flags & LWA_ALPHA, 0u);

        // Locked: a drag leaves the clock where it is.
        const HWND panel = ::FindWindowExW(window, nullptr, L"TztLCDPanel", nullptr);
        ASSERT_NE(panel, nullptr);
        ::SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        ::SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 30));
        ::SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
        const RECT after = WindowRect(window);
        EXPECT_EQ(after.left, 100);
        EXPECT_EQ(after.top, 120);
        ASSERT_TRUE(clock.Close());
    }
    EXPECT_VALUE(L"MainScreen_LEDActiveColor", L"255");
    EXPECT_VALUE(L"Lock", L"True");
    EXPECT_VALUE(L"AlwaysOnTop_Checked", L"True");
    EXPECT_VALUE(L"Alpha", L"128");
    EXPECT_EQ(Narrow(ReadText(L"NormPos")).rfind("100,120,", 0), 0u)
        << Narrow(ReadText(L"NormPos"));
}

TEST_F(ZentikSettingsTest, RestoredBindingRunsOnAClick) {
    RunOnce();
    WriteText(L"Count", L"1", kBindings);
    WriteText(L"Item0", L"ClickMainLeft=zt_CloseZentik", kBindings);
    ZentikProcess clock;
    const HWND window = Start(clock);
    ASSERT_NE(window, nullptr);
    const HWND panel = ::FindWindowExW(window, nullptr, L"TztLCDPanel", nullptr);
    ASSERT_NE(panel, nullptr);
    ::PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(clock.WaitForExit(15000)) << "the click did not close the clock";
    EXPECT_EQ(Narrow(ReadText(L"Count", kBindings)), "1");
    EXPECT_EQ(Narrow(ReadText(L"Item0", kBindings)), "ClickMainLeft=zt_CloseZentik");
    EXPECT_FALSE(ReadText(L"Item1", kBindings)) << "the list is emptied before writing";
}

TEST_F(ZentikSettingsTest, MissingLockMeansLocked) {
    RunOnce();
    ASSERT_EQ(::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Lock"), ERROR_SUCCESS);
    RunOnce();
    EXPECT_VALUE(L"Lock", L"True");
    EXPECT_VALUE(L"AlwaysOnTop_Checked", L"False") << "only the deleted value changes";
}

TEST_F(ZentikSettingsTest, UnusableValuesAreSkippedAndTheRestIsRestored) {
    RunOnce();
    WriteText(L"CZentik_AlarmHour", L"25");
    WriteText(L"CZentik_AlarmMinute", L"30");
    WriteText(L"CZentik_CustomFormat", L"hh:mm ");
    WriteText(L"ALIGN", L"abc");
    WriteText(L"Alpha", L"300");
    {
        ZentikProcess clock;
        const HWND window = Start(clock);
        ASSERT_NE(window, nullptr);
        BYTE alpha = 0;
        DWORD flags = 0;
        EXPECT_FALSE(::GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) &&
                     (flags & LWA_ALPHA))
            << "alpha " << static_cast<int>(alpha);
        ASSERT_TRUE(clock.Close());
    }
    EXPECT_VALUE(L"CZentik_AlarmHour", L"0");
    EXPECT_VALUE(L"CZentik_AlarmMinute", L"30");
    EXPECT_VALUE(L"CZentik_CustomFormat", L"hh:mm");
    EXPECT_VALUE(L"ALIGN", L"0");
    EXPECT_VALUE(L"Alpha", L"255");
}

TEST_F(ZentikSettingsTest, NegativeBindingCountKeepsTheDesignRows) {
    RunOnce();
    WriteText(L"Count", L"-1", kBindings);
    WriteText(L"Item0", L"ClickMainLeft=zt_CloseZentik", kBindings);
    RunOnce();
    EXPECT_EQ(Narrow(ReadText(L"Count", kBindings)), "4");
    EXPECT_EQ(Narrow(ReadText(L"Item0", kBindings)), "ClickMainLeft=pm_TalkTime");
}

TEST_F(ZentikSettingsTest, PositionSavedAtAnotherResolutionIsNotUsed) {
    RunOnce();
    const int ppi = std::stoi(ReadText(L"PixelsPerInch").value_or(L"96"));
    WriteText(L"PixelsPerInch", std::to_wstring(ppi + 24));
    WritePosition(L"100,120,304,159");
    ZentikProcess clock;
    const HWND window = Start(clock);
    ASSERT_NE(window, nullptr);
    const RECT rect = WindowRect(window);
    const RECT area = WorkArea();
    EXPECT_NEAR(rect.left, area.left + (area.right - area.left - (rect.right - rect.left)) / 2, 1);
    EXPECT_NEAR(rect.top, area.top + (area.bottom - area.top - (rect.bottom - rect.top)) / 2, 1);
    EXPECT_TRUE(clock.Close());
}

TEST_F(ZentikSettingsTest, ARestoredPositionNearAnEdgeLandsOnIt) {
    RunOnce();
    const RECT area = WorkArea();
    const int left = area.left + 5;
    const int top = area.top + 200;
    WritePosition(RectText({left, top, left + 204, top + 39}));
    {
        ZentikProcess clock;
        const HWND window = Start(clock);
        ASSERT_NE(window, nullptr);
        const RECT rect = WindowRect(window);
        EXPECT_EQ(rect.left, area.left) << "5 pixels from the left edge";
        EXPECT_EQ(rect.top, top);
        ASSERT_TRUE(clock.Close());
    }
    EXPECT_VALUE(L"ALIGN", std::wstring(L"8")) << "glued to the left edge";
}

TEST_F(ZentikSettingsTest, PositionFarOffScreenIsPulledIntoTheWorkArea) {
    RunOnce();
    WritePosition(L"30000,30000,30204,30039");
    ZentikProcess clock;
    const HWND window = Start(clock);
    ASSERT_NE(window, nullptr);
    const RECT rect = WindowRect(window);
    const RECT area = WorkArea();
    EXPECT_GE(rect.left, area.left);
    EXPECT_GE(rect.top, area.top);
    EXPECT_LE(rect.right, area.right);
    EXPECT_LE(rect.bottom, area.bottom);
    EXPECT_TRUE(clock.Close());
}

} // namespace
} // namespace zt::test
