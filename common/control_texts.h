#pragma once
// Names and texts of a dialog's controls. A dialog lists its controls once, as a table of
// dialog ids and component names:
//
//     constexpr TztControlName kControls[] = {{IDC_SHOW_BORDER, L"ShowBorder"},
//                                             {IDC_ALPHA, L"AlphaTrack"}};
//
// names them when it is created (NameControls, so other modules find them with
// FindComponent) and translates them (TranslateControls): the caption becomes the text of
// the control's name when there is one (a control without one keeps its template caption),
// the hint the text of the name followed by "Hint" (none when that is empty). The hints
// belong to the top-level dialog: one tooltip window published as a property of it
// (CreateHintWindow), found from any window inside it, so a child page needs no handle of
// its own. GUI thread only.

#include <windows.h>

#include <functional>
#include <span>
#include <string>

namespace zt {

struct TztControlName {
    int id;
    const wchar_t* name;
};

// The text of a language key (empty when missing).
using ControlTextSource = std::function<std::wstring(const std::wstring& key)>;

// Gives each control of parent that exists its component name.
void NameControls(HWND parent, std::span<const TztControlName> controls) noexcept;
// Captions and hints of the controls of parent from text(name) and text(name + "Hint").
void TranslateControls(HWND parent, std::span<const TztControlName> controls,
                       const ControlTextSource& text);

// The window property through which a dialog publishes its tooltip window.
inline constexpr wchar_t kHintWindowProperty[] = L"ztSetupTooltip";

// Creates the tooltip window of the top-level dialog (owned by it, so destroyed with it)
// and publishes it; null on failure. The dialog removes the property with RemoveHintWindow
// when it is destroyed.
HWND CreateHintWindow(HWND dialog) noexcept;
void RemoveHintWindow(HWND dialog) noexcept;
// The tooltip window of the dialog that holds window (any window inside it, or the dialog
// itself); null when there is none.
HWND HintWindow(HWND window) noexcept;
// Sets the hint of control to text; an empty text removes it.
void SetControlHint(HWND control, const std::wstring& text) noexcept;

} // namespace zt
