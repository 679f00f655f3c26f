#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "display/led_renderer.h"
#include "display_test_support.h"

namespace zt {
namespace {

using testing::Canvas;

constexpr COLORREF kLit = RGB(255, 0, 0);
constexpr COLORREF kUnlit = RGB(0, 200, 0);
constexpr COLORREF kUnlitDark = RGB(0, 120, 0); // kUnlit darkened by 80
constexpr COLORREF kBack = RGB(0, 0, 255);
constexpr COLORREF kOutside = RGB(255, 255, 255);

struct RecordingOwner final : LedOwner {
    std::vector<std::string> events;
    IUnknown* panel = nullptr;
    void LedColorsChanged() override { events.push_back("colors"); }
    void LedGeometryChanged() override { events.push_back("geometry"); }
    IUnknown* LedPanel() override { return panel; }
};

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || ::GetObjectW(bitmap, sizeof(info), &info) == 0)
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

// The main window's geometry (W 19, G 29, cell 25 x 35) in explicit colours.
void UseMainGeometry(TztLED& led) {
    led.SetThickness(3);
    led.SetHorzsize(10);
    led.SetVertsize(7);
    led.SetActiveColor(kLit);
    led.SetInActiveColor(kUnlit);
    led.SetColor(kBack);
}

bool IsUnlit(COLORREF c) {
    return c == kUnlit || c == kUnlitDark;
}

// Draws cell 1 of a row starting at (4, 6): the cell covers x 29..53, y 6..40 and
// its glyph starts at (32, 9).
class RendererPixels : public ::testing::Test {
protected:
    static constexpr int kX0 = 4 + 25;
    static constexpr int kY0 = 6;
    static constexpr int kGx = kX0 + 3;
    static constexpr int kGy = kY0 + 3;

    RendererPixels() : led(&owner), canvas(80, 50, kOutside) { UseMainGeometry(led); }

    void Draw(std::uint16_t code) { led.DrawChar(canvas.dc(), 1, code, 4, 6); }
    COLORREF Glyph(int x, int y) const { return canvas.Pixel(kGx + x, kGy + y); }
    int LitPixels() const { return canvas.Count(0, 0, canvas.width(), canvas.height(), kLit); }

    RecordingOwner owner;
    TztLED led;
    Canvas canvas;
};

TEST(LedRenderer, NewRendererHasDefaultsAndRunsColorsChangedOnly) {
    RecordingOwner owner;
    TztLED led(&owner);
    EXPECT_EQ(led.GetHorzsize(), 9);
    EXPECT_EQ(led.GetVertsize(), 7);
    EXPECT_EQ(led.GetThickness(), 2);
    EXPECT_EQ(led.GetActiveColor(), 0x00FF00);
    EXPECT_EQ(led.GetInActiveColor(), 0x008000);
    EXPECT_EQ(led.GetColor(), 0);
    EXPECT_EQ(led.GlyphWidth(), 15);
    EXPECT_EQ(led.GlyphHeight(), 24);
    EXPECT_EQ(led.CellWidth(), 19);
    EXPECT_EQ(led.CellHeight(), 28);
    const SIZE glyph = BitmapSize(led.GlyphBitmap());
    EXPECT_EQ(glyph.cx, 15);
    EXPECT_EQ(glyph.cy, 24);
    EXPECT_EQ(owner.events, (std::vector<std::string>{"colors"}));
    EXPECT_EQ(led.GetDrawHook(), nullptr);
}

TEST(LedRenderer, SettersActOnlyOnChange) {
    RecordingOwner owner;
    TztLED led(&owner);
    owner.events.clear();
    led.SetHorzsize(9);
    led.SetVertsize(7);
    led.SetThickness(2);
    led.SetActiveColor(0x00FF00);
    led.SetInActiveColor(0x008000);
    led.SetColor(0);
    EXPECT_TRUE(owner.events.empty());

    led.SetSize(TztLED::kHorzsize, 10);
    EXPECT_EQ(owner.events, (std::vector<std::string>{"geometry"}));
    EXPECT_EQ(BitmapSize(led.GlyphBitmap()).cx, 16);
    led.SetColorValue(TztLED::kInActiveColor, 0x123456);
    EXPECT_EQ(owner.events, (std::vector<std::string>{"geometry", "colors"}));
    EXPECT_EQ(led.GetColorValue(TztLED::kInActiveColor), 0x123456);
    led.SetSize(TztLED::kVertsize, 8);
    led.SetSize(TztLED::kThickness, 3);
    EXPECT_EQ(led.GlyphHeight(), 2 * 8 + 5 * 3);
    EXPECT_EQ(led.GlyphWidth(), 3 * 3 + 10);
    EXPECT_EQ(owner.events.size(), 4u);
}

TEST(LedRenderer, AssignToCopiesAllSixAndRebuildsGeometryThenColours) {
    TztLED source(nullptr);
    UseMainGeometry(source);
    RecordingOwner owner;
    TztLED target(&owner);
    owner.events.clear();
    source.AssignTo(target);
    EXPECT_EQ(target.GetThickness(), 3);
    EXPECT_EQ(target.GetHorzsize(), 10);
    EXPECT_EQ(target.GetVertsize(), 7);
    EXPECT_EQ(target.GetActiveColor(), static_cast<ZT_COLOR>(kLit));
    EXPECT_EQ(target.GetInActiveColor(), static_cast<ZT_COLOR>(kUnlit));
    EXPECT_EQ(target.GetColor(), static_cast<ZT_COLOR>(kBack));
    EXPECT_EQ(owner.events, (std::vector<std::string>{"geometry", "colors"}));
    const SIZE glyph = BitmapSize(target.GlyphBitmap());
    EXPECT_EQ(glyph.cx, 19);
    EXPECT_EQ(glyph.cy, 29);
}

TEST(LedRenderer, SystemColoursAreResolvedWhenBrushesAreBuilt) {
    EXPECT_EQ(ResolveColor(static_cast<ZT_COLOR>(0xFF000010)), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(ResolveColor(static_cast<ZT_COLOR>(0xFF000006)), ::GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(ResolveColor(0x123456), 0x123456u);

    TztLED led(nullptr);
    UseMainGeometry(led);
    led.SetColor(static_cast<ZT_COLOR>(0xFF00000F));       // clBtnFace
    led.SetActiveColor(static_cast<ZT_COLOR>(0xFF000014)); // clBtnHighlight
    Canvas canvas(30, 40, kOutside);
    led.DrawChar(canvas.dc(), 0, 0x0080, 0, 0);
    EXPECT_EQ(canvas.Pixel(0, 0), ::GetSysColor(COLOR_BTNFACE));               // frame
    EXPECT_EQ(canvas.Pixel(3 + 9, 3 + 14), ::GetSysColor(COLOR_BTNHIGHLIGHT)); // centre block
}

TEST_F(RendererPixels, FrameInColorAroundTheCellAndNothingOutside) {
    Draw(0x01FF);
    // Three-pixel frame on every side of the 25 x 35 cell.
    EXPECT_TRUE(canvas.AreaIs(kX0, kY0, kX0 + 25, kY0 + 3, kBack));
    EXPECT_TRUE(canvas.AreaIs(kX0, kY0 + 32, kX0 + 25, kY0 + 35, kBack));
    EXPECT_TRUE(canvas.AreaIs(kX0, kY0, kX0 + 3, kY0 + 35, kBack));
    EXPECT_TRUE(canvas.AreaIs(kX0 + 22, kY0, kX0 + 25, kY0 + 35, kBack));
    // Untouched around it.
    EXPECT_TRUE(canvas.AreaIs(0, 0, kX0, canvas.height(), kOutside));
    EXPECT_TRUE(canvas.AreaIs(kX0 + 25, 0, canvas.width(), canvas.height(), kOutside));
    EXPECT_TRUE(canvas.AreaIs(0, 0, canvas.width(), kY0, kOutside));
    EXPECT_TRUE(canvas.AreaIs(0, kY0 + 35, canvas.width(), canvas.height(), kOutside));
    // Glyph corner outside every polygon keeps the background.
    EXPECT_EQ(Glyph(0, 0), kBack);
}

TEST_F(RendererPixels, CodeZeroDrawsEverySegmentUnlitInACheckerAlignedToTheGlyph) {
    Draw(0);
    EXPECT_EQ(LitPixels(), 0);
    // Top bar and centre block: (x + y) even is the unlit colour, odd its dark form.
    EXPECT_EQ(Glyph(9, 1), kUnlit);
    EXPECT_EQ(Glyph(10, 1), kUnlitDark);
    EXPECT_EQ(Glyph(9, 14), kUnlitDark);
    EXPECT_EQ(Glyph(10, 14), kUnlit);
    EXPECT_EQ(Glyph(9, 27), kUnlit); // the dot's place, inside the unlit bottom bar
    // Every glyph pixel is unlit or background.
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 19; ++x)
            EXPECT_TRUE(IsUnlit(Glyph(x, y)) || Glyph(x, y) == kBack) << x << "," << y;
}

TEST_F(RendererPixels, DotIsLitInsideTheBottomBarWhichMayBeUnlit) {
    Draw(0x8000);
    EXPECT_EQ(Glyph(9, 27), kLit);
    EXPECT_TRUE(canvas.AreaIs(kGx + 8, kGy + 26, kGx + 11, kGy + 29, kLit));
    EXPECT_EQ(LitPixels(), 9); // the 3 x 3 block only
    EXPECT_TRUE(IsUnlit(Glyph(5, 27)));
    // With the bottom bar the whole bar is lit.
    Draw(0x8020);
    EXPECT_EQ(Glyph(5, 27), kLit);
    EXPECT_EQ(Glyph(9, 27), kLit);
    EXPECT_TRUE(IsUnlit(Glyph(9, 14)));
}

TEST_F(RendererPixels, EvenThicknessDrawsThreePixelStrokesInATwoPixelFrame) {
    led.SetThickness(2);
    led.SetHorzsize(9); // defaults: W 15, G 24, cell 19 x 28
    const int x0 = 4 + 19;
    led.DrawChar(canvas.dc(), 1, 0x0001, 4, 6);
    EXPECT_TRUE(canvas.AreaIs(x0, kY0, x0 + 19, kY0 + 2, kBack));
    EXPECT_EQ(canvas.Pixel(x0 + 19, kY0), kOutside);
    // Top bar rows 0..2 of the glyph at (x0 + 2, y0 + 2).
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(canvas.Pixel(x0 + 2 + 7, kY0 + 2 + y), kLit) << y;
    EXPECT_EQ(canvas.Pixel(x0 + 2 + 4, kY0 + 2 + 3), kBack);
}

// A draw hook that paints the whole glyph and records its arguments.
struct HookCall {
    IUnknown* panel;
    WORD index;
    WORD code;
    HBITMAP glyph;
};
std::vector<HookCall> g_hookCalls;
constexpr COLORREF kHookColor = RGB(10, 20, 30);

void STDMETHODCALLTYPE PaintingHook(IUnknown* panel, WORD index, WORD code, HBITMAP glyph) {
    g_hookCalls.push_back({panel, index, code, glyph});
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.get(), glyph);
    UniqueBrush brush(::CreateSolidBrush(kHookColor));
    const SIZE size = BitmapSize(glyph);
    const RECT all{0, 0, size.cx, size.cy};
    ::FillRect(dc.get(), &all, brush.get());
}

TEST_F(RendererPixels, DrawHookPaintsTheGlyphAndTheFrameIsStillDrawn) {
    IUnknown* const fakePanel = reinterpret_cast<IUnknown*>(&owner);
    owner.panel = fakePanel;
    g_hookCalls.clear();
    led.SetDrawHook(PaintingHook);
    Draw(0x1234);
    ASSERT_EQ(g_hookCalls.size(), 1u);
    EXPECT_EQ(g_hookCalls[0].panel, fakePanel);
    EXPECT_EQ(g_hookCalls[0].index, 1);
    EXPECT_EQ(g_hookCalls[0].code, 0x1234);
    EXPECT_EQ(g_hookCalls[0].glyph, led.GlyphBitmap());
    EXPECT_TRUE(canvas.AreaIs(kGx, kGy, kGx + 19, kGy + 29, kHookColor));
    EXPECT_TRUE(canvas.AreaIs(kX0, kY0, kX0 + 25, kY0 + 3, kBack));
    EXPECT_TRUE(canvas.AreaIs(kX0 + 22, kY0, kX0 + 25, kY0 + 35, kBack));
    EXPECT_EQ(LitPixels(), 0);
}

TEST_F(RendererPixels, GlyphIsNotClearedBetweenCharactersOnlyByARebuild) {
    led.SetDrawHook(PaintingHook);
    Draw(0);
    led.SetDrawHook(nullptr);
    Draw(0x0080);
    // Outside the polygons the hook's paint remains; the segments are redrawn.
    EXPECT_EQ(Glyph(0, 0), kHookColor);
    EXPECT_EQ(Glyph(9, 14), kLit);
    led.ColorsChanged();
    Draw(0x0080);
    EXPECT_EQ(Glyph(0, 0), kBack);
}

TEST_F(RendererPixels, ZeroSizesDrawNothing) {
    led.SetThickness(0);
    led.SetHorzsize(0);
    led.SetVertsize(0);
    EXPECT_EQ(led.GlyphBitmap(), nullptr);
    EXPECT_EQ(led.CellWidth(), 0);
    Draw(0xFFFF);
    EXPECT_TRUE(canvas.AreaIs(0, 0, canvas.width(), canvas.height(), kOutside));
    // Growing again gives a working glyph.
    led.SetThickness(3);
    led.SetHorzsize(10);
    led.SetVertsize(7);
    Draw(0x0080);
    EXPECT_EQ(Glyph(9, 14), kLit);
}

TEST(LedRendererResources, RebuildingAndDrawingLeakNoGdiObject) {
    Canvas canvas(200, 60, kOutside);
    {
        TztLED warmUp(nullptr);
        warmUp.DrawChar(canvas.dc(), 0, 0xFFFF, 0, 0);
    }
    const int before = testing::PenHeadroom();
    {
        TztLED led(nullptr);
        for (int i = 0; i < 1000; ++i) {
            led.SetActiveColor(i % 2 ? kLit : kUnlit);
            led.SetHorzsize(static_cast<std::uint16_t>(8 + i % 3));
            led.DrawChar(canvas.dc(), static_cast<std::uint16_t>(i % 5),
                         static_cast<std::uint16_t>(i * 37), 0, 0);
        }
        for (int i = 0; i < 100; ++i)
            TztLED temporary(nullptr);
    }
    const int after = testing::PenHeadroom();
    std::cout << "[renderer] pen headroom before " << before << ", after " << after << "\n";
    ::testing::Test::RecordProperty("PenHeadroomBefore", before);
    ::testing::Test::RecordProperty("PenHeadroomAfter", after);
    EXPECT_GT(before, 1000);
    EXPECT_EQ(before, after);
}

} // namespace
} // namespace zt
