#pragma once
// Frames of the roll animation: window regions that shrink a window to a strip at half
// height and then shorten that strip from both ends.

#include <vector>

namespace zt {

struct RollFrame {
    int left;
    int top;
    int right;
    int bottom;

    bool operator==(const RollFrame&) const = default;
};

// At most this many frames; a window that would need more gets none.
inline constexpr int kMaxRollFrames = 600;

// Frames for a width x height window, from the first hiding step to the last, in window
// coordinates. Each step moves the top and bottom edges in by 2 pixels while the new top
// stays above height / 2, then moves the left and right edges in by 8 pixels while the
// left edge plus 6 stays below width / 2. Empty when kMaxRollFrames frames are reached first.
std::vector<RollFrame> RollFrames(int width, int height);

} // namespace zt
