#include "options/page_texts.h"

#include <commctrl.h>

#include "common/component_name.h"
#include "options/setup_host.h"

namespace zt::options {

void NameControls(HWND page, std::span<const TztControlName> controls) noexcept {
    for (const TztControlName& control : controls) {
        if (HWND window = ::GetDlgItem(page, control.id))
            SetComponentName(window, control.name);
    }
}

void TranslateControls(HWND page, const TztSetupHost& host,
                       std::span<const TztControlName> controls) {
    for (const TztControlName& control : controls) {
        HWND window = ::GetDlgItem(page, control.id);
        if (!window)
            continue;
        const std::wstring key = std::wstring(L"SETUP=") + control.name;
        const std::wstring caption = host.Text(key.c_str());
        if (!caption.empty())
            ::SetWindowTextW(window, caption.c_str());
        SetControlHint(window, host.Text((key + L"Hint").c_str()));
    }
}

HWND SetupTooltip(HWND window) noexcept {
    HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    return root ? static_cast<HWND>(::GetPropW(root, kSetupTooltipProperty)) : nullptr;
}

void SetControlHint(HWND control, const std::wstring& text) noexcept {
    HWND tooltip = SetupTooltip(control);
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

} // namespace zt::options
