#include "common/control_texts.h"

#include <commctrl.h>

#include "common/component_name.h"
#include "common/module_window_class.h"

namespace zt {

void NameControls(HWND parent, std::span<const TztControlName> controls) noexcept {
    for (const TztControlName& control : controls) {
        if (HWND window = ::GetDlgItem(parent, control.id))
            SetComponentName(window, control.name);
    }
}

void TranslateControls(HWND parent, std::span<const TztControlName> controls,
                       const ControlTextSource& text) {
    for (const TztControlName& control : controls) {
        HWND window = ::GetDlgItem(parent, control.id);
        if (!window)
            continue;
        const std::wstring caption = text(control.name);
        if (!caption.empty())
            ::SetWindowTextW(window, caption.c_str());
        SetControlHint(window, text(std::wstring(control.name) + L"Hint"));
    }
}

HWND CreateHintWindow(HWND dialog) noexcept {
    HWND tooltip =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, CurrentModule(), nullptr);
    if (tooltip) {
        ::SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
        ::SetPropW(dialog, kHintWindowProperty, tooltip);
    }
    return tooltip;
}

void RemoveHintWindow(HWND dialog) noexcept {
    ::RemovePropW(dialog, kHintWindowProperty);
}

HWND HintWindow(HWND window) noexcept {
    HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    return root ? static_cast<HWND>(::GetPropW(root, kHintWindowProperty)) : nullptr;
}

void SetControlHint(HWND control, const std::wstring& text) noexcept {
    HWND tooltip = HintWindow(control);
    if (!tooltip || !control)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE; // understood by every version of the control
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    ::SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (text.empty())
        return;
    tool.lpszText = const_cast<wchar_t*>(text.c_str()); // the tooltip keeps a copy
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

} // namespace zt
