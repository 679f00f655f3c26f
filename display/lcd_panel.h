#pragma once
// The LCD panel: a child window that shows its caption as a row of LCD character
// cells (TztLED) inside a flat border, sizes itself to the row when AutoSize is on,
// forwards mouse input in panel coordinates and implements IztLCDPanel and
// IztLCDPanel_Events for the options dialog and plug-ins.
//
// Structure: TztLCDPanel (the window) owns a windowless TztLCDControl that sits at the
// client corner inside the border, holds exactly the row's size and owns the
// renderer and the character hook.
//
// Character table: InitializeLcdModule() loads it once from the program's "ZTLCDCC"
// resource. Every panel calls it when it is constructed, so nothing else is needed;
// the program may also call it at start.
//
// Use by the clock window:
//
//     auto panel = zt::TztLCDPanel::Create(clockWindow, 0, 0);   // 209 x 28, visible
//     panel->BeginLoading();                     // apply settings without resizing
//     panel->GetLED().SetThickness(3);           // ...Horzsize 10, Vertsize 7
//     panel->GetLED().SetActiveColor(zt::kClBtnHighlight);  // and the other colours
//     panel->SetColor(zt::kClWindowFrame);       // also sets GetLED().GetColor()
//     panel->SetBorderColor(zt::kClBtnFace);
//     panel->SetBorderWidth(2);
//     panel->SetAutoSize(true);
//     panel->OnResize = [&](zt::TztLCDPanel& p) { /* fit the window to p */ };
//     panel->EndLoading();                       // one size update: 129 x 39 for "00:00"
//     panel->SetCaption(L"00:00");
//
// On WM_SYSCOLORCHANGE the clock window calls Rebuild(). The owner deletes the panel
// (reference counts are ignored: AddRef and Release return a constant). GUI thread only.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/handles.h"
#include "common/window_impl.h"
#include "display/led_renderer.h"
#include "zentik/ztZentikInterface.h"

namespace zt {

// System colours the clock uses.
inline constexpr ZT_COLOR kClWindowFrame = static_cast<ZT_COLOR>(0xFF000006);
inline constexpr ZT_COLOR kClBtnFace = static_cast<ZT_COLOR>(0xFF00000F);
inline constexpr ZT_COLOR kClBtnShadow = static_cast<ZT_COLOR>(0xFF000010);
inline constexpr ZT_COLOR kClBtnHighlight = static_cast<ZT_COLOR>(0xFF000014);

// Reads RCDATA "ZTLCDCC" of module (Russian first, any language otherwise) into the
// active character table. A missing resource or one that is not exactly 316 bytes
// leaves the table all zero (every cell blank) and returns false.
bool LoadCharTableFromResources(HMODULE module);
// Loads the table from the program's module, the first time only.
void InitializeLcdModule();

enum class MouseButton { Left, Right, Middle };

// Keys and buttons held during a mouse event (bit flags).
enum MouseShift : unsigned {
    kShiftKey = 1u << 0,
    kAltKey = 1u << 1,
    kCtrlKey = 1u << 2,
    kLeftButton = 1u << 3,
    kRightButton = 1u << 4,
    kMiddleButton = 1u << 5,
    kDoubleClick = 1u << 6,
};

class TztLCDPanel;

using LcdMouseButtonEvent =
    std::function<void(TztLCDPanel& sender, MouseButton button, unsigned shift, int x, int y)>;
using LcdMouseMoveEvent = std::function<void(TztLCDPanel& sender, unsigned shift, int x, int y)>;
using LcdNotifyEvent = std::function<void(TztLCDPanel& sender)>;

// The windowless inner control: the character row inside the panel's border.
class TztLCDControl final : public LedOwner {
public:
    // The renderer is created with its defaults; its construction notifications are
    // not passed to the panel, which is still being built.
    explicit TztLCDControl(TztLCDPanel* panel);
    ~TztLCDControl();
    TztLCDControl(const TztLCDControl&) = delete;
    TztLCDControl& operator=(const TztLCDControl&) = delete;

    TztLED& Led() { return led_; }
    const TztLED& Led() const { return led_; }
    TztLCDPanel* Panel() const { return panel_; }
    // Handed to the character hook; answers only IID_IUnknown.
    IUnknown* Unknown() { return &unknown_; }

    ZT_CHAR_HOOK GetCharHook() const { return charHook_; }
    void SetCharHook(ZT_CHAR_HOOK hook) { charHook_ = hook; }

    // Bounds in panel coordinates.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Contains(int x, int y) const;
    // Aligns the control to the panel's client corner.
    void SetPosition(int left, int top);
    // Holds the control at width x height; nothing happens when that is its size.
    void SetFixedSize(int width, int height);

    // Draws every character of the panel's caption, the first cell at the control's
    // top-left corner, calling the character hook for each.
    void PaintChars(HDC dc);

    // Mouse input in control coordinates, passed to the panel in panel coordinates.
    void MouseDown(MouseButton button, unsigned shift, int x, int y);
    void MouseMove(unsigned shift, int x, int y);
    void MouseUp(MouseButton button, unsigned shift, int x, int y);

    void LedColorsChanged() override;
    void LedGeometryChanged() override;
    IUnknown* LedPanel() override;

private:
    struct ControlUnknown final : IUnknown {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
    };

    void Invalidate();

    TztLCDPanel* panel_ = nullptr;
    TztLED led_;
    ControlUnknown unknown_;
    ZT_CHAR_HOOK charHook_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool handlingColors_ = false;
};

class TztLCDPanel final : public IztLCDPanel,
                          public IztLCDPanel_Events,
                          public WindowImpl<TztLCDPanel> {
public:
    static constexpr wchar_t kClassName[] = L"TztLCDPanel";
    static constexpr int kDefaultWidth = 209;
    static constexpr int kDefaultHeight = 28;

    // A visible child window of parent at (x, y), 209 x 28, with the renderer's
    // defaults; null when the window cannot be created.
    static std::unique_ptr<TztLCDPanel> Create(HWND parent, int x, int y);
    ~TztLCDPanel();
    TztLCDPanel(const TztLCDPanel&) = delete;
    TztLCDPanel& operator=(const TztLCDPanel&) = delete;

    // IUnknown (not counted)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // IztLCDPanel
    BOOL STDMETHODCALLTYPE GetAutoSize() override;
    void STDMETHODCALLTYPE SetAutoSize(BOOL value) override;
    WORD STDMETHODCALLTYPE GetBorderWidth() override;
    void STDMETHODCALLTYPE SetBorderWidth(WORD value) override;
    ZT_COLOR STDMETHODCALLTYPE GetBorderColor() override;
    void STDMETHODCALLTYPE SetBorderColor(ZT_COLOR value) override;
    HWND STDMETHODCALLTYPE GetHandle() override;
    void STDMETHODCALLTYPE Rebuild() override;
    int STDMETHODCALLTYPE GetValue(BYTE kind) override;
    void STDMETHODCALLTYPE SetValue(BYTE kind, int value) override;
    BSTR STDMETHODCALLTYPE GetText() override;
    void STDMETHODCALLTYPE SetText(const wchar_t* value) override;
    // IztLCDPanel_Events
    ZT_CHAR_HOOK STDMETHODCALLTYPE GetCharHook() override;
    void STDMETHODCALLTYPE SetCharHook(ZT_CHAR_HOOK hook) override;
    ZT_DRAW_HOOK STDMETHODCALLTYPE GetDrawHook() override;
    void STDMETHODCALLTYPE SetDrawHook(ZT_DRAW_HOOK hook) override;

    IUnknown* Unknown() { return static_cast<IztLCDPanel*>(this); }

    // The text shown, one cell per character (see charset.h for what is shown).
    const std::wstring& GetCaption() const { return caption_; }
    void SetCaption(const std::wstring& text);
    // One display byte per character of the caption.
    const std::string& DisplayBytes() const { return displayBytes_; }
    // The renderer; write copies the six settings of source into it.
    TztLED& GetLED() { return control_.Led(); }
    const TztLED& GetLED() const { return control_.Led(); }
    void SetLED(const TztLED& source);
    // AutoSize, BorderWidth and BorderColor: the IztLCDPanel operations above.
    // Panel background, kept equal to the renderer's Color.
    ZT_COLOR GetColor() const { return color_; }
    void SetColor(ZT_COLOR value);
    // Stored only.
    bool GetLocked() const { return locked_; }
    void SetLocked(bool value) { locked_ = value; }
    // Shown over the panel; null keeps the class cursor (arrow).
    void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

    // Settings applied between these two calls do not resize the panel; EndLoading
    // runs UpdateSize once.
    void BeginLoading() { loading_ = true; }
    void EndLoading();

    // Sizes the inner control to the row and, with AutoSize on, the panel around it.
    void UpdateSize();
    // With AutoSize on, fits the panel to the row again.
    void AdjustSize();

    // Bounds in the parent's client coordinates.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);

    TztLCDControl& Control() { return control_; }
    // Window() is the panel's window.
    // Paints the whole panel (border, background, row) at (0, 0) of dc.
    void PaintTo(HDC dc);
    // WM_PAINT messages handled so far.
    unsigned PaintCount() const { return paintCount_; }

    // The panel's own mouse handling, in panel coordinates.
    void MouseDown(MouseButton button, unsigned shift, int x, int y);
    void MouseMove(unsigned shift, int x, int y);
    void MouseUp(MouseButton button, unsigned shift, int x, int y);

    LcdMouseButtonEvent OnMouseDown;
    LcdMouseMoveEvent OnMouseMove;
    LcdMouseButtonEvent OnMouseUp;
    // A double click of the left button outside the character row.
    LcdNotifyEvent OnDblClick;
    // The panel's size changed.
    LcdNotifyEvent OnResize;

    // Repaints the given panel area (all when null).
    void Invalidate(const RECT* area = nullptr);

private:
    friend class WindowImpl<TztLCDPanel>;

    TztLCDPanel();
    bool CreateWindowIn(HWND parent);
    static ModuleWindowClass::Fields WindowClass();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ApplyCaption(std::wstring text);
    void OnPaint();
    void OnPositionChanged(const WINDOWPOS& pos);
    void OnButton(MouseButton button, bool down, bool doubleClick, WPARAM keys, int x, int y);
    void OnMove(WPARAM keys, int x, int y);

    TztLCDControl control_;
    std::wstring caption_;
    std::string displayBytes_;
    bool autoSize_ = false;
    ZT_COLOR color_ = 0;
    std::uint16_t borderWidth_ = 0;
    ZT_COLOR borderColor_ = kClBtnFace;
    bool locked_ = false;
    bool loading_ = false;
    bool adjusting_ = false;
    bool settingWindowText_ = false;
    bool destroying_ = false;
    bool controlHasMouse_ = false;
    HCURSOR cursor_ = nullptr;
    HWND parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = kDefaultWidth;
    int height_ = kDefaultHeight;
    unsigned paintCount_ = 0;

    UniqueMemoryDc backDc_;
    UniqueBitmap backBitmap_;
    int backWidth_ = 0;
    int backHeight_ = 0;
};

} // namespace zt
