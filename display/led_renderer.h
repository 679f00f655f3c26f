#pragma once
// TztLED: draws one LCD character cell (fifteen segments and a dot) from a 16-bit
// segment code. Sizes come from Horzsize, Vertsize and Thickness; colours from
// ActiveColor (lit), InActiveColor (unlit, drawn as a checkerboard with its darkened
// form) and Color (frame and glyph background). Colours are ZT_COLOR values: RGB or a
// system colour (0xFF0000nn), resolved with GetSysColor whenever brushes are built.
//
// Every character is composed in an off-screen glyph bitmap of W x G pixels and copied
// into the target, surrounded by a frame of Thickness pixels. GUI thread only.

#include <windows.h>

#include <array>
#include <cstdint>

#include "common/handles.h"
#include "common/system_color.h" // ResolveColor, for the renderer's users
#include "display/led_geometry.h"
#include "zentik/ztZentikInterface.h"

namespace zt {

// What the renderer tells the control that owns it.
class LedOwner {
public:
    virtual void LedColorsChanged() = 0;
    virtual void LedGeometryChanged() = 0;
    // The panel handed to the draw hook; null when there is none.
    virtual IUnknown* LedPanel() = 0;

protected:
    ~LedOwner() = default;
};

class TztLED {
public:
    // Indexes of the two shared setters.
    enum SizeIndex { kHorzsize = 0, kVertsize = 1, kThickness = 2 };
    enum ColorIndex { kActiveColor = 0, kInActiveColor = 1, kColor = 2 };

    static constexpr ZT_COLOR kDefaultActiveColor = 0x00FF00;
    static constexpr ZT_COLOR kDefaultInActiveColor = 0x008000;
    static constexpr ZT_COLOR kDefaultColor = 0;
    static constexpr std::uint16_t kDefaultHorzsize = 9;
    static constexpr std::uint16_t kDefaultVertsize = 7;
    static constexpr std::uint16_t kDefaultThickness = 2;

    // Defaults, polygons, glyph bitmap and brushes; owner (may be null) is notified
    // of the colours change this runs.
    explicit TztLED(LedOwner* owner);
    virtual ~TztLED();
    TztLED(const TztLED&) = delete;
    TztLED& operator=(const TztLED&) = delete;

    // Copies the six settings into target, then runs its GeometryChanged and its
    // ColorsChanged.
    void AssignTo(TztLED& target) const;

    // Recomputes W and G, refills the glyph bitmap, rebuilds the polygons and
    // notifies the owner.
    virtual void GeometryChanged();
    // Rebuilds the brushes from the current colours (system colours resolved now),
    // refills the glyph bitmap and notifies the owner.
    virtual void ColorsChanged();

    // Each setter does nothing when the value is unchanged.
    void SetSize(SizeIndex index, std::uint16_t value);
    std::uint16_t GetSize(SizeIndex index) const;
    void SetColorValue(ColorIndex index, ZT_COLOR value);
    ZT_COLOR GetColorValue(ColorIndex index) const;

    std::uint16_t GetHorzsize() const { return sizes_[kHorzsize]; }
    void SetHorzsize(std::uint16_t value) { SetSize(kHorzsize, value); }
    std::uint16_t GetVertsize() const { return sizes_[kVertsize]; }
    void SetVertsize(std::uint16_t value) { SetSize(kVertsize, value); }
    std::uint16_t GetThickness() const { return sizes_[kThickness]; }
    void SetThickness(std::uint16_t value) { SetSize(kThickness, value); }
    ZT_COLOR GetActiveColor() const { return colors_[kActiveColor]; }
    void SetActiveColor(ZT_COLOR value) { SetColorValue(kActiveColor, value); }
    ZT_COLOR GetInActiveColor() const { return colors_[kInActiveColor]; }
    void SetInActiveColor(ZT_COLOR value) { SetColorValue(kInActiveColor, value); }
    ZT_COLOR GetColor() const { return colors_[kColor]; }
    void SetColor(ZT_COLOR value) { SetColorValue(kColor, value); }

    // Derived sizes as of the last GeometryChanged (or construction).
    std::uint16_t GlyphWidth() const { return glyphWidth_; }
    std::uint16_t GlyphHeight() const { return glyphHeight_; }
    std::uint16_t CellWidth() const;
    std::uint16_t CellHeight() const;
    const lcd::SegmentPolygons& Polygons() const { return polygons_; }

    // Draws cell number index of a row whose first cell starts at (left, top): the
    // frame in Color and the glyph at (x0 + T, y0 + T), x0 = left + cell width * index.
    // With a draw hook installed the hook paints the glyph bitmap instead of the
    // segments. Allocates nothing.
    void DrawChar(HDC target, std::uint16_t index, std::uint16_t code, std::uint16_t left,
                  std::uint16_t top);

    // Replacing the hook does not repaint.
    ZT_DRAW_HOOK GetDrawHook() const { return drawHook_; }
    void SetDrawHook(ZT_DRAW_HOOK hook) { drawHook_ = hook; }

    // The glyph bitmap (null while W or G is 0 or too large to allocate). It is not
    // selected into any DC outside DrawChar, so a hook may select it into its own.
    HBITMAP GlyphBitmap() const { return glyph_.get(); }

private:
    void ResizeAndFillGlyph();
    void BuildPolygons();
    void DrawSegment(HDC dc, int index, bool lit);
    UniqueBrush MakePatternBrush(COLORREF even, COLORREF odd);

    LedOwner* owner_;
    std::array<std::uint16_t, 3> sizes_{kDefaultHorzsize, kDefaultVertsize, kDefaultThickness};
    std::array<ZT_COLOR, 3> colors_{kDefaultActiveColor, kDefaultInActiveColor, kDefaultColor};
    std::uint16_t glyphWidth_ = 0;
    std::uint16_t glyphHeight_ = 0;
    lcd::SegmentPolygons polygons_{};
    std::array<std::array<POINT, 6>, lcd::kSegmentCount> points_{};

    UniqueMemoryDc dc_;
    UniqueBitmap glyph_;
    int glyphBitmapWidth_ = 0;
    int glyphBitmapHeight_ = 0;
    UniqueBrush unlitBrush_;
    UniqueBrush litBrush_;
    UniqueBrush backgroundBrush_;
    ZT_DRAW_HOOK drawHook_ = nullptr;
};

} // namespace zt
