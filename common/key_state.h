#pragma once
// The modifier keys as the keyboard state of the calling thread has them.

#include <windows.h>

#include "common/key_text.h"

namespace zt {

// Shift, Ctrl, Alt and either Windows key, as held when the message being handled came.
ModifierKeys ModifierKeysDown() noexcept;

} // namespace zt
