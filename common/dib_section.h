#pragma once
// Device-independent bitmaps whose pixels the code reads or writes directly.

#include <windows.h>

#include "common/handles.h"

namespace zt {

// A top-down 32-bit DIB section (pixels 0x00RRGGBB); null for an empty or unallocatable size.
UniqueBitmap CreateTopDownDib(int width, int height);

} // namespace zt
