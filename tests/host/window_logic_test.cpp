// Click binding names, double clicks, screen edges and the text forms of settings.

#include <gtest/gtest.h>

#include "host/click_bindings.h"
#include "host/screen_edges.h"
#include "host/settings_text.h"

namespace zt {
namespace {

TEST(ClickBindings, NamesFollowPrefixButtonAndModifierOrder) {
    ModifierKeys all{true, true, true, true};
    EXPECT_EQ(ClickBindingName(false, false, ClickButton::Left, {}), L"ClickMainLeft");
    EXPECT_EQ(ClickBindingName(true, false, ClickButton::Right, {}), L"ClickTrayRights");
    EXPECT_EQ(ClickBindingName(false, true, ClickButton::Middle, all),
              L"ClickMainDblMiddleShiftCtrlAltWin");
    EXPECT_EQ(ClickBindingName(false, false, ClickButton::Other, {false, true, false, false}),
              L"ClickMainCtrl");
}

TEST(ClickBindings, TableLooksUpWithoutCaseAndKeepsDesignRows) {
    BindingTable table = BindingTable::Defaults();
    ASSERT_EQ(table.Rows().size(), 4u);
    ASSERT_NE(table.Find(L"clickmainleft"), nullptr);
    EXPECT_EQ(*table.Find(L"ClickMainLeft"), L"pm_TalkTime");
    EXPECT_EQ(table.Find(L"ClickMainRights"), nullptr);
    table.SetLines({L"A=x y=z", L"NoValue", L"=empty name"});
    EXPECT_EQ(*table.Find(L"a"), L"x y=z");
    EXPECT_EQ(*table.Find(L"NOVALUE"), L"");
    EXPECT_EQ(table.ToLines().back(), L"=empty name");
}

TEST(ClickBindings, DoubleClickNeedsTwoClicksWithinTheTime) {
    DoubleClickTracker tracker;
    EXPECT_FALSE(tracker.IsSecondClick(10000, 500));
    EXPECT_TRUE(tracker.IsSecondClick(10400, 500));
    // Without a double-click binding the first click stays the reference.
    EXPECT_TRUE(tracker.IsSecondClick(10500, 500));
    EXPECT_FALSE(tracker.IsSecondClick(10501, 500));
    tracker.Consumed();
    EXPECT_FALSE(tracker.IsSecondClick(10600, 500)) << "a used double click starts a new pair";
    // The tick count wraps.
    DoubleClickTracker wrapping;
    EXPECT_FALSE(wrapping.IsSecondClick(0xFFFFFF00u, 500));
    EXPECT_TRUE(wrapping.IsSecondClick(0x00000010u, 500));
}

TEST(ClickBindings, CommandLineSplitsAtTheFirstBlankOnly) {
    EXPECT_EQ(SplitCommandName(L"zt_CloseZentik"),
              std::make_pair(std::wstring(L"zt_CloseZentik"), std::wstring()));
    EXPECT_EQ(SplitCommandName(L"ZT_Run  a b").second, L" a b");
    EXPECT_EQ(SplitCommandName(L" lead").first, L"");
}

TEST(ScreenEdges, FlagsAndGluing) {
    const ScreenRect area{0, 0, 1280, 1000};
    EXPECT_EQ(ComputeEdgeFlags(area, 1280 - 129 - 3, 1000 - 39 - 2, 129, 39, 10),
              kEdgeRight | kEdgeBottom);
    EXPECT_EQ(ComputeEdgeFlags(area, 5, 9, 129, 39, 10), kEdgeLeft | kEdgeTop);
    EXPECT_EQ(ComputeEdgeFlags(area, 10, 10, 129, 39, 10), 0) << "the distance is exclusive";
    // A clock glued bottom-right stays in the corner when its text widens.
    int left = 1280 - 129, top = 1000 - 39;
    ApplyEdgeFlags(kEdgeRight | kEdgeBottom, area, left, top, 204, 39);
    EXPECT_EQ(left, 1280 - 204);
    EXPECT_EQ(top, 1000 - 39);
    // Left and top flags do not move the window.
    left = 7;
    top = 8;
    ApplyEdgeFlags(kEdgeLeft | kEdgeTop, area, left, top, 204, 39);
    EXPECT_EQ(left, 7);
    EXPECT_EQ(top, 8);
}

TEST(ScreenEdges, AMoveNearAnEdgeLandsOnIt) {
    const ScreenRect area{0, 40, 1280, 1000};
    int left = 5, top = 45; // 5 pixels from the left and top edges
    SnapToEdges(area, left, top, 129, 39, 10);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 40);
    left = 1280 - 129 - 9;
    top = 1000 - 39 + 9; // past the bottom edge, still within the distance
    SnapToEdges(area, left, top, 129, 39, 10);
    EXPECT_EQ(left, 1280 - 129);
    EXPECT_EQ(top, 1000 - 39);
    left = 10;
    top = 50; // exactly the distance away: not glued
    SnapToEdges(area, left, top, 129, 39, 10);
    EXPECT_EQ(left, 10);
    EXPECT_EQ(top, 50);
    // A window nearly as wide as the area: the right edge wins.
    left = 3;
    top = 500;
    SnapToEdges(area, left, top, 1275, 39, 10);
    EXPECT_EQ(left, 1280 - 1275);
}

TEST(ScreenEdges, WindowsOffTheWorkAreaComeBack) {
    const ScreenRect area{0, 0, 1280, 1000};
    int left = 3000, top = -500;
    PullIntoArea(area, left, top, 129, 39);
    EXPECT_EQ(left, 1280 - 129);
    EXPECT_EQ(top, 0);
    left = 1200;
    top = 990; // partly visible: left alone
    PullIntoArea(area, left, top, 129, 39);
    EXPECT_EQ(left, 1200);
    EXPECT_EQ(top, 990);
}

TEST(ScreenEdges, RollIntoTheFirstGluedEdge) {
    EXPECT_EQ(RollAnimationFlags(kEdgeBottom | kEdgeRight, true, false),
              kAwVerPositive | kAwHide | kAwSlide);
    EXPECT_EQ(RollAnimationFlags(kEdgeBottom | kEdgeRight, false, false),
              kAwVerNegative | kAwSlide);
    EXPECT_EQ(RollAnimationFlags(kEdgeTop | kEdgeBottom, true, true), kAwVerNegative | kAwHide);
    EXPECT_EQ(RollAnimationFlags(kEdgeLeft, false, false), kAwHorPositive | kAwSlide);
    EXPECT_EQ(RollAnimationFlags(0, true, true), kAwCenter | kAwHide);
}

TEST(SettingsText, BooleansNumbersAndPositions) {
    EXPECT_EQ(ParseBool(L" true "), true);
    EXPECT_EQ(ParseBool(L"FALSE"), false);
    EXPECT_FALSE(ParseBool(L"1").has_value());
    EXPECT_EQ(ParseInteger(L" -12 ", -100, 100), -12);
    EXPECT_FALSE(ParseInteger(L"abc", 0, 255).has_value());
    EXPECT_FALSE(ParseInteger(L"300", 0, 255).has_value());
    EXPECT_FALSE(ParseInteger(L"99999999999999999999999", 0, 255).has_value());
    EXPECT_FALSE(ParseInteger(L"-", 0, 255).has_value());
    std::array<int, 4> rect{1, 2, 3, 4};
    EXPECT_TRUE(ParseFourIntegers(L"10,20,x", rect));
    EXPECT_EQ(rect, (std::array<int, 4>{10, 20, 3, 4}));
    EXPECT_FALSE(ParseFourIntegers(L"", rect));
    EXPECT_EQ(FourIntegersText({-1, 0, 200, 300}), L"-1,0,200,300");
    EXPECT_EQ(ScreenSizeSuffix(1280, 1024), L"(1280x1024)");
    EXPECT_EQ(TrimText(L"  hh:mm:ss \t"), L"hh:mm:ss");
}

} // namespace
} // namespace zt
