// The bindings page's table text and the names the new-binding panel composes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/binding_rows.h"

namespace zt::options {
namespace {

TEST(NewBindingName, ClicksSpellSourceDoubleButtonAndModifiersInOrder) {
    NewBinding tray;
    tray.source = BindingSource::TrayClick;
    tray.doubleClick = true;
    tray.button = ClickButton::Right;
    tray.keys.ctrl = true;
    tray.keys.win = true;
    EXPECT_EQ(NewBindingName(tray), L"ClickTrayDblRightsCtrlWin");

    NewBinding clock;
    clock.button = ClickButton::Middle;
    clock.keys = {true, true, true, true};
    EXPECT_EQ(NewBindingName(clock), L"ClickMainMiddleShiftCtrlAltWin");
    EXPECT_EQ(NewBindingName(NewBinding{}), L"ClickMainLeft");
}

TEST(NewBindingName, HotKeysAreThePrefixAndTheFieldsTextAlone) {
    NewBinding hotKey;
    hotKey.source = BindingSource::HotKey;
    // What the click options say does not count for a hot key.
    hotKey.doubleClick = true;
    hotKey.button = ClickButton::Right;
    hotKey.keys.shift = true;
    hotKey.hotKeyText = L"CtrlAltT";
    EXPECT_EQ(NewBindingName(hotKey), L"HotKey_CtrlAltT");
    hotKey.hotKeyText.clear();
    EXPECT_EQ(NewBindingName(hotKey), L"HotKey_");
}

TEST(BindingRows, SplitAtTheFirstEqualsSignAndSkipEmptyLines) {
    const std::vector<BindingEntry> rows = ParseBindingRows(
        L"ClickMainLeft=pm_TalkTime\r\n\r\nHotKey_F5=ZT_ShowMessage Text=a=b;\r\nNoCommand\n"
        L"ClickTrayLeft=\rLast=zt_CloseZentik");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].name, L"ClickMainLeft");
    EXPECT_EQ(rows[0].command, L"pm_TalkTime");
    EXPECT_EQ(rows[1].name, L"HotKey_F5");
    EXPECT_EQ(rows[1].command, L"ZT_ShowMessage Text=a=b;");
    EXPECT_EQ(rows[2].name, L"NoCommand");
    EXPECT_EQ(rows[2].command, L"");
    EXPECT_EQ(rows[3].name, L"ClickTrayLeft");
    EXPECT_EQ(rows[3].command, L"");
    EXPECT_EQ(rows[4].command, L"zt_CloseZentik");

    EXPECT_EQ(JoinBindingRows(rows),
              L"ClickMainLeft=pm_TalkTime\r\nHotKey_F5=ZT_ShowMessage Text=a=b;\r\nNoCommand=\r\n"
              L"ClickTrayLeft=\r\nLast=zt_CloseZentik\r\n");
    EXPECT_TRUE(ParseBindingRows(L"").empty());
}

} // namespace
} // namespace zt::options
