#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "display/charset.h"
#include "display/lcd_panel.h"
#include "display_test_support.h"

namespace zt {
namespace {

using testing::Canvas;

constexpr COLORREF kLit = RGB(255, 0, 0);
constexpr COLORREF kUnlit = RGB(0, 200, 0);
constexpr COLORREF kUnlitDark = RGB(0, 120, 0);
constexpr COLORREF kBack = RGB(0, 0, 255);
constexpr COLORREF kBorder = RGB(255, 255, 0);

bool IsUnlit(COLORREF c) {
    return c == kUnlit || c == kUnlitDark;
}

// A visible top-level window to hold the panels.
class ParentWindow {
public:
    ParentWindow() {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ZentikLcdTestParent";
            return ::RegisterClassExW(&wc);
        }();
        window_.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, MAKEINTATOM(atom), L"", WS_POPUP, 0, 0,
                                        400, 300, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                        nullptr));
        ::ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
    }
    HWND get() const { return window_.get(); }

private:
    UniqueWindow window_;
};

class LcdPanel : public ::testing::Test {
protected:
    LcdPanel() : panel(TztLCDPanel::Create(parent.get(), 5, 6)) {}

    // The main window's settings.
    void UseClockSettings(bool systemColours = false) {
        TztLED& led = panel->GetLED();
        led.SetThickness(3);
        led.SetHorzsize(10);
        led.SetVertsize(7);
        if (systemColours) {
            led.SetActiveColor(kClBtnHighlight);
            led.SetInActiveColor(kClBtnShadow);
            panel->SetColor(kClWindowFrame);
            panel->SetBorderColor(kClBtnFace);
        } else {
            led.SetActiveColor(kLit);
            led.SetInActiveColor(kUnlit);
            panel->SetColor(kBack);
            panel->SetBorderColor(kBorder);
        }
        panel->SetBorderWidth(2);
        panel->SetAutoSize(TRUE);
        panel->SetCaption(L"00:00");
    }

    std::unique_ptr<Canvas> Paint() {
        auto canvas = std::make_unique<Canvas>(panel->Width(), panel->Height(), RGB(1, 2, 3));
        panel->PaintTo(canvas->dc());
        return canvas;
    }

    SIZE WindowSize() const {
        RECT r{};
        ::GetWindowRect(panel->Window(), &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

    ParentWindow parent;
    std::unique_ptr<TztLCDPanel> panel;
};

// --- construction and sizes ------------------------------------------------------------

TEST_F(LcdPanel, NewPanelIsAChildWindowOfTwoHundredNineByTwentyEight) {
    ASSERT_TRUE(panel);
    HWND window = panel->GetHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window, panel->Window());
    EXPECT_EQ(::GetParent(window), parent.get());
    wchar_t className[64]{};
    ::GetClassNameW(window, className, 64);
    EXPECT_EQ(std::wstring(className), L"TztLCDPanel");
    EXPECT_EQ(WindowSize().cx, 209);
    EXPECT_EQ(WindowSize().cy, 28);
    EXPECT_EQ(panel->GetValue(lcdLeft), 5);
    EXPECT_EQ(panel->GetValue(lcdTop), 6);
    EXPECT_EQ(panel->GetColor(), 0);
    EXPECT_EQ(panel->GetValue(lcdColor), 0);
    EXPECT_EQ(panel->GetBorderColor(), kClBtnFace);
    EXPECT_EQ(panel->GetBorderWidth(), 0);
    EXPECT_FALSE(panel->GetAutoSize());
    EXPECT_FALSE(panel->GetLocked());
    EXPECT_EQ(panel->GetCaption(), L"");
}

TEST_F(LcdPanel, ClockSettingsGiveARowOf125By35InAPanelOf129By39) {
    int resizes = 0;
    SIZE reported{};
    panel->OnResize = [&](TztLCDPanel& sender) {
        ++resizes;
        reported = SIZE{sender.Width(), sender.Height()};
    };
    UseClockSettings();
    EXPECT_EQ(panel->GetValue(lcdRowWidth), 125);
    EXPECT_EQ(panel->GetValue(lcdRowHeight), 35);
    EXPECT_EQ(panel->GetValue(lcdGlyphWidth), 19);
    EXPECT_EQ(panel->GetValue(lcdGlyphHeight), 29);
    EXPECT_EQ(WindowSize().cx, 129);
    EXPECT_EQ(WindowSize().cy, 39);
    EXPECT_GE(resizes, 1);
    EXPECT_EQ(reported.cx, 129);
    EXPECT_EQ(reported.cy, 39);
    EXPECT_EQ(panel->Control().Left(), 2);
    EXPECT_EQ(panel->Control().Top(), 2);
    EXPECT_EQ(panel->Control().Width(), 125);
    EXPECT_EQ(panel->Control().Height(), 35);
}

TEST_F(LcdPanel, LoadingAppliesSettingsWithOneResize) {
    int resizes = 0;
    panel->OnResize = [&](TztLCDPanel&) { ++resizes; };
    panel->BeginLoading();
    UseClockSettings(true);
    EXPECT_EQ(resizes, 0);
    EXPECT_EQ(WindowSize().cx, 209);
    panel->EndLoading();
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(WindowSize().cx, 129);
    EXPECT_EQ(WindowSize().cy, 39);
}

TEST_F(LcdPanel, EmptyCaptionWithAutoSizeIsOnlyTheBorder) {
    UseClockSettings();
    panel->SetCaption(L"");
    EXPECT_EQ(WindowSize().cx, 4);
    EXPECT_EQ(WindowSize().cy, 35 + 4);
    EXPECT_EQ(panel->GetValue(lcdRowWidth), 0);
}

TEST_F(LcdPanel, AutoSizeFollowsTextSizesAndBorder) {
    UseClockSettings();
    panel->SetCaption(L"12:34:56");
    EXPECT_EQ(WindowSize().cx, 8 * 25 + 4);
    panel->SetValue(lcdHorzSize, 65536 + 5); // Horzsize 5: W 14, cell 20
    EXPECT_EQ(panel->GetValue(lcdHorzSize), 5);
    EXPECT_EQ(panel->GetValue(lcdGlyphWidth), 14);
    EXPECT_EQ(WindowSize().cx, 8 * 20 + 4);
    panel->SetValue(lcdVertSize, 10); // Vertsize 10: G 35, cell 41
    EXPECT_EQ(WindowSize().cy, 41 + 4);
    panel->SetValue(lcdBorderWidth, 6);
    EXPECT_EQ(panel->GetBorderWidth(), 6);
    EXPECT_EQ(WindowSize().cx, 8 * 20 + 12);
    EXPECT_EQ(panel->Control().Left(), 6);
    // An outside resize does not break the rule.
    ::SetWindowPos(panel->Window(), nullptr, 0, 0, 300, 300, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(WindowSize().cx, 8 * 20 + 12);
    EXPECT_EQ(WindowSize().cy, 41 + 12);
}

TEST_F(LcdPanel, WithoutAutoSizeThePanelKeepsItsSize) {
    UseClockSettings();
    panel->SetAutoSize(FALSE);
    panel->SetBounds(5, 6, 200, 30);
    panel->SetCaption(L"1234");
    EXPECT_EQ(WindowSize().cx, 200);
    EXPECT_EQ(WindowSize().cy, 30);
    EXPECT_EQ(panel->Control().Width(), 100);
    auto canvas = Paint();
    // Beyond the row: Color. Below the clipped row: the border stays.
    EXPECT_TRUE(canvas->AreaIs(102, 2, 198, 28, kBack));
    EXPECT_TRUE(canvas->AreaIs(0, 28, 200, 30, kBorder));
    EXPECT_TRUE(canvas->AreaIs(198, 0, 200, 30, kBorder));
    panel->SetCaption(L"123456789");
    EXPECT_EQ(WindowSize().cx, 200);
    canvas = Paint();
    EXPECT_TRUE(canvas->AreaIs(198, 0, 200, 30, kBorder)); // the row is clipped
}

// --- painting ---------------------------------------------------------------------------

TEST_F(LcdPanel, ThirdCellOfTheClockShowsOnlyCentreBlockAndDot) {
    UseClockSettings();
    auto canvas = Paint();
    ASSERT_EQ(canvas->width(), 129);
    ASSERT_EQ(canvas->height(), 39);
    // Border: two pixels of BorderColor all round.
    EXPECT_TRUE(canvas->AreaIs(0, 0, 129, 2, kBorder));
    EXPECT_TRUE(canvas->AreaIs(0, 37, 129, 39, kBorder));
    EXPECT_TRUE(canvas->AreaIs(0, 0, 2, 39, kBorder));
    EXPECT_TRUE(canvas->AreaIs(127, 0, 129, 39, kBorder));
    // The ":" cell covers panel x 52..76, y 2..36; a 3-pixel frame of Color.
    EXPECT_TRUE(canvas->AreaIs(52, 2, 77, 5, kBack));
    EXPECT_TRUE(canvas->AreaIs(52, 34, 77, 37, kBack));
    EXPECT_TRUE(canvas->AreaIs(52, 2, 55, 37, kBack));
    EXPECT_TRUE(canvas->AreaIs(74, 2, 77, 37, kBack));
    // Glyph at x 55..73, y 5..33: centre block (glyph 8..10 x 13..15) and dot
    // (8..10 x 26..28) lit, nothing else.
    EXPECT_TRUE(canvas->AreaIs(55 + 8, 5 + 13, 55 + 11, 5 + 16, kLit));
    EXPECT_TRUE(canvas->AreaIs(55 + 8, 5 + 26, 55 + 11, 5 + 29, kLit));
    EXPECT_EQ(canvas->Count(52, 2, 77, 37, kLit), 18);
    // Top bar and upper left vertical of the colon are unlit, in the checker.
    EXPECT_EQ(canvas->Pixel(55 + 9, 5 + 1), kUnlit);
    EXPECT_EQ(canvas->Pixel(55 + 10, 5 + 1), kUnlitDark);
    EXPECT_TRUE(IsUnlit(canvas->Pixel(55 + 1, 5 + 8)));
    // The neighbouring "0" cells have their top bar lit and centre block unlit.
    EXPECT_EQ(canvas->Pixel(30 + 9, 5 + 1), kLit);
    EXPECT_TRUE(IsUnlit(canvas->Pixel(30 + 9, 5 + 14)));
    EXPECT_EQ(canvas->Pixel(80 + 9, 5 + 1), kLit);
}

TEST_F(LcdPanel, ClockSystemColoursAreResolvedInThePicture) {
    UseClockSettings(true);
    auto canvas = Paint();
    EXPECT_EQ(canvas->Pixel(0, 0), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(canvas->Pixel(2, 2), ::GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(canvas->Pixel(55 + 9, 5 + 14), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(canvas->Pixel(55 + 9, 5 + 1), shadow);
    EXPECT_EQ(canvas->Pixel(55 + 10, 5 + 1),
              static_cast<COLORREF>(lcd::DarkenColor(shadow, lcd::kUnlitDarkening)));
}

TEST_F(LcdPanel, LowerCaseAndCyrillicDrawLikeUpperCaseAndUnknownsBlank) {
    UseClockSettings();
    panel->SetCaption(L"Aa\u0416\u0436\u0401 ");
    auto canvas = Paint();
    const auto cellPixels = [&](int index) {
        std::vector<COLORREF> pixels;
        const int x0 = 2 + 25 * index;
        for (int y = 2; y < 37; ++y)
            for (int x = x0; x < x0 + 25; ++x)
                pixels.push_back(canvas->Pixel(x, y));
        return pixels;
    };
    EXPECT_EQ(cellPixels(0), cellPixels(1));
    EXPECT_EQ(cellPixels(2), cellPixels(3));
    EXPECT_NE(cellPixels(0), cellPixels(2));
    EXPECT_EQ(cellPixels(4), cellPixels(5)); // Ё and blank: all unlit
    EXPECT_EQ(canvas->Count(2 + 4 * 25, 2, 2 + 6 * 25, 37, kLit), 0);
}

TEST_F(LcdPanel, WmPaintDrawsTheSamePictureThroughItsBuffer) {
    UseClockSettings();
    const unsigned before = panel->PaintCount();
    ::RedrawWindow(panel->Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(panel->PaintCount(), before + 1);
    Canvas printed(129, 39, RGB(1, 2, 3));
    ::SendMessageW(panel->Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed.dc()),
                   PRF_CLIENT);
    EXPECT_EQ(printed.Pixel(55 + 9, 5 + 14), kLit);
    EXPECT_EQ(printed.Pixel(0, 0), kBorder);
}

// --- value operations -------------------------------------------------------------------

TEST_F(LcdPanel, KindsAboveThirteenReadZeroAndWriteNothing) {
    UseClockSettings();
    std::vector<int> before;
    for (int kind = 0; kind <= 13; ++kind)
        before.push_back(panel->GetValue(static_cast<BYTE>(kind)));
    for (int kind = 14; kind <= 255; ++kind) {
        EXPECT_EQ(panel->GetValue(static_cast<BYTE>(kind)), 0) << kind;
        panel->SetValue(static_cast<BYTE>(kind), 77);
    }
    for (int kind : {0, 1, 4, 5})
        panel->SetValue(static_cast<BYTE>(kind), 77);
    for (int kind = 0; kind <= 13; ++kind)
        EXPECT_EQ(panel->GetValue(static_cast<BYTE>(kind)), before[static_cast<size_t>(kind)])
            << kind;
    EXPECT_EQ(WindowSize().cx, 129);
}

TEST_F(LcdPanel, ValueKindsReachEverySetting) {
    UseClockSettings();
    panel->SetValue(lcdLeft, 17);
    panel->SetValue(lcdTop, 23);
    RECT r{};
    ::GetWindowRect(panel->Window(), &r);
    ::MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 17);
    EXPECT_EQ(r.top, 23);
    EXPECT_EQ(panel->GetValue(lcdLeft), 17);
    panel->SetValue(lcdThickness, 0x10000 + 4);
    EXPECT_EQ(panel->GetLED().GetThickness(), 4);
    panel->SetValue(lcdBorderColor, 0x010203);
    EXPECT_EQ(panel->GetBorderColor(), 0x010203);
    panel->SetValue(lcdActiveColor, 0x040506);
    EXPECT_EQ(panel->GetLED().GetActiveColor(), 0x040506);
    panel->SetValue(lcdInactiveColor, static_cast<int>(0xFF000010));
    EXPECT_EQ(panel->GetValue(lcdInactiveColor), static_cast<int>(0xFF000010));
}

TEST_F(LcdPanel, PanelColourAndRendererColourStayEqual) {
    UseClockSettings();
    constexpr COLORREF kViaValue = RGB(9, 99, 199);
    panel->SetValue(lcdColor, kViaValue);
    EXPECT_EQ(panel->GetColor(), static_cast<ZT_COLOR>(kViaValue));
    EXPECT_EQ(panel->GetLED().GetColor(), static_cast<ZT_COLOR>(kViaValue));
    auto canvas = Paint();
    EXPECT_TRUE(canvas->AreaIs(52, 2, 77, 5, kViaValue)); // a cell frame

    constexpr COLORREF kViaPanel = RGB(200, 100, 0);
    panel->SetColor(kViaPanel);
    EXPECT_EQ(panel->GetValue(lcdColor), static_cast<int>(kViaPanel));
    panel->SetAutoSize(FALSE);
    panel->SetBounds(0, 0, 180, 39);
    canvas = Paint();
    EXPECT_TRUE(canvas->AreaIs(52, 2, 77, 5, kViaPanel));
    EXPECT_TRUE(canvas->AreaIs(127, 2, 178, 37, kViaPanel)); // background beyond the row
}

TEST_F(LcdPanel, WritingLedCopiesTheSixSettings) {
    TztLED source(nullptr);
    source.SetThickness(3);
    source.SetHorzsize(10);
    source.SetVertsize(7);
    source.SetActiveColor(kLit);
    source.SetInActiveColor(kUnlit);
    source.SetColor(kBack);
    panel->SetAutoSize(TRUE);
    panel->SetCaption(L"00:00");
    panel->SetLED(source);
    EXPECT_EQ(panel->GetValue(lcdRowWidth), 125);
    EXPECT_EQ(panel->GetLED().GetActiveColor(), static_cast<ZT_COLOR>(kLit));
    EXPECT_EQ(panel->GetColor(), static_cast<ZT_COLOR>(kBack)); // coupled
    EXPECT_EQ(WindowSize().cx, 125);
}

TEST_F(LcdPanel, TextOperationsAndWindowText) {
    UseClockSettings();
    panel->SetText(L"\u041F\u0440\u0438\u0432\u0435\u0442");
    BSTR text = panel->GetText();
    EXPECT_EQ(std::wstring(text, ::SysStringLen(text)), L"\u041F\u0440\u0438\u0432\u0435\u0442");
    ::SysFreeString(text);
    EXPECT_EQ(WindowSize().cx, 6 * 25 + 4);
    wchar_t windowText[32]{};
    ::GetWindowTextW(panel->Window(), windowText, 32);
    EXPECT_EQ(std::wstring(windowText), panel->GetCaption());
    // Text set on the window reaches the caption.
    ::SetWindowTextW(panel->Window(), L"1:2");
    EXPECT_EQ(panel->GetCaption(), L"1:2");
    EXPECT_EQ(WindowSize().cx, 3 * 25 + 4);
    panel->SetText(nullptr);
    EXPECT_EQ(panel->GetCaption(), L"");
}

TEST_F(LcdPanel, InterfacesAreFoundAndNotCounted) {
    IUnknown* unknown = panel->Unknown();
    void* object = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IztLCDPanel, &object), S_OK);
    auto* lcd = static_cast<IztLCDPanel*>(object);
    EXPECT_EQ(lcd, static_cast<IztLCDPanel*>(panel.get()));
    ASSERT_EQ(lcd->QueryInterface(IID_IztLCDPanel_Events, &object), S_OK);
    EXPECT_EQ(static_cast<IztLCDPanel_Events*>(object),
              static_cast<IztLCDPanel_Events*>(panel.get()));
    ASSERT_EQ(lcd->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, static_cast<void*>(unknown));
    EXPECT_EQ(lcd->QueryInterface(IID_IztTimer, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(lcd->QueryInterface(IID_IztLCDPanel, nullptr), E_POINTER);
    for (int i = 0; i < 3; ++i)
        lcd->Release();
    lcd->AddRef();
    EXPECT_EQ(lcd->GetHandle(), panel->Window()); // still alive
}

// --- hooks ------------------------------------------------------------------------------

std::vector<int> g_charPositions;
IUnknown* g_charControl = nullptr;

void STDMETHODCALLTYPE AllOnes(IUnknown* control, int position, WORD* code) {
    g_charControl = control;
    g_charPositions.push_back(position);
    *code = 0x0014; // the two right verticals, as "1"
}

TEST_F(LcdPanel, CharHookThatChangesTheCodeDrawsTheChangedCode) {
    UseClockSettings();
    g_charPositions.clear();
    panel->SetCharHook(AllOnes);
    EXPECT_EQ(panel->GetCharHook(), AllOnes);
    panel->Rebuild();
    auto canvas = Paint();
    EXPECT_EQ(g_charPositions, (std::vector<int>{1, 2, 3, 4, 5}));
    // The colon cell now shows "1": right verticals lit, centre block and dot unlit.
    EXPECT_EQ(canvas->Pixel(55 + 17, 5 + 8), kLit);
    EXPECT_TRUE(IsUnlit(canvas->Pixel(55 + 9, 5 + 14)));
    EXPECT_TRUE(IsUnlit(canvas->Pixel(55 + 9, 5 + 27)));
    EXPECT_EQ(lcd::CharToSegments(static_cast<std::uint8_t>(':')), 0x8080);
    // The hook gets the inner control, which answers only IUnknown.
    ASSERT_EQ(g_charControl, panel->Control().Unknown());
    void* object = nullptr;
    EXPECT_EQ(g_charControl->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(g_charControl->QueryInterface(IID_IztLCDPanel, &object), E_NOINTERFACE);
    panel->SetCharHook(nullptr);
    canvas = Paint();
    EXPECT_EQ(canvas->Pixel(55 + 9, 5 + 14), kLit);
}

struct DrawCall {
    IUnknown* panel;
    WORD index;
    WORD code;
};
std::vector<DrawCall> g_drawCalls;
constexpr COLORREF kHookColor = RGB(10, 20, 30);

void STDMETHODCALLTYPE FillGlyph(IUnknown* panel, WORD index, WORD code, HBITMAP glyph) {
    g_drawCalls.push_back({panel, index, code});
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.get(), glyph);
    UniqueBrush brush(::CreateSolidBrush(kHookColor));
    const RECT all{0, 0, 19, 29};
    ::FillRect(dc.get(), &all, brush.get());
}

TEST_F(LcdPanel, DrawHookIsCalledWithThePanelAndTheFramesAreStillDrawn) {
    UseClockSettings();
    void* object = nullptr;
    ASSERT_EQ(panel->QueryInterface(IID_IztLCDPanel_Events, &object), S_OK);
    auto* events = static_cast<IztLCDPanel_Events*>(object);
    g_drawCalls.clear();
    events->SetDrawHook(FillGlyph);
    EXPECT_EQ(events->GetDrawHook(), FillGlyph);
    panel->Rebuild();
    auto canvas = Paint();
    ASSERT_EQ(g_drawCalls.size(), 5u);
    for (WORD i = 0; i < 5; ++i)
        EXPECT_EQ(g_drawCalls[i].index, i);
    EXPECT_EQ(g_drawCalls[0].code, 0x423F);
    EXPECT_EQ(g_drawCalls[2].code, 0x8080);
    ASSERT_EQ(g_drawCalls[0].panel->QueryInterface(IID_IztLCDPanel, &object), S_OK);
    EXPECT_EQ(object, static_cast<void*>(static_cast<IztLCDPanel*>(panel.get())));
    EXPECT_TRUE(canvas->AreaIs(55, 5, 74, 34, kHookColor));
    EXPECT_TRUE(canvas->AreaIs(52, 2, 77, 5, kBack));
    EXPECT_TRUE(canvas->AreaIs(52, 2, 55, 37, kBack));
    EXPECT_EQ(canvas->Count(0, 0, 129, 39, kLit), 0);

    // Removing the hook and rebuilding restores segments on a clean background.
    events->SetDrawHook(nullptr);
    panel->Rebuild();
    canvas = Paint();
    EXPECT_EQ(canvas->Pixel(55, 5), kBack);
    EXPECT_EQ(canvas->Pixel(55 + 9, 5 + 14), kLit);
}

// --- mouse ------------------------------------------------------------------------------

struct MouseRecord {
    std::string kind;
    MouseButton button;
    unsigned shift;
    int x;
    int y;
};

class LcdPanelMouse : public LcdPanel {
protected:
    LcdPanelMouse() {
        UseClockSettings();
        panel->OnMouseDown = [this](TztLCDPanel&, MouseButton b, unsigned s, int x, int y) {
            records.push_back({"down", b, s, x, y});
        };
        panel->OnMouseMove = [this](TztLCDPanel&, unsigned s, int x, int y) {
            records.push_back({"move", MouseButton::Left, s, x, y});
        };
        panel->OnMouseUp = [this](TztLCDPanel&, MouseButton b, unsigned s, int x, int y) {
            records.push_back({"up", b, s, x, y});
        };
        panel->OnDblClick = [this](TztLCDPanel&) { ++doubleClicks; };
    }
    void Send(UINT message, WPARAM keys, int x, int y) {
        ::SendMessageW(panel->Window(), message, keys, MAKELPARAM(x, y));
    }

    std::vector<MouseRecord> records;
    int doubleClicks = 0;
};

TEST_F(LcdPanelMouse, PressOnTheRowArrivesInPanelCoordinates) {
    // (3, 4) of the inner control is (3 + BorderWidth, 4 + BorderWidth) of the panel.
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 3 + 2, 4 + 2);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, "down");
    EXPECT_EQ(records[0].button, MouseButton::Left);
    EXPECT_EQ(records[0].shift & (kShiftKey | kLeftButton), kShiftKey | kLeftButton);
    EXPECT_EQ(records[0].shift & (kCtrlKey | kDoubleClick), 0u);
    EXPECT_EQ(records[0].x, 5);
    EXPECT_EQ(records[0].y, 6);
    EXPECT_EQ(::GetCapture(), panel->Window());
    // Moves while the button is held keep coming, even outside the panel.
    Send(WM_MOUSEMOVE, MK_LBUTTON, 200, -7);
    Send(WM_LBUTTONUP, MK_CONTROL, 201, -8);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].kind, "move");
    EXPECT_EQ(records[1].x, 200);
    EXPECT_EQ(records[1].y, -7);
    EXPECT_EQ(records[2].kind, "up");
    EXPECT_EQ(records[2].shift & kCtrlKey, kCtrlKey);
    EXPECT_EQ(records[2].x, 201);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(LcdPanelMouse, BorderAndOtherButtonsAreReportedToo) {
    Send(WM_RBUTTONDOWN, MK_RBUTTON, 1, 1);
    Send(WM_RBUTTONUP, 0, 1, 1);
    Send(WM_MBUTTONDOWN, MK_MBUTTON, 128, 38);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].button, MouseButton::Right);
    EXPECT_EQ(records[0].shift & kRightButton, kRightButton);
    EXPECT_EQ(records[0].x, 1);
    EXPECT_EQ(records[1].kind, "up");
    EXPECT_EQ(records[2].button, MouseButton::Middle);
    EXPECT_EQ(records[2].x, 128);
    EXPECT_EQ(records[2].y, 38);
}

TEST_F(LcdPanelMouse, DoubleClickOnTheRowIsAPressOnlyOnTheBorderAlsoDblClick) {
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 40, 20);
    Send(WM_LBUTTONUP, 0, 40, 20);
    EXPECT_EQ(doubleClicks, 0);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].shift & kDoubleClick, kDoubleClick);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 0, 20);
    Send(WM_LBUTTONUP, 0, 0, 20);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(records.size(), 4u);
}

// --- character table resource -----------------------------------------------------------

TEST(LcdCharTableResource, ProgramResourceIsTheCompiledTable) {
    HMODULE program = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceExW(program, RT_RCDATA, L"ZTLCDCC",
                                       MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
    ASSERT_NE(resource, nullptr);
    ASSERT_EQ(::SizeofResource(program, resource), 316u);
    const auto* bytes =
        static_cast<const unsigned char*>(::LockResource(::LoadResource(program, resource)));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(lcd::CharTableFromBytes(bytes, 316), lcd::CompiledCharTable());

    EXPECT_TRUE(LoadCharTableFromResources(program));
    EXPECT_EQ(lcd::ActiveCharTable(), lcd::CompiledCharTable());
}

TEST(LcdCharTableResource, MissingResourceLeavesEveryCellBlank) {
    EXPECT_FALSE(LoadCharTableFromResources(::GetModuleHandleW(L"kernel32.dll")));
    EXPECT_EQ(lcd::ActiveCharTable(), lcd::CharTable{});
    EXPECT_EQ(lcd::CharToSegments(static_cast<std::uint8_t>('8')), 0);
    EXPECT_TRUE(LoadCharTableFromResources(::GetModuleHandleW(nullptr)));
    EXPECT_EQ(lcd::CharToSegments(static_cast<std::uint8_t>('8')), 0x01FF);
}

// --- resources --------------------------------------------------------------------------

TEST_F(LcdPanel, RepaintsLeakNoGdiObject) {
    UseClockSettings(true);
    const auto repaint = [&](int count) {
        const unsigned before = panel->PaintCount();
        for (int i = 0; i < count; ++i) {
            panel->SetText(i % 2 ? L"12:34" : L"56:78");
            if (i % 100 == 0)
                panel->SetValue(lcdActiveColor, i % 200 ? static_cast<int>(kLit) : kClBtnHighlight);
            ::RedrawWindow(panel->Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        return panel->PaintCount() - before;
    };
    repaint(2); // the back buffer is made on the first paint
    const int start = testing::PenHeadroom();
    EXPECT_EQ(repaint(10), 10u);
    const int afterTen = testing::PenHeadroom();
    EXPECT_EQ(repaint(10000), 10000u);
    const int afterTenThousand = testing::PenHeadroom();
    std::cout << "[panel] pen headroom: start " << start << ", after 10 repaints " << afterTen
              << ", after 10000 repaints " << afterTenThousand << "\n";
    RecordProperty("PenHeadroomStart", start);
    RecordProperty("PenHeadroomAfter10", afterTen);
    RecordProperty("PenHeadroomAfter10000", afterTenThousand);
    EXPECT_GT(start, 1000);
    EXPECT_EQ(afterTen, start);
    EXPECT_EQ(afterTenThousand, start);
}

TEST(LcdPanelLifetime, CreatingAndDestroyingPanelsLeaksNoGdiObject) {
    ParentWindow parent;
    { auto warmUp = TztLCDPanel::Create(parent.get(), 0, 0); }
    const int before = testing::PenHeadroom();
    for (int i = 0; i < 200; ++i) {
        auto panel = TztLCDPanel::Create(parent.get(), 0, 0);
        panel->SetCaption(L"88:88");
        ::RedrawWindow(panel->Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    EXPECT_EQ(testing::PenHeadroom(), before);
}

TEST(LcdPanelLifetime, PanelOutlivingItsWindowStaysUsable) {
    auto parent = std::make_unique<ParentWindow>();
    auto panel = TztLCDPanel::Create(parent->get(), 0, 0);
    ASSERT_TRUE(panel);
    parent.reset(); // destroys the child window first
    EXPECT_EQ(panel->Window(), nullptr);
    EXPECT_EQ(panel->GetHandle(), nullptr); // no parent to create it in
    panel->SetCaption(L"12");
    panel->SetValue(lcdColor, 0x123456);
    EXPECT_EQ(panel->GetColor(), 0x123456);
}

} // namespace
} // namespace zt
