#pragma once
// Names and texts of a page's controls (common/control_texts.h): a page lists its controls
// once as a table of TztControlName, names them when it is created (NameControls) and
// translates them in Translate (TranslateControls): the caption becomes the text of
// "SETUP=<name>" when that key has a text (a control without one keeps its template
// caption), and the tooltip the text of "SETUP=<name>Hint". The tooltip window is the
// options dialog's (SetupTooltip). Main thread only.

#include <windows.h>

#include <span>

#include "common/control_texts.h"

namespace zt::options {

class TztSetupHost;

using zt::NameControls;
using zt::SetControlHint;
using zt::TztControlName;

// Captions and tooltips of the controls from the language module "Zentik".
void TranslateControls(HWND page, const TztSetupHost& host,
                       std::span<const TztControlName> controls);

// The tooltip window of the options dialog that holds window; null when there is none.
inline HWND SetupTooltip(HWND window) noexcept {
    return HintWindow(window);
}

// The window property through which the dialog publishes its tooltip window.
inline constexpr const wchar_t* kSetupTooltipProperty = kHintWindowProperty;

} // namespace zt::options
