#include "api/roll_frames.h"

#include <cstddef>

namespace zt {

std::vector<RollFrame> RollFrames(int width, int height) {
    const int halfHeight = height / 2;
    const int halfWidth = width / 2;
    std::vector<RollFrame> frames;
    frames.reserve(64);
    int y = 0;
    int x = 0;
    while (frames.size() < static_cast<std::size_t>(kMaxRollFrames)) {
        const int nextY = y + 2;
        if (nextY < halfHeight) {
            frames.push_back({0, nextY, width, height - nextY});
            y = nextY;
        } else if (x + 6 >= halfWidth) {
            return frames;
        } else {
            x += 8;
            frames.push_back({x, y, width - x, height - y});
        }
    }
    // The stop condition was never met: no animation at all.
    return {};
}

} // namespace zt
