#pragma once
// Geometry of one LCD character cell: derived sizes and the sixteen segment polygons.
// Portable: no Win32 here.

#include <array>
#include <cstdint>

namespace zt::lcd {

// Bit i of a segment code lights segment i.
inline constexpr std::uint16_t kSegTopBar = 0x0001;
inline constexpr std::uint16_t kSegUpperLeft = 0x0002;
inline constexpr std::uint16_t kSegUpperRight = 0x0004;
inline constexpr std::uint16_t kSegLowerLeft = 0x0008;
inline constexpr std::uint16_t kSegLowerRight = 0x0010;
inline constexpr std::uint16_t kSegBottomBar = 0x0020;
inline constexpr std::uint16_t kSegMiddleLeft = 0x0040;
inline constexpr std::uint16_t kSegCentreBlock = 0x0080;
inline constexpr std::uint16_t kSegMiddleRight = 0x0100;
inline constexpr std::uint16_t kSegDiagonalUpperLeft = 0x0200;
inline constexpr std::uint16_t kSegUpperCentre = 0x0400;
inline constexpr std::uint16_t kSegDiagonalUpperRight = 0x0800;
inline constexpr std::uint16_t kSegDiagonalLowerLeft = 0x1000;
inline constexpr std::uint16_t kSegLowerCentre = 0x2000;
inline constexpr std::uint16_t kSegDiagonalLowerRight = 0x4000;
inline constexpr std::uint16_t kSegDot = 0x8000;

inline constexpr int kSegmentCount = 16;
// Index of the dot; the renderer draws it last and only when lit.
inline constexpr int kDotSegment = 15;
inline constexpr int kBottomBarSegment = 5;

// Sizes are unsigned 16-bit values; every sum wraps at 65536.
std::uint16_t GlyphWidth(std::uint16_t thickness, std::uint16_t horzSize);
std::uint16_t GlyphHeight(std::uint16_t thickness, std::uint16_t vertSize);
// Glyph plus a frame of `thickness` pixels on every side.
std::uint16_t CellWidth(std::uint16_t thickness, std::uint16_t glyphWidth);
std::uint16_t CellHeight(std::uint16_t thickness, std::uint16_t glyphHeight);

struct SegmentPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const SegmentPoint&, const SegmentPoint&) = default;
};

// A closed outline of four to six points, y growing downwards.
struct SegmentPolygon {
    std::array<SegmentPoint, 6> points{};
    int count = 0;
};

using SegmentPolygons = std::array<SegmentPolygon, kSegmentCount>;

// The outlines of all sixteen segments inside a glyph of glyphWidth x glyphHeight.
// Even thicknesses are drawn with the next odd stroke.
SegmentPolygons BuildSegments(std::uint16_t thickness, std::uint16_t glyphWidth,
                              std::uint16_t glyphHeight);

// An RGB value (0x00BBGGRR) with each channel lowered by amount, not below 0. The
// colour must already be resolved (no system colour).
std::uint32_t DarkenColor(std::uint32_t rgb, std::uint32_t amount);

// Darkening applied to the unlit colour for the dark squares of its checkerboard.
inline constexpr std::uint32_t kUnlitDarkening = 80;

} // namespace zt::lcd
