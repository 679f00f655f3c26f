#include "common/binding_name.h"

namespace zt {

std::wstring ClickBindingName(bool tray, bool doubleClick, ClickButton button,
                              const ModifierKeys& keys) {
    std::wstring name = tray ? L"ClickTray" : L"ClickMain";
    if (doubleClick)
        name += L"Dbl";
    switch (button) {
    case ClickButton::Left:
        name += L"Left";
        break;
    case ClickButton::Right:
        name += L"Rights";
        break;
    case ClickButton::Middle:
        name += L"Middle";
        break;
    case ClickButton::Other:
        break;
    }
    return name + ModifierText(keys);
}

} // namespace zt
