#pragma once
// Names and texts of a page's controls. A page lists its controls once, as a table of
// dialog ids and component names:
//
//     constexpr TztControlName kControls[] = {{IDC_SHOW_BORDER, L"ShowBorder"},
//                                             {IDC_ALPHA, L"AlphaTrack"}};
//
// names them when it is created (NameControls, so the clock finds them with FindComponent)
// and translates them in Translate (TranslateControls): the caption becomes the text of
// "SETUP=<name>" when that key has a text (a control without one keeps its template
// caption), and the tooltip the text of "SETUP=<name>Hint" (none when that is empty).
// The tooltips belong to the dialog: one tooltip window, found from any window inside it
// (SetupTooltip), so a page needs no handle of its own. Main thread only.

#include <windows.h>

#include <span>
#include <string>

namespace zt::options {

class TztSetupHost;

struct TztControlName {
    int id;
    const wchar_t* name;
};

// Gives each control of page that exists its component name.
void NameControls(HWND page, std::span<const TztControlName> controls) noexcept;
// Captions and tooltips of the controls from the language module "Zentik".
void TranslateControls(HWND page, const TztSetupHost& host,
                       std::span<const TztControlName> controls);

// The tooltip window of the options dialog that holds window (any window inside it, or
// the dialog itself); null when there is none.
HWND SetupTooltip(HWND window) noexcept;
// Sets the tooltip of control to text; an empty text removes it.
void SetControlHint(HWND control, const std::wstring& text) noexcept;

// The window property through which the dialog publishes its tooltip window.
inline constexpr wchar_t kSetupTooltipProperty[] = L"ztSetupTooltip";

} // namespace zt::options
