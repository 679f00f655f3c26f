#include "display/lcd_panel.h"

#include <windowsx.h>

#include <climits>
#include <utility>

#include "common/guarded.h"
#include "display/charset.h"
#include "zentik/ztComHelpers.h"

namespace zt {
namespace {

constexpr wchar_t kTableResource[] = L"ZTLCDCC";

BOOL CALLBACK TakeFirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    auto* result = reinterpret_cast<std::pair<bool, WORD>*>(found);
    *result = {true, language};
    return FALSE; // one is enough
}

// Russian first, any language otherwise.
HRSRC FindTableResource(HMODULE module) {
    HRSRC resource = ::FindResourceExW(module, RT_RCDATA, kTableResource,
                                       MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
    if (resource)
        return resource;
    std::pair<bool, WORD> found{false, 0};
    ::EnumResourceLanguagesW(module, RT_RCDATA, kTableResource, TakeFirstLanguage,
                             reinterpret_cast<LONG_PTR>(&found));
    return found.first ? ::FindResourceExW(module, RT_RCDATA, kTableResource, found.second)
                       : nullptr;
}

unsigned ShiftFromKeys(WPARAM keys) {
    unsigned shift = 0;
    if (keys & MK_SHIFT)
        shift |= kShiftKey;
    if (keys & MK_CONTROL)
        shift |= kCtrlKey;
    if (keys & MK_LBUTTON)
        shift |= kLeftButton;
    if (keys & MK_RBUTTON)
        shift |= kRightButton;
    if (keys & MK_MBUTTON)
        shift |= kMiddleButton;
    if (::GetKeyState(VK_MENU) < 0)
        shift |= kAltKey;
    return shift;
}

int ClampToInt(long long value) {
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

} // namespace

bool LoadCharTableFromResources(HMODULE module) {
    lcd::CharTable table{};
    bool loaded = false;
    if (HRSRC resource = FindTableResource(module)) {
        if (::SizeofResource(module, resource) == lcd::kCharTableBytes) {
            if (HGLOBAL data = ::LoadResource(module, resource)) {
                if (const void* bytes = ::LockResource(data)) {
                    table = lcd::CharTableFromBytes(static_cast<const unsigned char*>(bytes),
                                                    lcd::kCharTableBytes);
                    loaded = true;
                }
            }
        }
    }
    lcd::SetActiveCharTable(table);
    return loaded;
}

void InitializeLcdModule() {
    static const bool loaded = LoadCharTableFromResources(::GetModuleHandleW(nullptr));
    (void)loaded;
}

// ---------------------------------------------------------------------------------------
// TztLCDControl

HRESULT STDMETHODCALLTYPE TztLCDControl::ControlUnknown::QueryInterface(REFIID riid,
                                                                        void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown) {
        *object = static_cast<IUnknown*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

TztLCDControl::TztLCDControl(TztLCDPanel* panel) : led_(this) {
    // Set after the renderer exists: its construction has nothing to tell the panel.
    panel_ = panel;
}

TztLCDControl::~TztLCDControl() = default;

bool TztLCDControl::Contains(int x, int y) const {
    return x >= left_ && y >= top_ && x - left_ < width_ && y - top_ < height_;
}

void TztLCDControl::SetPosition(int left, int top) {
    left_ = left;
    top_ = top;
}

void TztLCDControl::SetFixedSize(int width, int height) {
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    Invalidate();
}

void TztLCDControl::PaintChars(HDC dc) {
    if (!panel_)
        return;
    const std::string& text = panel_->DisplayBytes();
    const auto left = static_cast<std::uint16_t>(left_);
    const auto top = static_cast<std::uint16_t>(top_);
    for (std::size_t i = 0; i < text.size() && i < 0xFFFF; ++i) {
        WORD code = lcd::CharToSegments(static_cast<std::uint8_t>(text[i]));
        if (charHook_)
            charHook_(&unknown_, static_cast<int>(i + 1), &code);
        led_.DrawChar(dc, static_cast<std::uint16_t>(i), code, left, top);
    }
}

void TztLCDControl::MouseDown(MouseButton button, unsigned shift, int x, int y) {
    if (panel_)
        panel_->MouseDown(button, shift, x + left_, y + top_);
}

void TztLCDControl::MouseMove(unsigned shift, int x, int y) {
    if (panel_)
        panel_->MouseMove(shift, x + left_, y + top_);
}

void TztLCDControl::MouseUp(MouseButton button, unsigned shift, int x, int y) {
    if (panel_)
        panel_->MouseUp(button, shift, x + left_, y + top_);
}

void TztLCDControl::LedColorsChanged() {
    if (handlingColors_)
        return;
    handlingColors_ = true;
    struct Unmark {
        bool& flag;
        ~Unmark() { flag = false; }
    } unmark{handlingColors_};
    if (panel_)
        panel_->SetColor(led_.GetColor());
    Invalidate();
}

void TztLCDControl::LedGeometryChanged() {
    if (!panel_)
        return;
    if (panel_->GetAutoSize())
        panel_->AdjustSize();
    else
        panel_->UpdateSize();
    Invalidate(); // the shapes change even where the size does not
}

IUnknown* TztLCDControl::LedPanel() {
    return panel_ ? panel_->Unknown() : nullptr;
}

void TztLCDControl::Invalidate() {
    if (!panel_)
        return;
    const RECT area{left_, top_, ClampToInt(static_cast<long long>(left_) + width_),
                    ClampToInt(static_cast<long long>(top_) + height_)};
    panel_->Invalidate(&area);
}

// ---------------------------------------------------------------------------------------
// TztLCDPanel

TztLCDPanel::TztLCDPanel() : control_(this) {
    InitializeLcdModule();
    color_ = control_.Led().GetColor();
}

TztLCDPanel::~TztLCDPanel() {
    destroying_ = true;
    OnMouseDown = nullptr;
    OnMouseMove = nullptr;
    OnMouseUp = nullptr;
    OnDblClick = nullptr;
    OnResize = nullptr;
    DestroyWindowNow();
}

std::unique_ptr<TztLCDPanel> TztLCDPanel::Create(HWND parent, int x, int y) {
    std::unique_ptr<TztLCDPanel> panel(new TztLCDPanel());
    panel->left_ = x;
    panel->top_ = y;
    if (!panel->CreateWindowIn(parent))
        return nullptr;
    return panel;
}

ModuleWindowClass::Fields TztLCDPanel::WindowClass() {
    // No CS_HREDRAW/CS_VREDRAW: a resize repaints only what it exposes.
    return {.name = kClassName, .procedure = nullptr, .style = CS_DBLCLKS, .cursor = IDC_ARROW};
}

bool TztLCDPanel::CreateWindowIn(HWND parent) {
    if (Window())
        return true;
    if (!parent || !::IsWindow(parent))
        return false;
    parent_ = parent;
    return CreateWindowOf(0, caption_.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, left_, top_,
                          width_, height_, parent);
}

LRESULT TztLCDPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1; // everything is painted in WM_PAINT
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (GetAutoSize() && !loading_ && !(pos->flags & SWP_NOSIZE)) {
            // Auto-size holds the panel at the row plus its border.
            pos->cx = ClampToInt(static_cast<long long>(control_.Width()) + 2 * borderWidth_);
            pos->cy = ClampToInt(static_cast<long long>(control_.Height()) + 2 * borderWidth_);
        }
        break;
    }
    case WM_WINDOWPOSCHANGED:
        OnPositionChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
        break;
    case WM_SETTEXT:
        if (!settingWindowText_)
            ApplyCaption(lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"");
        break;
    case WM_SETCURSOR:
        if (cursor_ && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(cursor_);
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButton(MouseButton::Left, true, message == WM_LBUTTONDBLCLK, wParam, x, y);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        OnButton(MouseButton::Right, true, message == WM_RBUTTONDBLCLK, wParam, x, y);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        OnButton(MouseButton::Middle, true, message == WM_MBUTTONDBLCLK, wParam, x, y);
        return 0;
    case WM_LBUTTONUP:
        OnButton(MouseButton::Left, false, false, wParam, x, y);
        return 0;
    case WM_RBUTTONUP:
        OnButton(MouseButton::Right, false, false, wParam, x, y);
        break; // the default procedure raises WM_CONTEXTMENU for the parent
    case WM_MBUTTONUP:
        OnButton(MouseButton::Middle, false, false, wParam, x, y);
        return 0;
    case WM_MOUSEMOVE:
        OnMove(wParam, x, y);
        return 0;
    case WM_CAPTURECHANGED:
        controlHasMouse_ = false;
        return 0;
    default:
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

void TztLCDPanel::OnPaint() {
    PaintScope paint(Window());
    ++paintCount_;
    HDC target = paint.dc();
    if (!target || width_ <= 0 || height_ <= 0)
        return;
    if (!backDc_)
        backDc_.reset(::CreateCompatibleDC(target));
    if (!backBitmap_ || backWidth_ != width_ || backHeight_ != height_) {
        backBitmap_.reset(::CreateCompatibleBitmap(target, width_, height_));
        backWidth_ = backBitmap_ ? width_ : 0;
        backHeight_ = backBitmap_ ? height_ : 0;
    }
    if (!backDc_ || !backBitmap_) {
        PaintTo(target); // no memory for a buffer: paint directly
        return;
    }
    ScopedSelect select(backDc_.get(), backBitmap_.get());
    PaintTo(backDc_.get());
    const RECT& area = paint.area();
    ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top,
             backDc_.get(), area.left, area.top, SRCCOPY);
}

void TztLCDPanel::PaintTo(HDC dc) {
    if (!dc || width_ <= 0 || height_ <= 0)
        return;
    const int saved = ::SaveDC(dc);
    const auto brush = static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
    const COLORREF oldBrushColor = ::SetDCBrushColor(dc, ResolveColor(borderColor_));
    const RECT client{0, 0, width_, height_};
    // BorderWidth nested one-pixel frames in BorderColor make one filled band.
    if (borderWidth_ > 0)
        ::FillRect(dc, &client, brush);
    const RECT inner{borderWidth_, borderWidth_, width_ - borderWidth_, height_ - borderWidth_};
    if (inner.right > inner.left && inner.bottom > inner.top) {
        ::SetDCBrushColor(dc, ResolveColor(color_));
        ::FillRect(dc, &inner, brush);
        // The row is clipped to the area inside the border.
        ::IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
        control_.PaintChars(dc);
    }
    ::SetDCBrushColor(dc, oldBrushColor);
    ::RestoreDC(dc, saved);
}

void TztLCDPanel::Invalidate(const RECT* area) {
    if (Window())
        ::InvalidateRect(Window(), area, FALSE);
}

void TztLCDPanel::OnPositionChanged(const WINDOWPOS& pos) {
    if (!(pos.flags & SWP_NOMOVE)) {
        left_ = pos.x;
        top_ = pos.y;
    }
    if (pos.flags & SWP_NOSIZE)
        return;
    if (pos.cx == width_ && pos.cy == height_)
        return;
    const int oldWidth = width_;
    const int oldHeight = height_;
    width_ = pos.cx;
    height_ = pos.cy;
    if (borderWidth_ > 0) {
        // Only the right and bottom borders move, from their old place to the new one;
        // the rest keeps its pixels and the system invalidates what a resize exposes.
        for (const int w : {oldWidth, width_}) {
            const RECT right{w - borderWidth_, 0, w, height_};
            Invalidate(&right);
        }
        for (const int h : {oldHeight, height_}) {
            const RECT bottom{0, h - borderWidth_, width_, h};
            Invalidate(&bottom);
        }
    }
    if (OnResize && !destroying_)
        OnResize(*this);
}

void TztLCDPanel::OnButton(MouseButton button, bool down, bool doubleClick, WPARAM keys, int x,
                           int y) {
    HWND window = Window();
    unsigned shift = ShiftFromKeys(keys);
    if (down) {
        if (doubleClick)
            shift |= kDoubleClick;
        // The control under the pointer gets the press, and the capture with the left
        // button.
        const bool inControl = control_.Contains(x, y);
        if (button == MouseButton::Left) {
            ::SetCapture(window);
            controlHasMouse_ = inControl; // after SetCapture, whose notice clears it
            // The row's own double click is not passed on.
            if (doubleClick && !inControl && OnDblClick)
                OnDblClick(*this);
        }
        if (inControl)
            control_.MouseDown(button, shift, x - control_.Left(), y - control_.Top());
        else
            MouseDown(button, shift, x, y);
        return;
    }
    const bool inControl = ::GetCapture() == window ? controlHasMouse_ : control_.Contains(x, y);
    if (button == MouseButton::Left && ::GetCapture() == window)
        ::ReleaseCapture();
    if (inControl)
        control_.MouseUp(button, shift, x - control_.Left(), y - control_.Top());
    else
        MouseUp(button, shift, x, y);
}

void TztLCDPanel::OnMove(WPARAM keys, int x, int y) {
    const unsigned shift = ShiftFromKeys(keys);
    const bool inControl = ::GetCapture() == Window() ? controlHasMouse_ : control_.Contains(x, y);
    if (inControl)
        control_.MouseMove(shift, x - control_.Left(), y - control_.Top());
    else
        MouseMove(shift, x, y);
}

void TztLCDPanel::MouseDown(MouseButton button, unsigned shift, int x, int y) {
    if (OnMouseDown)
        OnMouseDown(*this, button, shift, x, y);
}

void TztLCDPanel::MouseMove(unsigned shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(*this, shift, x, y);
}

void TztLCDPanel::MouseUp(MouseButton button, unsigned shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(*this, button, shift, x, y);
}

// --- properties -------------------------------------------------------------------------

void TztLCDPanel::SetCaption(const std::wstring& text) {
    if (text == caption_)
        return;
    ApplyCaption(text);
    if (Window()) {
        // Keeps the window text equal to the caption, for tools that read it.
        settingWindowText_ = true;
        struct Unmark {
            bool& flag;
            ~Unmark() { flag = false; }
        } unmark{settingWindowText_};
        ::SetWindowTextW(Window(), caption_.c_str());
    }
}

void TztLCDPanel::ApplyCaption(std::wstring text) {
    if (text == caption_)
        return;
    caption_ = std::move(text);
    displayBytes_ = lcd::TextToDisplayBytes(caption_);
    AdjustSize();
    UpdateSize();
    Invalidate();
}

void TztLCDPanel::SetLED(const TztLED& source) {
    source.AssignTo(control_.Led());
}

void TztLCDPanel::SetColor(ZT_COLOR value) {
    if (value == color_)
        return;
    color_ = value;
    control_.Led().SetColor(value);
    Invalidate();
    if (Window())
        ::UpdateWindow(Window());
}

void TztLCDPanel::EndLoading() {
    loading_ = false;
    UpdateSize();
    Invalidate();
}

void TztLCDPanel::UpdateSize() {
    const int w = GetValue(lcdRowWidth);
    const int h = GetValue(lcdRowHeight);
    control_.SetFixedSize(w, h);
    if (!loading_ && autoSize_)
        SetBounds(left_, top_, ClampToInt(static_cast<long long>(w) + 2 * borderWidth_),
                  ClampToInt(static_cast<long long>(h) + 2 * borderWidth_));
}

void TztLCDPanel::AdjustSize() {
    if (loading_ || !autoSize_ || adjusting_)
        return;
    adjusting_ = true;
    struct Unmark {
        bool& flag;
        ~Unmark() { flag = false; }
    } unmark{adjusting_};
    UpdateSize();
}

void TztLCDPanel::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    if (Window()) {
        // WM_WINDOWPOSCHANGED records the result.
        ::SetWindowPos(Window(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

// --- IUnknown ---------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TztLCDPanel::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IztLCDPanel) {
        *object = static_cast<IztLCDPanel*>(this);
        return S_OK;
    }
    if (riid == IID_IztLCDPanel_Events) {
        *object = static_cast<IztLCDPanel_Events*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// --- IztLCDPanel ------------------------------------------------------------------------

BOOL STDMETHODCALLTYPE TztLCDPanel::GetAutoSize() {
    return autoSize_ ? TRUE : FALSE;
}

void STDMETHODCALLTYPE TztLCDPanel::SetAutoSize(BOOL value) {
    Guarded([&] {
        const bool on = value != FALSE;
        if (on == autoSize_)
            return;
        autoSize_ = on;
        UpdateSize();
    });
}

WORD STDMETHODCALLTYPE TztLCDPanel::GetBorderWidth() {
    return borderWidth_;
}

void STDMETHODCALLTYPE TztLCDPanel::SetBorderWidth(WORD value) {
    Guarded([&] {
        if (value == borderWidth_)
            return;
        borderWidth_ = value;
        control_.SetPosition(value, value);
        UpdateSize();
        Invalidate();
    });
}

ZT_COLOR STDMETHODCALLTYPE TztLCDPanel::GetBorderColor() {
    return borderColor_;
}

void STDMETHODCALLTYPE TztLCDPanel::SetBorderColor(ZT_COLOR value) {
    Guarded([&] {
        if (value == borderColor_)
            return;
        borderColor_ = value;
        Invalidate();
    });
}

HWND STDMETHODCALLTYPE TztLCDPanel::GetHandle() {
    return Guarded(HWND{nullptr}, [&]() -> HWND {
        if (!Window() && !destroying_)
            CreateWindowIn(parent_);
        return Window();
    });
}

void STDMETHODCALLTYPE TztLCDPanel::Rebuild() {
    Guarded([&] {
        control_.Led().ColorsChanged();
        control_.Led().GeometryChanged();
        UpdateSize();
        Invalidate();
    });
}

int STDMETHODCALLTYPE TztLCDPanel::GetValue(BYTE kind) {
    const TztLED& led = control_.Led();
    switch (kind) {
    case lcdRowWidth:
        return ClampToInt(static_cast<long long>(displayBytes_.size()) * led.CellWidth());
    case lcdRowHeight:
        return led.CellHeight();
    case lcdLeft:
        return left_;
    case lcdTop:
        return top_;
    case lcdGlyphWidth:
        return led.GlyphWidth();
    case lcdGlyphHeight:
        return led.GlyphHeight();
    case lcdHorzSize:
        return led.GetHorzsize();
    case lcdThickness:
        return led.GetThickness();
    case lcdVertSize:
        return led.GetVertsize();
    case lcdBorderWidth:
        return borderWidth_;
    case lcdBorderColor:
        return borderColor_;
    case lcdActiveColor:
        return led.GetActiveColor();
    case lcdInactiveColor:
        return led.GetInActiveColor();
    case lcdColor:
        return led.GetColor();
    default:
        return 0;
    }
}

void STDMETHODCALLTYPE TztLCDPanel::SetValue(BYTE kind, int value) {
    Guarded([&] {
        TztLED& led = control_.Led();
        const auto low16 = static_cast<std::uint16_t>(static_cast<unsigned>(value) & 0xFFFFu);
        switch (kind) {
        case lcdLeft:
            SetBounds(value, top_, width_, height_);
            break;
        case lcdTop:
            SetBounds(left_, value, width_, height_);
            break;
        case lcdHorzSize:
            led.SetHorzsize(low16);
            break;
        case lcdThickness:
            led.SetThickness(low16);
            break;
        case lcdVertSize:
            led.SetVertsize(low16);
            break;
        case lcdBorderWidth:
            SetBorderWidth(low16);
            break;
        case lcdBorderColor:
            SetBorderColor(value);
            break;
        case lcdActiveColor:
            led.SetActiveColor(value);
            break;
        case lcdInactiveColor:
            led.SetInActiveColor(value);
            break;
        case lcdColor:
            led.SetColor(value); // the panel colour follows
            break;
        default:
            break; // the sizes of the row and glyph are read-only
        }
    });
}

BSTR STDMETHODCALLTYPE TztLCDPanel::GetText() {
    return ztAllocBstr(caption_);
}

void STDMETHODCALLTYPE TztLCDPanel::SetText(const wchar_t* value) {
    Guarded([&] { SetCaption(value ? std::wstring(value) : std::wstring()); });
}

// --- IztLCDPanel_Events -----------------------------------------------------------------

ZT_CHAR_HOOK STDMETHODCALLTYPE TztLCDPanel::GetCharHook() {
    return control_.GetCharHook();
}

void STDMETHODCALLTYPE TztLCDPanel::SetCharHook(ZT_CHAR_HOOK hook) {
    control_.SetCharHook(hook);
}

ZT_DRAW_HOOK STDMETHODCALLTYPE TztLCDPanel::GetDrawHook() {
    return control_.Led().GetDrawHook();
}

void STDMETHODCALLTYPE TztLCDPanel::SetDrawHook(ZT_DRAW_HOOK hook) {
    control_.Led().SetDrawHook(hook);
}

} // namespace zt
