// The clock face's date hint on real windows: the cursor resting on the face shows it,
// leaving (moving off, or jumping away and the next tick) or pressing a button hides it, a
// new text shows at once.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "common/handles.h"
#include "host/panel_hint.h"

namespace zt {
namespace {

constexpr wchar_t kClassName[] = L"ZentikPanelHintTestFace";
constexpr wchar_t kText[] = L"9 Dec 2026. 18:44";

UniqueWindow CreateFace() {
    static const ATOM windowClass = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc);
    }();
    if (windowClass == 0)
        return UniqueWindow();
    return UniqueWindow(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"face",
                                          WS_POPUP | WS_VISIBLE, 200, 200, 160, 60, nullptr,
                                          nullptr, ::GetModuleHandleW(nullptr), nullptr));
}

// Dispatches messages until done() or the time limit.
template <typename Done> bool PumpUntil(DWORD milliseconds, Done done) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (!done()) {
        if (::GetTickCount64() >= end)
            return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

class PanelHintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(face);
        ASSERT_TRUE(hint.Attach(face.get(), ::GetModuleHandleW(nullptr)));
        hint.SetText(kText);
    }

    bool Shown() const { return ::IsWindowVisible(hint.Tooltip()) != FALSE; }
    void Send(UINT message, WPARAM wParam = 0) { ::SendMessageW(face.get(), message, wParam, 0); }
    std::wstring TooltipText() {
        wchar_t buffer[80] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = face.get();
        tool.uId = reinterpret_cast<UINT_PTR>(face.get());
        tool.lpszText = buffer;
        ::SendMessageW(hint.Tooltip(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
        return buffer;
    }

    UniqueWindow face = CreateFace();
    PanelHint hint;
};

TEST_F(PanelHintTest, CursorRestingOnTheFaceShowsTheHintAndTheTickAfterAJumpAwayHidesIt) {
    ::SetCursorPos(10, 10);
    PumpUntil(200, [] { return false; });
    EXPECT_FALSE(Shown());
    ::SetCursorPos(260, 220); // X turns the warp into WM_MOUSEMOVE, which arms the tracking
    ASSERT_TRUE(PumpUntil(5000, [&] { return Shown(); })) << "the hint shows after a rest";
    EXPECT_EQ(TooltipText(), kText);
    hint.Tick();
    EXPECT_TRUE(Shown()) << "the cursor is still on the face";
    ::SetCursorPos(10, 10);
    EXPECT_TRUE(PumpUntil(5000, [&] {
        hint.Tick();
        return !Shown();
    }));
}

TEST_F(PanelHintTest, LeavingTheFaceHidesTheHint) {
    Send(WM_MOUSEHOVER);
    ASSERT_TRUE(Shown());
    Send(WM_MOUSELEAVE);
    EXPECT_FALSE(Shown());
}

TEST_F(PanelHintTest, ButtonDownHidesTheHintAndAHoverWithAButtonHeldShowsNothing) {
    Send(WM_MOUSEHOVER);
    ASSERT_TRUE(Shown());
    Send(WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_FALSE(Shown());
    Send(WM_MOUSEHOVER, MK_LBUTTON);
    EXPECT_FALSE(Shown()) << "no hint over a drag";
    Send(WM_MOUSEHOVER);
    EXPECT_TRUE(Shown());
    Send(WM_RBUTTONDOWN, MK_RBUTTON);
    EXPECT_FALSE(Shown());
}

TEST_F(PanelHintTest, NewTextShowsOnTheShownHint) {
    Send(WM_MOUSEHOVER);
    ASSERT_TRUE(Shown());
    hint.SetText(L"9 Dec 2026. 18:45");
    EXPECT_EQ(TooltipText(), L"9 Dec 2026. 18:45");
    EXPECT_TRUE(Shown());
}

TEST_F(PanelHintTest, DestroyingTheFaceLetsGoOfIt) {
    face.reset();
    EXPECT_EQ(hint.Tooltip(), nullptr);
    hint.SetText(L"later"); // nothing left to update
}

} // namespace
} // namespace zt
