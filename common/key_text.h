#pragma once
// Key combinations as binding names spell them: the modifier words "Shift", "Ctrl", "Alt",
// "Win", in that order and without separators, then the key's name ("CtrlAltT").

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

// The modifier keys held.
struct ModifierKeys {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool win = false;
};

// "Shift", "Ctrl", "Alt", "Win" for the keys held, in that order; empty for none.
std::wstring ModifierText(const ModifierKeys& keys);

// Whether virtualKey is Shift, Control, Alt or a Windows key (16-18, 91, 92 and the
// left and right variants 160-165).
bool IsModifierKey(uint32_t virtualKey);

// The longest key name kept in a key-press text.
inline constexpr std::size_t kMaxKeyNameLength = 16;

// The text of a key press: ModifierText(keys), then, unless virtualKey is a modifier key,
// keyName cut to kMaxKeyNameLength characters. A name shorter than 2 characters of an
// extended key becomes "Ext(" + decimal virtualKey + ")".
std::wstring KeyPressText(const ModifierKeys& keys, uint32_t virtualKey, std::wstring_view keyName,
                          bool extended);

} // namespace zt
