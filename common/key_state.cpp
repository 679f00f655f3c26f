#include "common/key_state.h"

namespace zt {

ModifierKeys ModifierKeysDown() noexcept {
    ModifierKeys keys;
    keys.shift = ::GetKeyState(VK_SHIFT) < 0;
    keys.ctrl = ::GetKeyState(VK_CONTROL) < 0;
    keys.alt = ::GetKeyState(VK_MENU) < 0;
    keys.win = ::GetKeyState(VK_LWIN) < 0 || ::GetKeyState(VK_RWIN) < 0;
    return keys;
}

} // namespace zt
