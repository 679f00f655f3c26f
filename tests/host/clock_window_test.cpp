// The clock window in this process: clicks, double clicks and drags on the panel, rolling
// up and down, edge gluing, hot keys, the clock-face hint and the IZentik values plug-ins
// use.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "common/datetime_format.h"
#include "common/handles.h"
#include "host/main_window.h"
#include "host/screen_edges.h"
#include "support/pump.h"
#include "support/zentik_process.h"

namespace zt {
namespace {

using test::PumpFor;
using test::PumpUntil;
using test::RunXdotool;

constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikTest";

std::atomic<int> g_clicks{0};
std::atomic<int> g_doubleClicks{0};

void STDMETHODCALLTYPE CountProc(IUnknown*) {
    ++g_clicks;
}
void STDMETHODCALLTYPE CountDoubleProc(IUnknown*) {
    ++g_doubleClicks;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

RECT WorkArea() {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// Counts the holds on the language manager; texts are all empty.
class HoldCountingLanguage final : public IztLanguageMan {
public:
    int holds = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    BSTR STDMETHODCALLTYPE GetLanguageList(const wchar_t*) override { return nullptr; }
    void STDMETHODCALLTYPE SetLanguage(const wchar_t*) override {}
    BSTR STDMETHODCALLTYPE GetLanguage() override { return ::SysAllocString(L"ru"); }
    ZT_LANG_MODULE STDMETHODCALLTYPE OpenModule(const wchar_t*) override { return nullptr; }
    BSTR STDMETHODCALLTYPE Translate(ZT_LANG_MODULE, const wchar_t*) override { return nullptr; }
    void STDMETHODCALLTYPE CloseModule(ZT_LANG_MODULE) override {}
    void STDMETHODCALLTYPE Hold() override { ++holds; }
    void STDMETHODCALLTYPE ReleaseHold() override {
        if (holds > 0)
            --holds;
    }
};

TEST(ClockWindowStart, ShowsItselfBeforePlugInsLoadAndDropsTheStartUpHold) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    HoldCountingLanguage language;
    language.Hold(); // as the program does before it creates the window
    TfrmClock clock(::GetModuleHandleW(nullptr), DefaultFormatSettings(), &language,
                    SettingsLocation{HKEY_CURRENT_USER, kTestKey});
    ASSERT_TRUE(clock.Create());
    EXPECT_TRUE(::IsWindowVisible(clock.Handle())) << "plug-ins load in StartClock, after this";
    clock.StartClock();
    EXPECT_EQ(language.holds, 0) << "the menu's translation releases the start-up hold";
    clock.Interface()->ApplyLanguage();
    EXPECT_EQ(language.holds, 0);
}

class ClockWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        g_clicks = 0;
        g_doubleClicks = 0;
        clock_ =
            std::make_unique<TfrmClock>(::GetModuleHandleW(nullptr), DefaultFormatSettings(),
                                        nullptr, SettingsLocation{HKEY_CURRENT_USER, kTestKey});
        ASSERT_TRUE(clock_->Create());
        clock_->StartClock();
        window_ = clock_->Handle();
        panel_ = ::FindWindowExW(window_, nullptr, L"TztLCDPanel", nullptr);
        ASSERT_NE(panel_, nullptr);
        IztCmnd* commands = clock_->Commands().Interface();
        commands->AddCommand(L"test_Count", &CountProc, L"");
        commands->AddCommand(L"test_CountDouble", &CountDoubleProc, L"");
        clock_->ClickEvents().SetRows(
            {{L"ClickMainLeft", L"test_Count"}, {L"ClickMainDblLeft", L"test_CountDouble"}});
        PumpFor(50);
    }
    void TearDown() override {
        clock_.reset();
        PumpFor(20);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }

    void Send(UINT message, WPARAM keys, int x, int y) {
        ::SendMessageW(panel_, message, keys, MAKELPARAM(x, y));
    }
    void Click() {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
        Send(WM_LBUTTONUP, 0, 10, 10);
        PumpFor(20);
    }
    // Presses at (10, 10), moves by (dx, dy) and lets go there.
    void Drag(int dx, int dy) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
        Send(WM_MOUSEMOVE, MK_LBUTTON, 10 + dx, 10 + dy);
        Send(WM_LBUTTONUP, 0, 10 + dx, 10 + dy);
        PumpFor(20);
    }
    // The double-click tracker is process-wide: let an earlier click run out.
    static void WaitOutDoubleClickTime() { ::Sleep(::GetDoubleClickTime() + 50); }

    std::unique_ptr<TfrmClock> clock_;
    HWND window_ = nullptr;
    HWND panel_ = nullptr;
};

TEST_F(ClockWindowTest, ClicksRunTheirBindingsAndTheSecondClickAlsoTheDoubleBinding) {
    WaitOutDoubleClickTime();
    Click();
    EXPECT_EQ(g_clicks, 1);
    EXPECT_EQ(g_doubleClicks, 0);

    WaitOutDoubleClickTime();
    Click();
    Click();
    EXPECT_EQ(g_clicks, 3) << "the single-click binding runs on both clicks";
    EXPECT_EQ(g_doubleClicks, 1);

    // The pair is used up: a third quick click starts a new one.
    Click();
    EXPECT_EQ(g_clicks, 4);
    EXPECT_EQ(g_doubleClicks, 1);
}

// The text of the clock face's hint, read from the tooltips of this thread; empty when no
// tooltip holds a tool for the panel.
std::wstring ClockFaceHint(HWND window, HWND panel) {
    struct Search {
        HWND window, panel;
        std::wstring text;
    } search{window, panel, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND candidate, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            wchar_t className[64] = {};
            ::GetClassNameW(candidate, className, 64);
            if (std::wstring(className) != TOOLTIPS_CLASSW)
                return TRUE;
            wchar_t text[128] = {};
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof(tool);
            tool.hwnd = search->window;
            tool.uId = reinterpret_cast<UINT_PTR>(search->panel);
            tool.lpszText = text;
            ::SendMessageW(candidate, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
            search->text = text;
            return search->text.empty();
        },
        reinterpret_cast<LPARAM>(&search));
    return search.text;
}

TEST_F(ClockWindowTest, TheClockFaceHintShowsTheDateAndTime) {
    PumpFor(300);
    const std::wstring hint = ClockFaceHint(window_, panel_);
    const FormatSettings settings = DefaultFormatSettings();
    const DateTime now = clock_->Clock().GetTime();
    // The minute may just have turned.
    EXPECT_TRUE(hint == FormatDateTime(L"d mmm yyyy. hh:mm", now, settings) ||
                hint == FormatDateTime(L"d mmm yyyy. hh:mm", now - 2.0 / 86400, settings))
        << ::testing::PrintToString(hint);
}

TEST_F(ClockWindowTest, ADragThatKeepsLeftPlusTopCountsAsAClick) {
    const RECT start = WindowRect(window_);
    Drag(5, -5);
    RECT now = WindowRect(window_);
    EXPECT_EQ(now.left, start.left + 5);
    EXPECT_EQ(now.top, start.top - 5);
    EXPECT_EQ(g_clicks, 1);

    Drag(5, 5);
    now = WindowRect(window_);
    EXPECT_EQ(now.left, start.left + 10);
    EXPECT_EQ(now.top, start.top);
    EXPECT_EQ(g_clicks, 1) << "a real drag is not a click";
}

TEST_F(ClockWindowTest, ShowHideCommandFromAnotherThreadRollsTheWindowUpAndDown) {
    ASSERT_TRUE(::IsWindowVisible(window_));
    const RECT start = WindowRect(window_);
    IztCmnd* commands = clock_->Commands().Interface();
    commands->ExecuteInThread(L"zt_ShowHideClock", L"");
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(window_); }, 5000));
    commands->ExecuteInThread(L"zt_ShowHideClock", L"");
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window_) != FALSE; }, 5000));
    const RECT end = WindowRect(window_);
    EXPECT_EQ(end.left, start.left);
    EXPECT_EQ(end.top, start.top);
}

TEST_F(ClockWindowTest, AClockInTheBottomRightCornerStaysThereWhenItsTextWidens) {
    const RECT area = WorkArea();
    const RECT start = WindowRect(window_);
    const int width = start.right - start.left;
    const int height = start.bottom - start.top;
    ::SetWindowPos(window_, nullptr, area.right - width, area.bottom - height, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    clock_->Interface()->DoAction(ztaComputeEdges);
    EXPECT_EQ(clock_->EdgeFlags(), kEdgeBottom | kEdgeRight);

    clock_->Clock().SetCustomFormat(L"hh:mm:ss dd");
    clock_->Clock().SetUseCustomFormat(true);
    ASSERT_TRUE(PumpUntil(
        [&] {
            const RECT rect = WindowRect(window_);
            return rect.right - rect.left > width;
        },
        3000))
        << "the text did not widen the window";
    PumpFor(50);
    RECT now = WindowRect(window_);
    EXPECT_EQ(now.right, area.right);
    EXPECT_EQ(now.bottom, area.bottom);
    EXPECT_EQ(clock_->EdgeFlags(), kEdgeBottom | kEdgeRight);

    clock_->ShowHideClock();
    EXPECT_FALSE(::IsWindowVisible(window_));
    clock_->ShowHideClock();
    EXPECT_TRUE(::IsWindowVisible(window_));
    now = WindowRect(window_);
    EXPECT_EQ(now.right, area.right);
    EXPECT_EQ(now.bottom, area.bottom);
}

TEST_F(ClockWindowTest, IZentikValuesChangeTheWindow) {
    IZentik& zentik = *clock_->Interface();
    EXPECT_EQ(reinterpret_cast<HWND>(zentik.GetValue(ztvWindowHandle)), window_);
    EXPECT_EQ(zentik.GetHandle(), window_);

    // Locked: the gesture does not move the window and counts as a click.
    zentik.SetValue(ztvLocked, 1);
    EXPECT_EQ(zentik.GetValue(ztvLocked), 1);
    const RECT start = WindowRect(window_);
    Drag(5, 5);
    RECT now = WindowRect(window_);
    EXPECT_EQ(now.left, start.left);
    EXPECT_EQ(now.top, start.top);
    EXPECT_EQ(g_clicks, 1);
    zentik.SetValue(ztvLocked, 0);
    EXPECT_EQ(zentik.GetValue(ztvLocked), 0);
    Drag(5, 5);
    now = WindowRect(window_);
    EXPECT_EQ(now.left, start.left + 5);
    EXPECT_EQ(now.top, start.top + 5);

    zentik.SetValue(ztvAlpha, 128);
    EXPECT_EQ(zentik.GetValue(ztvAlpha), 128);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(window_, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 128);
    EXPECT_NE(flags & LWA_ALPHA, 0u);
    zentik.SetValue(ztvAlpha, 255);
    EXPECT_EQ(zentik.GetValue(ztvAlpha), 255);
    flags = 0;
    EXPECT_FALSE(::GetLayeredWindowAttributes(window_, nullptr, &alpha, &flags) &&
                 (flags & LWA_ALPHA))
        << "alpha blending stays on at 255";

    zentik.SetValue(ztvAlwaysOnTop, 1);
    EXPECT_EQ(zentik.GetValue(ztvAlwaysOnTop), 1);
    EXPECT_NE(::GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    zentik.SetValue(ztvAlwaysOnTop, 0);
    EXPECT_EQ(zentik.GetValue(ztvAlwaysOnTop), 0);
}

TEST_F(ClockWindowTest, GetInterfaceHandsOutTheEngineAndNewTimers) {
    IZentik& zentik = *clock_->Interface();
    IUnknown* self = zentik.GetInterface(ztiWindow);
    ASSERT_NE(self, nullptr);
    void* queried = nullptr;
    ASSERT_EQ(self->QueryInterface(IID_IZentik, &queried), S_OK);
    EXPECT_EQ(queried, clock_->Interface());
    self->Release();

    IUnknown* engine = zentik.GetInterface(ztiClockEngine);
    ASSERT_NE(engine, nullptr);
    ICustomZentik* custom = nullptr;
    ASSERT_EQ(engine->QueryInterface(IID_ICustomZentik, reinterpret_cast<void**>(&custom)), S_OK);
    ASSERT_NE(custom, nullptr);
    custom->SetUseCustomFormat(TRUE);
    EXPECT_TRUE(clock_->Clock().GetUseCustomFormat()) << "not the window's own engine";
    custom->Release();

    IUnknown* made = zentik.GetInterface(ztiNewTimer);
    ASSERT_NE(made, nullptr);
    IztTimer* timer = nullptr;
    ASSERT_EQ(made->QueryInterface(IID_IztTimer, reinterpret_cast<void**>(&timer)), S_OK);
    ASSERT_NE(timer, nullptr);
    timer->SetInterval(40);
    EXPECT_EQ(timer->GetInterval(), 40);
    timer->Release();
    EXPECT_EQ(made->Release(), 0u) << "the caller holds the only reference";

    EXPECT_EQ(zentik.GetInterface(6), nullptr);
    EXPECT_EQ(zentik.GetInterface(-1), nullptr);
}

TEST_F(ClockWindowTest, HotKeyPressedThroughTheXServerRunsItsBinding) {
    clock_->ClickEvents().SetRows({{L"HotKey_CtrlAltT", L"test_Count"}});
    clock_->Interface()->DoAction(ztaRegisterHotKeys);
    PumpFor(300);
    const RECT rect = WindowRect(window_);
    const std::wstring arguments = L"mousemove " + std::to_wstring((rect.left + rect.right) / 2) +
                                   L" " + std::to_wstring((rect.top + rect.bottom) / 2) +
                                   L" key --delay 30 ctrl+alt+t";
    if (!RunXdotool(arguments)) {
        clock_->Interface()->DoAction(ztaUnregisterHotKeys);
        GTEST_SKIP() << "xdotool is not available";
    }
    EXPECT_TRUE(PumpUntil([] { return g_clicks == 1; }, 5000));
    PumpFor(300);
    EXPECT_EQ(g_clicks, 1);

    // Unregistered, the combination is free for others again.
    clock_->Interface()->DoAction(ztaUnregisterHotKeys);
    HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    UniqueWindow probeWindow(probe);
    EXPECT_TRUE(::RegisterHotKey(probe, 1, MOD_CONTROL | MOD_ALT, 'T'));
    ::UnregisterHotKey(probe, 1);
}

} // namespace
} // namespace zt
