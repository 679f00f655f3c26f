#pragma once
// Hot-key binding names. A binding row whose name begins with "HotKey_" is a system-wide
// hot key; the rest of the name spells the combination:
//   - the modifier words "Shift", "Ctrl", "Alt", "Win", anywhere and in any order; the
//     first occurrence of each is removed (in that order, case-sensitive) and sets its flag;
//   - what remains is the key: one character gives its character code ("T" -> 0x54,
//     "5" -> 0x35); "Ext(" + decimal number + any closing character gives that number;
//     anything else is a key name (KeyNameToVirtualKey), 0 when unknown.

#include <cstdint>
#include <string_view>

namespace zt {

// The RegisterHotKey modifier flags.
inline constexpr uint32_t kHotKeyAlt = 1;
inline constexpr uint32_t kHotKeyControl = 2;
inline constexpr uint32_t kHotKeyShift = 4;
inline constexpr uint32_t kHotKeyWin = 8;

inline constexpr std::wstring_view kHotKeyPrefix = L"HotKey_";

enum class HotKeyNameKind {
    NotHotKey,    // the name does not begin with "HotKey_"
    Empty,        // exactly "HotKey_": ignored
    BadKeyNumber, // "Ext(" with a number that is not decimal: the row is skipped
    Combination,  // modifiers and virtualKey hold the combination (virtualKey may be 0)
};

struct HotKeyName {
    HotKeyNameKind kind = HotKeyNameKind::NotHotKey;
    uint32_t modifiers = 0;
    uint32_t virtualKey = 0;
};

// Whether name begins with "HotKey_" (case-sensitive).
bool IsHotKeyName(std::wstring_view name);

// Parses a full binding name ("HotKey_CtrlAltT").
HotKeyName ParseHotKeyName(std::wstring_view name);

// The virtual-key code of a shortcut text, 0 when the text names no key. Leading
// "Shift+", "Ctrl+", "Alt+" and "^" are skipped (their flags are not part of the
// result); the rest is compared without regard to ASCII case with these names:
//   "BkSp" 08, "Tab" 09, "Enter" 0D, "Esc" 1B, "Space" 20, "PgUp" 21, "PgDn" 22,
//   "End" 23, "Home" 24, "Left" 25, "Up" 26, "Right" 27, "Down" 28, "Ins" 2D, "Del" 2E,
//   "0".."9" 30-39, "A".."Z" 41-5A, "F1".."F24" 70-87,
//   and the English key names of a US keyboard: "Shift" 10, "Ctrl" 11, "Alt" 12,
//   "Pause" 13, "Caps Lock" 14, "Print Screen" 2C, "Num 0".."Num 9" 60-69, "Num *" 6A,
//   "Num +" 6B, "Num -" 6D, "Num Del" 6E, "Num /" 6F, "Num Lock" 90, "Scroll Lock" 91,
//   ";" BA, "=" BB, "," BC, "-" BD, "." BE, "/" BF, "`" C0, "[" DB, "\" DC, "]" DD,
//   "'" DE.
uint32_t KeyNameToVirtualKey(std::wstring_view text);

} // namespace zt
