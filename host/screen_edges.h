#pragma once
// Gluing the clock to the edges of the work area, and the direction it rolls in.

#include <cstdint>

namespace zt {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Edge flags, stored as one byte.
enum EdgeFlag : uint8_t {
    kEdgeTop = 2,
    kEdgeBottom = 4,
    kEdgeLeft = 8,
    kEdgeRight = 16,
};
inline constexpr uint8_t kAllEdges = kEdgeTop | kEdgeBottom | kEdgeLeft | kEdgeRight;

// The edges of area that the window (left, top, width, height) lies closer to than
// distance pixels.
uint8_t ComputeEdgeFlags(const ScreenRect& area, int left, int top, int width, int height,
                         int distance);

// Moves the window onto the right and bottom edges it is glued to.
void ApplyEdgeFlags(uint8_t flags, const ScreenRect& area, int& left, int& top, int width,
                    int height);

// Where a window moved to (left, top) lands while screen snap is on: a side that comes
// closer than distance pixels to an edge of area is put on that edge (right and bottom
// win over left and top when the window nearly fills the area).
void SnapToEdges(const ScreenRect& area, int& left, int& top, int width, int height, int distance);

// Moves a window that lies entirely outside area back inside it (as far as it fits).
void PullIntoArea(const ScreenRect& area, int& left, int& top, int width, int height);

// AnimateWindow flags for rolling the window into (hiding) or out of (showing) the
// first glued edge in the order top, bottom, right, left; from the centre when none.
uint32_t RollAnimationFlags(uint8_t flags, bool hiding, bool transparentColourMode);

// The AnimateWindow flag values.
inline constexpr uint32_t kAwHorPositive = 0x1;
inline constexpr uint32_t kAwHorNegative = 0x2;
inline constexpr uint32_t kAwVerPositive = 0x4;
inline constexpr uint32_t kAwVerNegative = 0x8;
inline constexpr uint32_t kAwCenter = 0x10;
inline constexpr uint32_t kAwHide = 0x10000;
inline constexpr uint32_t kAwSlide = 0x40000;

} // namespace zt
