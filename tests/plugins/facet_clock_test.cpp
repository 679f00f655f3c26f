// The font style in the real Zentik.exe: with the style stored as active, the clock shows the
// same text with other pixels than its LED segments.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/zentik_process.h"

namespace zt::test {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Ombrelt\\Zentik";
constexpr wchar_t kFacetKey[] = L"Software\\Ombrelt\\Zentik\\Plugins\\Facet.Zentik";

void WriteText(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// A clock that has run before, showing a fixed text, with the style on or off.
void StoreSettings(bool styleActive) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    WriteText(kSettingsKey, L"FormVersion", L"2");
    WriteText(kSettingsKey, L"CZentik_UseCustomFormat", L"True");
    WriteText(kSettingsKey, L"CZentik_CustomFormat", L"'20:48'");
    const DWORD active = styleActive ? 1 : 0;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kFacetKey, L"Activ", REG_DWORD, &active,
                                sizeof(active)),
              ERROR_SUCCESS);
}

// The clock window's pixels once it shows its characters; with a reference, once they differ
// from it (the plug-ins load after the first paint), or the last ones seen after 15 s.
WindowPixels ClockImage(const WindowPixels* reference = nullptr) {
    WindowPixels image;
    ZentikProcess clock;
    if (!clock.Start())
        return image;
    const HWND window = clock.WaitForWindow();
    POINT lit{};
    if (window && WaitUntil(10000, [&] { return SegmentPoint(window, lit); })) {
        WaitUntil(reference ? 15000 : 0, [&] {
            return CaptureWindow(window, image) && reference && image.pixels != reference->pixels;
        });
    }
    clock.Close();
    return image;
}

TEST(FacetInTheClock, TheStoredStyleDrawsTheSameTextWithOtherPixels) {
    ASSERT_TRUE(ClockWindows().empty()) << "a clock from elsewhere is running";
    StoreSettings(false);
    const WindowPixels segments = ClockImage();
    StoreSettings(true);
    const WindowPixels font = ClockImage(&segments);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);

    ASSERT_FALSE(segments.pixels.empty());
    ASSERT_EQ(font.width, segments.width) << "the style keeps the character cells";
    ASSERT_EQ(font.height, segments.height);
    size_t differing = 0;
    for (size_t i = 0; i < font.pixels.size(); ++i)
        differing += (font.pixels[i] & 0xFFFFFF) != (segments.pixels[i] & 0xFFFFFF);
    std::printf("pixels differing from the LED look: %zu of %zu\n", differing, font.pixels.size());
    EXPECT_GT(differing, font.pixels.size() / 50);
}

} // namespace
} // namespace zt::test
