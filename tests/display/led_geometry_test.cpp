#include <gtest/gtest.h>

#include <vector>

#include "display/led_geometry.h"

namespace zt::lcd {
namespace {

using Points = std::vector<SegmentPoint>;

Points PointsOf(const SegmentPolygon& polygon) {
    return Points(polygon.points.begin(), polygon.points.begin() + polygon.count);
}

struct Geometry {
    std::uint16_t thickness;
    std::uint16_t horzSize;
    std::uint16_t vertSize;

    std::uint16_t W() const { return GlyphWidth(thickness, horzSize); }
    std::uint16_t G() const { return GlyphHeight(thickness, vertSize); }
    SegmentPolygons Segments() const { return BuildSegments(thickness, W(), G()); }
};

constexpr Geometry kMainWindow{3, 10, 7};
constexpr Geometry kDefaults{2, 9, 7};

TEST(LedSizes, DefaultsGiveFifteenByTwentyFourGlyphInNineteenByTwentyEightCell) {
    EXPECT_EQ(kDefaults.W(), 15);
    EXPECT_EQ(kDefaults.G(), 24);
    EXPECT_EQ(CellWidth(2, kDefaults.W()), 19);
    EXPECT_EQ(CellHeight(2, kDefaults.G()), 28);
}

TEST(LedSizes, MainWindowSettingsGiveTwentyFiveByThirtyFiveCell) {
    EXPECT_EQ(kMainWindow.W(), 19);
    EXPECT_EQ(kMainWindow.G(), 29);
    EXPECT_EQ(CellWidth(3, kMainWindow.W()), 25);
    EXPECT_EQ(CellHeight(3, kMainWindow.G()), 35);
}

TEST(LedSizes, SumsWrapAtSixteenBits) {
    EXPECT_EQ(GlyphWidth(30000, 0), (3 * 30000) % 65536);
    EXPECT_EQ(GlyphWidth(0, 65535), 65535);
    EXPECT_EQ(GlyphWidth(1, 65535), 2); // 65538 wraps
    EXPECT_EQ(GlyphHeight(20000, 0), (5 * 20000) % 65536);
    EXPECT_EQ(GlyphHeight(0, 40000), (2 * 40000) % 65536);
    EXPECT_EQ(CellWidth(10, 65530), (65530 + 20) % 65536);
    EXPECT_EQ(CellHeight(1, 65535), 1);
}

TEST(LedSizes, ZeroSizesGiveAnEmptyGlyph) {
    EXPECT_EQ(GlyphWidth(0, 0), 0);
    EXPECT_EQ(GlyphHeight(0, 0), 0);
    EXPECT_EQ(CellWidth(0, 0), 0);
}

TEST(LedSegments, MainWindowTopBarCentreBlockDiagonalAndDot) {
    const SegmentPolygons s = kMainWindow.Segments();
    EXPECT_EQ(PointsOf(s[0]), (Points{{3, 0}, {2, 1}, {3, 3}, {15, 3}, {17, 1}, {16, 0}}));
    EXPECT_EQ(PointsOf(s[7]), (Points{{8, 16}, {8, 13}, {11, 13}, {11, 16}}));
    EXPECT_EQ(PointsOf(s[9]), (Points{{4, 6}, {4, 4}, {5, 4}, {7, 10}, {7, 12}, {6, 12}}));
    EXPECT_EQ(PointsOf(s[15]), (Points{{8, 29}, {8, 26}, {11, 26}, {11, 29}}));
}

// Defaults: T 2 (stroke 3), W 15, G 24; m 7, c 12, middle bar from y 11 to 14.
TEST(LedSegments, EvenThicknessUsesTheNextOddStroke) {
    const SegmentPolygons s = kDefaults.Segments();
    // The top bar is three pixels deep although the frame is two.
    EXPECT_EQ(PointsOf(s[0]), (Points{{3, 0}, {2, 1}, {3, 3}, {11, 3}, {13, 1}, {12, 0}}));
    EXPECT_EQ(PointsOf(s[7]), (Points{{6, 14}, {6, 11}, {9, 11}, {9, 14}}));
    EXPECT_EQ(PointsOf(s[15]), (Points{{6, 24}, {6, 21}, {9, 21}, {9, 24}}));
    // Upper centre vertical starts at T - b = 2 (b = 0 for even T).
    EXPECT_EQ(PointsOf(s[10]), (Points{{6, 4}, {7, 2}, {9, 4}, {9, 8}, {7, 11}, {6, 9}}));
    // Upper left vertical: its tip is at l = T - e - b = 1.
    EXPECT_EQ(PointsOf(s[1]), (Points{{0, 3}, {1, 1}, {3, 3}, {3, 10}, {1, 12}, {0, 10}}));
}

TEST(LedSegments, ThicknessFourStrokeFive) {
    // T 4, Horzsize 9, Vertsize 7: W 21, G 34, d 5, e 2, l 2, m 10, c 17, k 4.
    const Geometry g{4, 9, 7};
    ASSERT_EQ(g.W(), 21);
    ASSERT_EQ(g.G(), 34);
    const SegmentPolygons s = g.Segments();
    EXPECT_EQ(PointsOf(s[0]), (Points{{5, 0}, {3, 2}, {5, 5}, {15, 5}, {18, 2}, {16, 0}}));
    EXPECT_EQ(PointsOf(s[5]), (Points{{5, 34}, {3, 31}, {5, 29}, {16, 29}, {18, 31}, {14, 34}}));
    EXPECT_EQ(PointsOf(s[14]),
              (Points{{15, 25}, {15, 28}, {12, 28}, {14, 25}, {14, 21}, {17, 21}}));
}

TEST(LedSegments, DegenerateSizesDoNotFail) {
    const SegmentPolygons zero = BuildSegments(0, 0, 0);
    EXPECT_EQ(zero[7].count, 4);
    // Thickness 0 is even: stroke 1.
    EXPECT_EQ(PointsOf(zero[15]), (Points{{0, 0}, {0, -1}, {1, -1}, {1, 0}}));
    const SegmentPolygons huge = BuildSegments(65535, 65535, 65535);
    EXPECT_EQ(huge[0].points[0], (SegmentPoint{65535, 0}));
}

TEST(DarkenColor, LowersEveryChannel) {
    EXPECT_EQ(DarkenColor(0x008000, 80), 0x003000u);
    EXPECT_EQ(DarkenColor(0x00FF00, 80), 0x00AF00u);
    EXPECT_EQ(DarkenColor(0xC0A090, 0x10), 0xB09080u);
}

TEST(DarkenColor, ClampsEachChannelAtZero) {
    EXPECT_EQ(DarkenColor(0x102030, 0x25), 0x00000Bu);
    EXPECT_EQ(DarkenColor(0x000000, 80), 0u);
    EXPECT_EQ(DarkenColor(0xFFFFFF, 255), 0u);
    EXPECT_EQ(DarkenColor(0xFFFFFF, 0), 0xFFFFFFu);
}

} // namespace
} // namespace zt::lcd
