#include "display/led_renderer.h"

#include <climits>

#include "common/dib_section.h"

namespace zt {
namespace {

// DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
DWORD ToDibPixel(COLORREF color) {
    return (static_cast<DWORD>(GetRValue(color)) << 16) |
           (static_cast<DWORD>(GetGValue(color)) << 8) | GetBValue(color);
}

} // namespace

TztLED::TztLED(LedOwner* owner) : owner_(owner), dc_(::CreateCompatibleDC(nullptr)) {
    // Polygons are filled without outline. The stock pen needs no restoring.
    if (dc_)
        ::SelectObject(dc_.get(), ::GetStockObject(NULL_PEN));
    glyphWidth_ = lcd::GlyphWidth(GetThickness(), GetHorzsize());
    glyphHeight_ = lcd::GlyphHeight(GetThickness(), GetVertsize());
    BuildPolygons();
    TztLED::ColorsChanged();
}

TztLED::~TztLED() = default;

std::uint16_t TztLED::CellWidth() const {
    return lcd::CellWidth(GetThickness(), glyphWidth_);
}

std::uint16_t TztLED::CellHeight() const {
    return lcd::CellHeight(GetThickness(), glyphHeight_);
}

void TztLED::AssignTo(TztLED& target) const {
    if (&target == this)
        return;
    target.colors_ = colors_;
    target.sizes_ = sizes_;
    target.GeometryChanged();
    target.ColorsChanged();
}

void TztLED::SetSize(SizeIndex index, std::uint16_t value) {
    if (sizes_[index] == value)
        return;
    sizes_[index] = value;
    GeometryChanged();
}

std::uint16_t TztLED::GetSize(SizeIndex index) const {
    return sizes_[index];
}

void TztLED::SetColorValue(ColorIndex index, ZT_COLOR value) {
    if (colors_[index] == value)
        return;
    colors_[index] = value;
    ColorsChanged();
}

ZT_COLOR TztLED::GetColorValue(ColorIndex index) const {
    return colors_[index];
}

UniqueBrush TztLED::MakePatternBrush(COLORREF even, COLORREF odd) {
    // A packed 8 x 8 bottom-up DIB: the brush keeps its own copy.
    struct {
        BITMAPINFOHEADER header;
        DWORD pixels[8 * 8];
    } dib{};
    dib.header.biSize = sizeof(dib.header);
    dib.header.biWidth = 8;
    dib.header.biHeight = 8;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = 32;
    dib.header.biCompression = BI_RGB;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            dib.pixels[(7 - y) * 8 + x] = ToDibPixel((x + y) % 2 == 0 ? even : odd);
    return UniqueBrush(::CreateDIBPatternBrushPt(&dib, DIB_RGB_COLORS));
}

void TztLED::ResizeAndFillGlyph() {
    if (!glyph_ || glyphBitmapWidth_ != glyphWidth_ || glyphBitmapHeight_ != glyphHeight_) {
        glyph_ = CreateTopDownDib(glyphWidth_, glyphHeight_);
        glyphBitmapWidth_ = glyph_ ? glyphWidth_ : 0;
        glyphBitmapHeight_ = glyph_ ? glyphHeight_ : 0;
    }
    if (!glyph_ || !dc_)
        return;
    ScopedSelect select(dc_.get(), glyph_.get());
    const RECT all{0, 0, glyphBitmapWidth_, glyphBitmapHeight_};
    ::FillRect(dc_.get(), &all, backgroundBrush_.get());
}

void TztLED::ColorsChanged() {
    unlitBrush_.reset();
    litBrush_.reset();
    const COLORREF inactive = ResolveColor(GetInActiveColor());
    const auto dark = static_cast<COLORREF>(lcd::DarkenColor(inactive, lcd::kUnlitDarkening));
    unlitBrush_ = MakePatternBrush(inactive, dark);
    const COLORREF active = ResolveColor(GetActiveColor());
    litBrush_ = MakePatternBrush(active, active);
    backgroundBrush_.reset(::CreateSolidBrush(ResolveColor(GetColor())));
    ResizeAndFillGlyph();
    if (owner_)
        owner_->LedColorsChanged();
}

void TztLED::GeometryChanged() {
    glyphHeight_ = lcd::GlyphHeight(GetThickness(), GetVertsize());
    glyphWidth_ = lcd::GlyphWidth(GetThickness(), GetHorzsize());
    ResizeAndFillGlyph();
    BuildPolygons();
    if (owner_)
        owner_->LedGeometryChanged();
}

void TztLED::BuildPolygons() {
    polygons_ = lcd::BuildSegments(GetThickness(), glyphWidth_, glyphHeight_);
    for (std::size_t i = 0; i < polygons_.size(); ++i)
        for (std::size_t j = 0; j < points_[i].size(); ++j)
            points_[i][j] = POINT{polygons_[i].points[j].x, polygons_[i].points[j].y};
}

void TztLED::DrawSegment(HDC dc, int index, bool lit) {
    const auto i = static_cast<std::size_t>(index);
    ScopedSelect select(dc, lit ? litBrush_.get() : unlitBrush_.get());
    ::Polygon(dc, points_[i].data(), polygons_[i].count);
}

void TztLED::DrawChar(HDC target, std::uint16_t index, std::uint16_t code, std::uint16_t left,
                      std::uint16_t top) {
    if (drawHook_) {
        drawHook_(owner_ ? owner_->LedPanel() : nullptr, index, code, glyph_.get());
    } else if (glyph_ && dc_) {
        ScopedSelect select(dc_.get(), glyph_.get());
        for (int i = lcd::kSegmentCount - 2; i >= 0; --i)
            DrawSegment(dc_.get(), i, (code & (1u << i)) != 0);
        // The dot lies inside the bottom bar: drawn only when lit and the bar is not.
        if ((code & lcd::kSegDot) != 0 && (code & lcd::kSegBottomBar) == 0)
            DrawSegment(dc_.get(), lcd::kDotSegment, true);
    }

    const long long T = GetThickness();
    const long long W = glyphWidth_;
    const long long G = glyphHeight_;
    const long long x0ll = left + static_cast<long long>(CellWidth()) * index;
    if (x0ll + W + 2 * T > INT_MAX)
        return; // far beyond anything a device context can show
    const int x0 = static_cast<int>(x0ll);
    const int y0 = top;
    const int t = static_cast<int>(T);
    const int w = static_cast<int>(W);
    const int g = static_cast<int>(G);
    const RECT strips[] = {
        {x0, y0, x0 + w + 2 * t, y0 + t},                 // top
        {x0, y0 + g + t, x0 + w + 2 * t, y0 + g + 2 * t}, // bottom
        {x0, y0 + t, x0 + t, y0 + g + t},                 // left
        {x0 + w + t, y0 + t, x0 + w + 2 * t, y0 + g + t}, // right
    };
    for (const RECT& strip : strips)
        ::FillRect(target, &strip, backgroundBrush_.get());

    if (glyph_ && dc_) {
        ScopedSelect select(dc_.get(), glyph_.get());
        ::BitBlt(target, x0 + t, y0 + t, glyphBitmapWidth_, glyphBitmapHeight_, dc_.get(), 0, 0,
                 SRCCOPY);
    }
}

} // namespace zt
