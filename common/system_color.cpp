#include "common/system_color.h"

#include <cstdint>

namespace zt {

COLORREF ResolveColor(ZT_COLOR color) {
    const auto value = static_cast<std::uint32_t>(color);
    if ((value & 0xFF000000u) == 0xFF000000u)
        return ::GetSysColor(static_cast<int>(value & 0xFFu));
    return value & 0x00FFFFFFu;
}

} // namespace zt
