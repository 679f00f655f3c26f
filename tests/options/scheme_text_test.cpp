// Colours as text and colour-scheme texts, as the options dialog stores them.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "api/api_text.h"
#include "options/color_text.h"
#include "options/scheme_text.h"

namespace zt::options {
namespace {

constexpr std::int32_t SystemColor(std::uint32_t index) {
    return static_cast<std::int32_t>(kSystemColorFlag | index);
}

TEST(ColorText, NamesTheStandardAndSystemColoursAndWritesOthersInHex) {
    EXPECT_EQ(ColorToText(0x000000), L"clBlack");
    EXPECT_EQ(ColorToText(0x0000FF), L"clRed");
    EXPECT_EQ(ColorToText(0xC0DCC0), L"clMoneyGreen");
    EXPECT_EQ(ColorToText(SystemColor(20)), L"clBtnHighlight");
    EXPECT_EQ(ColorToText(SystemColor(16)), L"clBtnShadow");
    EXPECT_EQ(ColorToText(SystemColor(6)), L"clWindowFrame");
    EXPECT_EQ(ColorToText(SystemColor(15)), L"clBtnFace");
    EXPECT_EQ(ColorToText(SystemColor(30)), L"clMenuBar");
    // Blue 0x12, green 0x34, red 0x56.
    EXPECT_EQ(ColorToText(0x123456), L"$00123456");
    EXPECT_EQ(ColorToText(0x00ABCDEF), L"$00ABCDEF");
    // A system index without a name.
    EXPECT_EQ(ColorToText(SystemColor(25)), L"$FF000019");
}

TEST(ColorText, EveryColourReadsBackAsWritten) {
    for (std::uint32_t index = 0; index <= 31; ++index) {
        const std::int32_t color = SystemColor(index);
        EXPECT_EQ(TextToColor(ColorToText(color)), color) << ColorToText(color);
    }
    for (const std::int32_t color :
         {0x000000, 0xFFFFFF, 0x808080, 0x010203, 0x00F0FBFF, 0x1FFFFFFF, 0x20000000, 0x7FFFFFFF}) {
        EXPECT_EQ(TextToColor(ColorToText(color)), color) << ColorToText(color);
    }
}

TEST(ColorText, ReadsNamesInAnyCaseHexAndDecimal) {
    EXPECT_EQ(TextToColor(L"clbtnhighlight"), SystemColor(20));
    EXPECT_EQ(TextToColor(L"  CLRED "), 0x0000FF);
    EXPECT_EQ(TextToColor(L"$FF"), 0xFF);
    EXPECT_EQ(TextToColor(L"$ff000010"), SystemColor(16));
    EXPECT_EQ(TextToColor(L"0x00102030"), 0x102030);
    // The registry keeps colours in decimal, system colours as negative numbers.
    EXPECT_EQ(TextToColor(L"-16777201"), SystemColor(15));
    EXPECT_EQ(TextToColor(L"5570560"), 0x550000);
}

TEST(ColorText, RejectsWhatIsNoColour) {
    for (const wchar_t* bad :
         {L"", L"   ", L"clNoSuchColour", L"$", L"$123456789", L"$12G4", L"0x", L"12a", L"--1",
          L"-", L"4294967296", L"2147483648", L"-2147483649", L"cl Red"}) {
        EXPECT_FALSE(TextToColor(bad).has_value()) << "\"" << bad << "\"";
    }
    EXPECT_EQ(TextToColor(L"-2147483648"), INT32_MIN);
}

TEST(SchemeText, ComposesEveryItemInOrderWithoutATrailingSeparator) {
    Scheme scheme;
    scheme.active = SystemColor(20);
    scheme.inactive = SystemColor(16);
    scheme.background = 0x123456;
    scheme.border = 0x0000FF;
    scheme.height = 7;
    scheme.width = 10;
    scheme.thickness = 3;
    scheme.borderWidth = 2;
    scheme.alpha = 200;
    scheme.showBorder = true;
    EXPECT_EQ(ComposeScheme(scheme), L"A=clBtnHighlight;B=clBtnShadow;F=$00123456;G=clRed;"
                                     L"H=7;W=10;Th=3;Br=2;Alpha=200;Tr=-1");
    scheme.showBorder = false;
    EXPECT_EQ(ComposeScheme(scheme).substr(ComposeScheme(scheme).size() - 5), L";Tr=0");
}

SchemeItems Read(const std::wstring& text) {
    return ReadScheme([&text](const wchar_t* key) { return GetParam(key, text); });
}

TEST(SchemeText, AComposedSchemeReadsBackThroughGetParam) {
    Scheme scheme;
    scheme.active = 0x00FF00;
    scheme.inactive = 0x004000;
    scheme.background = SystemColor(6);
    scheme.border = 0x00ABCDEF;
    scheme.height = 12;
    scheme.width = 9;
    scheme.thickness = 4;
    scheme.borderWidth = 0;
    scheme.alpha = 128;
    scheme.showBorder = false;
    const SchemeItems items = Read(ComposeScheme(scheme));
    EXPECT_EQ(items.active, scheme.active);
    EXPECT_EQ(items.inactive, scheme.inactive);
    EXPECT_EQ(items.background, scheme.background);
    EXPECT_EQ(items.border, scheme.border);
    EXPECT_EQ(items.height, 12);
    EXPECT_EQ(items.width, 9);
    EXPECT_EQ(items.thickness, 4);
    EXPECT_EQ(items.borderWidth, 0);
    EXPECT_EQ(items.alpha, 128);
    EXPECT_EQ(items.showBorder, false);
}

TEST(SchemeText, MissingAndBadItemsStayEmpty) {
    // "H" is not found inside "Th", nor "A" inside "Alpha".
    const SchemeItems partial = Read(L"Th=3;Alpha=90;B=clSkyBlue");
    EXPECT_FALSE(partial.active);
    EXPECT_EQ(partial.inactive, 0xF0CAA6);
    EXPECT_FALSE(partial.height);
    EXPECT_EQ(partial.thickness, 3);
    EXPECT_EQ(partial.alpha, 90);
    EXPECT_FALSE(partial.showBorder) << "no Tr=: the show-border flag is left alone";

    const SchemeItems bad = Read(L"A=clNothing;H=-1;W=tall;Br=70000;Alpha=256;Tr=yes");
    EXPECT_FALSE(bad.active);
    EXPECT_FALSE(bad.height);
    EXPECT_FALSE(bad.width);
    EXPECT_FALSE(bad.borderWidth);
    EXPECT_FALSE(bad.alpha);
    EXPECT_FALSE(bad.showBorder);

    const SchemeItems empty = Read(L"");
    EXPECT_FALSE(empty.active || empty.inactive || empty.background || empty.border ||
                 empty.height || empty.width || empty.thickness || empty.borderWidth ||
                 empty.alpha || empty.showBorder);
}

TEST(SchemeText, TheSystemColourSchemeOfTheLanguageFilesReads) {
    const SchemeItems items = Read(L"A=clBtnHighlight;B=clBtnShadow;F=clWindowFrame;G=clBtnFace;"
                                   L"H=7;W=10;Th=3;Br=2;Alpha=255;Tr=-1");
    EXPECT_EQ(items.active, SystemColor(20));
    EXPECT_EQ(items.inactive, SystemColor(16));
    EXPECT_EQ(items.background, SystemColor(6));
    EXPECT_EQ(items.border, SystemColor(15));
    EXPECT_EQ(items.height, 7);
    EXPECT_EQ(items.width, 10);
    EXPECT_EQ(items.alpha, 255);
    EXPECT_EQ(items.showBorder, true);
}

} // namespace
} // namespace zt::options
