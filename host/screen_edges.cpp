#include "host/screen_edges.h"

#include <algorithm>
#include <cstdlib>

namespace zt {

uint8_t ComputeEdgeFlags(const ScreenRect& area, int left, int top, int width, int height,
                         int distance) {
    uint8_t flags = 0;
    if (std::abs(area.right - (left + width)) < distance)
        flags |= kEdgeRight;
    if (std::abs(area.bottom - (top + height)) < distance)
        flags |= kEdgeBottom;
    if (std::abs(area.top - top) < distance)
        flags |= kEdgeTop;
    if (std::abs(area.left - left) < distance)
        flags |= kEdgeLeft;
    return flags;
}

void ApplyEdgeFlags(uint8_t flags, const ScreenRect& area, int& left, int& top, int width,
                    int height) {
    if (flags & kEdgeRight)
        left = area.right - width;
    if (flags & kEdgeBottom)
        top = area.bottom - height;
}

void SnapToEdges(const ScreenRect& area, int& left, int& top, int width, int height, int distance) {
    if (std::abs(left - area.left) < distance)
        left = area.left;
    if (std::abs(top - area.top) < distance)
        top = area.top;
    if (std::abs(area.right - (left + width)) < distance)
        left = area.right - width;
    if (std::abs(area.bottom - (top + height)) < distance)
        top = area.bottom - height;
}

void PullIntoArea(const ScreenRect& area, int& left, int& top, int width, int height) {
    const bool outside = left >= area.right || top >= area.bottom || left + width <= area.left ||
                         top + height <= area.top;
    if (!outside)
        return;
    left = std::max(area.left, std::min(left, area.right - width));
    top = std::max(area.top, std::min(top, area.bottom - height));
}

uint32_t RollAnimationFlags(uint8_t flags, bool hiding, bool transparentColourMode) {
    uint32_t result;
    if (flags & kEdgeTop)
        result = hiding ? kAwVerNegative : kAwVerPositive;
    else if (flags & kEdgeBottom)
        result = hiding ? kAwVerPositive : kAwVerNegative;
    else if (flags & kEdgeRight)
        result = hiding ? kAwHorPositive : kAwHorNegative;
    else if (flags & kEdgeLeft)
        result = hiding ? kAwHorNegative : kAwHorPositive;
    else
        result = kAwCenter;
    if (hiding)
        result |= kAwHide;
    if (!transparentColourMode)
        result |= kAwSlide;
    return result;
}

} // namespace zt
