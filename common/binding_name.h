#pragma once
// Names of click bindings, as the clock looks them up when its face or its tray icon is
// clicked and as the options dialog composes them for a new binding.

#include <string>

#include "common/key_text.h"

namespace zt {

enum class ClickButton { Left, Right, Middle, Other };

// "ClickMain" or "ClickTray", then "Dbl" for the second click of a double click, the
// button ("Left", "Rights", "Middle", nothing for others) and the modifiers held, in
// the order "Shift", "Ctrl", "Alt", "Win".
std::wstring ClickBindingName(bool tray, bool doubleClick, ClickButton button,
                              const ModifierKeys& keys);

} // namespace zt
