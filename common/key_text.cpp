#include "common/key_text.h"

namespace zt {

std::wstring ModifierText(const ModifierKeys& keys) {
    std::wstring text;
    if (keys.shift)
        text += L"Shift";
    if (keys.ctrl)
        text += L"Ctrl";
    if (keys.alt)
        text += L"Alt";
    if (keys.win)
        text += L"Win";
    return text;
}

bool IsModifierKey(uint32_t virtualKey) {
    return (virtualKey >= 16 && virtualKey <= 18) || virtualKey == 91 || virtualKey == 92 ||
           (virtualKey >= 160 && virtualKey <= 165);
}

std::wstring KeyPressText(const ModifierKeys& keys, uint32_t virtualKey, std::wstring_view keyName,
                          bool extended) {
    std::wstring text = ModifierText(keys);
    if (IsModifierKey(virtualKey))
        return text;
    keyName = keyName.substr(0, kMaxKeyNameLength);
    if (keyName.size() < 2 && extended)
        text += L"Ext(" + std::to_wstring(virtualKey) + L")";
    else
        text += keyName;
    return text;
}

} // namespace zt
