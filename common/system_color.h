#pragma once
// Colours as settings hold them: an RGB value (0x00BBGGRR) or, with the top byte 0xFF, a
// system colour index in the low byte (COLOR_BTNFACE ...).

#include <windows.h>

#include "zentik/ztZentikInterface.h"

namespace zt {

// The RGB value a colour stands for now.
COLORREF ResolveColor(ZT_COLOR color);

} // namespace zt
