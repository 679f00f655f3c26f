#pragma once
// PanelHint: the date hint of the clock face. A tracking tooltip that shows when the cursor
// rests on the face (WM_MOUSEHOVER, below the cursor) and hides when the cursor leaves the
// face or a button goes down on it.
//
// Nothing polls while the cursor rests: a relaying tooltip polls the cursor ten times a
// second while it is up, and TrackMouseEvent polls it (under Wine) while it tracks. So the
// tooltip relays nothing, the face is tracked only while the cursor moves over it, and a
// shown hint whose cursor jumped away without moving over the face is hidden by Tick, which
// the clock calls once a second.
//
// The face's procedure is subclassed; the hint lets go of the face at its WM_NCDESTROY.
// GUI thread only. The object must not move in memory while attached.

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "common/handles.h"

namespace zt {

class PanelHint {
public:
    PanelHint() = default;
    PanelHint(const PanelHint&) = delete;
    PanelHint& operator=(const PanelHint&) = delete;
    ~PanelHint();

    // Makes the tooltip and watches face; false on failure.
    bool Attach(HWND face, HINSTANCE instance);
    void Detach() noexcept;
    // The hint's text; a shown hint changes at once.
    void SetText(const std::wstring& text);
    // Hides a shown hint when the cursor is no longer on the face.
    void Tick();
    HWND Tooltip() const { return tooltip_.get(); }

private:
    static LRESULT CALLBACK FaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    LRESULT OnFaceMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    TTTOOLINFOW ToolInfo();
    void Track(DWORD flags);
    void Show();
    void Hide();

    HWND face_ = nullptr;
    UniqueWindow tooltip_;
    std::wstring text_;
    bool tracking_ = false; // TrackMouseEvent armed
    bool shown_ = false;
};

} // namespace zt
