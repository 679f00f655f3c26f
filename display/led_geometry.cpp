#include "display/led_geometry.h"

#include <initializer_list>

namespace zt::lcd {

std::uint16_t GlyphWidth(std::uint16_t thickness, std::uint16_t horzSize) {
    return static_cast<std::uint16_t>(3u * thickness + horzSize);
}

std::uint16_t GlyphHeight(std::uint16_t thickness, std::uint16_t vertSize) {
    return static_cast<std::uint16_t>(2u * vertSize + 5u * thickness);
}

std::uint16_t CellWidth(std::uint16_t thickness, std::uint16_t glyphWidth) {
    return static_cast<std::uint16_t>(glyphWidth + 2u * thickness);
}

std::uint16_t CellHeight(std::uint16_t thickness, std::uint16_t glyphHeight) {
    return static_cast<std::uint16_t>(glyphHeight + 2u * thickness);
}

namespace {

SegmentPolygon Outline(std::initializer_list<SegmentPoint> points) {
    SegmentPolygon polygon;
    for (const SegmentPoint& p : points)
        polygon.points[static_cast<std::size_t>(polygon.count++)] = p;
    return polygon;
}

} // namespace

SegmentPolygons BuildSegments(std::uint16_t thickness, std::uint16_t glyphWidth,
                              std::uint16_t glyphHeight) {
    // Plain ints: every value below fits comfortably, and edge points of degenerate
    // sizes may lie outside the glyph (negative), which the rasteriser clips.
    const int T = thickness;
    const int W = glyphWidth;
    const int G = glyphHeight;
    const int d = (T % 2 == 1) ? T : T + 1; // the stroke is always odd
    const int e = d / 2;
    const int b = T % 2;
    const int l = T - e - b;
    const int m = W / 2;
    const int c = G / 2;
    const int p = c - e;     // top edge of the middle bar
    const int q = c + e + 1; // bottom edge of the middle bar
    const int k = (5 * d) / 6;

    SegmentPolygons s;
    s[0] = Outline({{d, 0}, {d - e, e}, {d, d}, {W - d - 1, d}, {W + e - d, e}, {W - d, 0}});
    s[1] = Outline({{0, d}, {e, l}, {d, d}, {d, p - 1}, {e, c}, {0, p - 1}});
    s[2] =
        Outline({{W, d}, {W - e - 1, l}, {W - d, d}, {W - d, p - 1}, {W - e - 1, c}, {W, p - 1}});
    s[3] = Outline({{0, q}, {e, c}, {d, q}, {d, G - d - 2}, {e, G - e - 1}, {0, G - d - 1}});
    s[4] = Outline({{W, G - d - 2},
                    {W - e - 1, G - e - 1},
                    {W - d, G - d - 1},
                    {W - d, q},
                    {W - e - 1, c},
                    {W, q}});
    s[5] = Outline({{d, G},
                    {d - e, G - e - 1},
                    {d, G - d},
                    {W - d, G - d},
                    {W - e - 1, G - e - 1},
                    {W - d - 2, G}});
    s[6] = Outline({{d, p}, {d - e, c}, {d, q}, {m - e, q}, {m - e, p}});
    s[7] = Outline({{m - e, q}, {m - e, p}, {m + e + 1, p}, {m + e + 1, q}});
    s[8] = Outline({{m + e, p}, {m + e, q}, {W - d - 1, q}, {W - e - 1, c}, {W - d, p}});
    s[9] = Outline({{d + 1, d + k + 1},
                    {d + 1, d + 1},
                    {d + k, d + 1},
                    {m - e - 1, p - 1 - k},
                    {m - e - 1, p - 1},
                    {m - e - k, p - 1}});
    s[10] = Outline({{m - e, d + e},
                     {m, T - b},
                     {m + e + 1, d + e},
                     {m + e + 1, c - d - 1},
                     {m, p},
                     {m - e, c - d}});
    s[11] = Outline({{W - d - 1, d + k + 1},
                     {W - d - 1, d + 1},
                     {W - d - k, d + 1},
                     {m + e + 2, p - 1 - k},
                     {m + e + 2, p - 1},
                     {m + e + k + 1, p - 1}});
    s[12] = Outline({{d + 1, G - d - k},
                     {d + 1, G - d - 1},
                     {d + k, G - d - 1},
                     {m - e - 1, c + e + k + 2},
                     {m - e - 1, c + e + 2},
                     {m - e - k, c + e + 2}});
    s[13] = Outline({{m - e, c + d},
                     {m, c + e},
                     {m + e + 1, c + d},
                     {m + e + 1, G - d - e - 1},
                     {m, G - d},
                     {m - e, G - d - e - 1}});
    s[14] = Outline({{W - d - 1, G - d - k},
                     {W - d - 1, G - d - 1},
                     {W - d - k, G - d - 1},
                     {m + e + 2, c + e + k + 2},
                     {m + e + 2, c + e + 2},
                     {m + e + k + 1, c + e + 2}});
    s[15] = Outline({{m - e, G}, {m - e, G - d}, {m + e + 1, G - d}, {m + e + 1, G}});
    return s;
}

std::uint32_t DarkenColor(std::uint32_t rgb, std::uint32_t amount) {
    std::uint32_t result = 0;
    for (int shift : {0, 8, 16}) {
        const std::uint32_t channel = (rgb >> shift) & 0xFFu;
        result |= (channel > amount ? channel - amount : 0u) << shift;
    }
    return result;
}

} // namespace zt::lcd
