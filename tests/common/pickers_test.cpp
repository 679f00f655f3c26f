// The command picker and the hot-key field on a dialog page made from a template, with a
// real command registry.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "common/command_box.h"
#include "common/hotkey_field.h"
#include "common/window_impl.h"
#include "framework/cmnd_intf.h"
#include "support/pump.h"
#include "support/zentik_process.h"
#include "tests/common/pickers_test.h"

namespace zt {
namespace {

using test::PumpUntil;

void STDMETHODCALLTYPE DoNothing(IUnknown*) {}
void STDMETHODCALLTYPE DoNothingWith(const wchar_t*) {}

// The parameter editor of "ZT_ExecuteApp": records what it got and answers another path
// each time.
int g_editorCalls = 0;
std::wstring g_editorParam;
BSTR STDMETHODCALLTYPE PickProgram(const wchar_t* param) {
    g_editorParam = param ? param : L"";
    ++g_editorCalls;
    return ::SysAllocString((L"c:\\chosen" + std::to_wstring(g_editorCalls) + L".exe").c_str());
}

// The options dialog's stand-in, holding one page at a time. There is one for the whole
// program: under Wine without a window manager, destroying a shown top-level window waits
// two seconds.
class HostDialog final : public DialogImpl<HostDialog> {
public:
    static HostDialog& Get() {
        static HostDialog host;
        if (!host.Window())
            host.CreateModeless(CurrentModule(), IDD_PICKER_HOST, nullptr);
        return host;
    }

    int okClicks = 0;

private:
    friend class DialogImpl<HostDialog>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_INITDIALOG)
            return TRUE;
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            ++okClicks;
            return TRUE;
        }
        return message == WM_COMMAND && LOWORD(wParam) == IDCANCEL;
    }
};

class PickerPage final : public DialogImpl<PickerPage> {
public:
    bool Create() {
        HostDialog::Get().okClicks = 0;
        return CreateModeless(CurrentModule(), IDD_PICKER_PAGE, HostDialog::Get().Window());
    }
    HWND Item(int id) const { return ::GetDlgItem(Window(), id); }

    int commandNotifications = 0;

private:
    friend class DialogImpl<PickerPage>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_INITDIALOG)
            return TRUE;
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_PICKER_COMMAND)
            ++commandNotifications;
        return FALSE;
    }
};

// Dispatches through IsDialogMessage of the host, as the options dialog's loop does, until
// done().
bool PumpDialogUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    HWND dialog = HostDialog::Get().Window();
    return test::PumpUntil(done, timeoutMs,
                           [dialog](MSG& message) { return ::IsDialogMessageW(dialog, &message); });
}

RECT RectInParent(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class CommandBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_editorCalls = 0;
        g_editorParam.clear();
        registry_.AddCommand(L"zt_ShowHideClock", DoNothing, L"Show or hide the clock");
        registry_.AddCommand(L"zt_CloseZentik", DoNothing, L"Close the clock");
        registry_.AddParamCommand(L"ZT_ExecuteApp", DoNothingWith, PickProgram, L"Run a program");
        ASSERT_TRUE(page_.Create());
        ASSERT_TRUE(box_.Attach(page_.Item(IDC_PICKER_COMMAND)));
        box_.SetCmnd(registry_.Interface());
        box_.OnChange = [this] { ++changes_; };
        edit_ = ::FindWindowExW(box_.Window(), nullptr, L"Edit", nullptr);
        ASSERT_NE(edit_, nullptr);
    }

    // Types text into the box's field as keyboard characters.
    void Type(const std::wstring& text) {
        for (const wchar_t c : text)
            ::SendMessageW(edit_, WM_CHAR, c, 1);
    }

    bool ButtonEnabled() const { return ::IsWindowEnabled(box_.Button()) != FALSE; }

    CmndInterface registry_;
    PickerPage page_;
    TztCommandBox box_;
    HWND edit_ = nullptr;
    int changes_ = 0;
};

TEST_F(CommandBoxTest, TypedCommandDecidesTheButtonAndTheHint) {
    ASSERT_EQ(::SendMessageW(box_.Window(), CB_GETCOUNT, 0, 0), 3);
    EXPECT_FALSE(ButtonEnabled());

    Type(L"ZT_ExecuteApp c:\\x");
    EXPECT_EQ(box_.Text(), L"ZT_ExecuteApp c:\\x");
    EXPECT_TRUE(ButtonEnabled()) << "the command has an editor";
    EXPECT_EQ(box_.Hint(), L"Run a program");
    EXPECT_EQ(changes_, 18) << "one change per character typed";
    EXPECT_GT(page_.commandNotifications, 0) << "the page still sees the box's notifications";

    ::SendMessageW(edit_, EM_SETSEL, 0, -1);
    Type(L"zt_CloseZentik");
    EXPECT_FALSE(ButtonEnabled()) << "no editor";
    EXPECT_EQ(box_.Hint(), L"Close the clock");

    // Text set by code is handled the same way.
    changes_ = 0;
    box_.SetText(L"zt_executeapp");
    EXPECT_TRUE(ButtonEnabled()) << "names ignore case";
    EXPECT_EQ(changes_, 1);
    box_.SetText(L"zt_executeapp");
    EXPECT_EQ(changes_, 1) << "the same text is no change";

    // Without a registry "..." stays disabled.
    box_.SetCmnd(nullptr);
    EXPECT_FALSE(ButtonEnabled());
}

TEST_F(CommandBoxTest, PickingFromTheListIsAChange) {
    // The arrow keys walk the closed list: each step shows that command.
    const wchar_t* const names[] = {L"zt_ShowHideClock", L"zt_CloseZentik", L"ZT_ExecuteApp"};
    int step = 0;
    for (const wchar_t* name : names) {
        ::SendMessageW(edit_, WM_KEYDOWN, VK_DOWN, 0x01500001);
        ++step;
        EXPECT_EQ(box_.Text(), name);
        EXPECT_EQ(changes_, step);
    }
    EXPECT_TRUE(ButtonEnabled());
    EXPECT_EQ(box_.Hint(), L"Run a program");
}

TEST_F(CommandBoxTest, ButtonAndEnterRunTheEditor) {
    box_.SetText(L"ZT_ExecuteApp c:\\x");
    ASSERT_TRUE(ButtonEnabled());
    changes_ = 0;

    ::SendMessageW(box_.Button(), BM_CLICK, 0, 0);
    EXPECT_EQ(g_editorCalls, 1);
    EXPECT_EQ(g_editorParam, L" c:\\x");
    EXPECT_EQ(box_.Text(), L"ZT_ExecuteApp c:\\chosen1.exe");
    EXPECT_EQ(changes_, 1);

    // Enter in the field clicks "..." instead of the dialog's default button.
    ::SetFocus(edit_);
    ::PostMessageW(edit_, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    EXPECT_TRUE(PumpDialogUntil([] { return g_editorCalls == 2; }));
    EXPECT_EQ(box_.Text(), L"ZT_ExecuteApp c:\\chosen2.exe");
    EXPECT_EQ(HostDialog::Get().okClicks, 0);

    // Without an editor Enter is the dialog's again.
    box_.SetText(L"zt_CloseZentik");
    ::PostMessageW(edit_, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    EXPECT_TRUE(PumpDialogUntil([] { return HostDialog::Get().okClicks == 1; }));
    EXPECT_EQ(g_editorCalls, 2);
    EXPECT_EQ(box_.Text(), L"zt_CloseZentik");
}

TEST_F(CommandBoxTest, ButtonFollowsTheBox) {
    std::optional<TztCommandBox> made(std::in_place);
    ASSERT_TRUE(made->Create(page_.Window(), 200, 20, 70, 150, 120));
    made->SetCmnd(registry_.Interface());
    made->SetText(L"ZT_ExecuteApp");
    HWND button = made->Button();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(::GetParent(button), page_.Window());

    const auto expectBeside = [&](const char* when) {
        const RECT box = RectInParent(made->Window());
        const RECT beside = RectInParent(button);
        const int side = box.bottom - box.top + 2;
        EXPECT_EQ(beside.left, box.right + 5) << when;
        EXPECT_EQ(beside.top, box.top - 1) << when;
        EXPECT_EQ(beside.right - beside.left, side) << when;
        EXPECT_EQ(beside.bottom - beside.top, side) << when;
    };
    expectBeside("created");
    ::MoveWindow(made->Window(), 40, 50, 100, 200, TRUE);
    expectBeside("moved");

    EXPECT_TRUE(::IsWindowVisible(button));
    ::ShowWindow(made->Window(), SW_HIDE);
    EXPECT_FALSE(::IsWindowVisible(button));
    ::ShowWindow(made->Window(), SW_SHOW);
    EXPECT_TRUE(::IsWindowVisible(button));

    EXPECT_TRUE(::IsWindowEnabled(button));
    ::EnableWindow(made->Window(), FALSE);
    EXPECT_FALSE(::IsWindowEnabled(button));
    ::EnableWindow(made->Window(), TRUE);
    EXPECT_TRUE(::IsWindowEnabled(button));

    // The template's box: its window goes, the button goes with it.
    HWND templateButton = box_.Button();
    ::DestroyWindow(box_.Window());
    EXPECT_FALSE(::IsWindow(templateButton));
    EXPECT_EQ(box_.Window(), nullptr);
    // The made box: the object goes, its window and button with it.
    HWND combo = made->Window();
    made.reset();
    EXPECT_FALSE(::IsWindow(combo));
    EXPECT_FALSE(::IsWindow(button));
}

// Pixels of a 32-bit top-down bitmap the items are drawn into.
class ItemCanvas {
public:
    ItemCanvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_.reset(::CreateCompatibleDC(nullptr));
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS,
                                         reinterpret_cast<void**>(&bits_), nullptr, 0));
        select_.emplace(dc_.get(), bitmap_.get());
    }
    HDC dc() const { return dc_.get(); }
    bool Valid() const { return bits_ != nullptr; }

    // The leftmost and rightmost column holding colour; {-1, -1} when none does.
    std::pair<int, int> Columns(COLORREF colour) const {
        ::GdiFlush();
        const DWORD pixel =
            (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        std::pair<int, int> span{-1, -1};
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if ((bits_[y * width_ + x] & 0xFFFFFF) != pixel)
                    continue;
                if (span.first < 0 || x < span.first)
                    span.first = x;
                span.second = std::max(span.second, x);
            }
        }
        return span;
    }

private:
    int width_;
    int height_;
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    DWORD* bits_ = nullptr;
    std::optional<ScopedSelect> select_;
};

TEST_F(CommandBoxTest, ItemShowsTheNameThenTheDescriptionInHotLight) {
    const COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF hot = ::GetSysColor(COLOR_HOTLIGHT);
    ASSERT_NE(text, hot);
    // Whole pixels only: a font drawn without smoothing.
    UniqueFont font(::CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                  DEFAULT_PITCH, L"Tahoma"));
    ::SendMessageW(box_.Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);

    ItemCanvas canvas(320, 20);
    ASSERT_TRUE(canvas.Valid());
    const auto draw = [&] {
        const RECT all{0, 0, 320, 20};
        ::FillRect(canvas.dc(), &all, ::GetSysColorBrush(COLOR_3DFACE));
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_COMBOBOX;
        item.CtlID = IDC_PICKER_COMMAND;
        item.itemID = 2;
        item.itemAction = ODA_DRAWENTIRE;
        item.hwndItem = box_.Window();
        item.hDC = canvas.dc();
        item.rcItem = {0, 0, 320, 20};
        return ::SendMessageW(page_.Window(), WM_DRAWITEM, IDC_PICKER_COMMAND,
                              reinterpret_cast<LPARAM>(&item));
    };
    ASSERT_TRUE(draw());

    int nameEnd = 0;
    int withoutParenthesis = 0;
    int descriptionEnd = 0;
    {
        ScopedSelect select(canvas.dc(), font.get());
        const auto width = [&](const std::wstring& s) {
            SIZE size{};
            ::GetTextExtentPoint32W(canvas.dc(), s.c_str(), static_cast<int>(s.size()), &size);
            return size.cx;
        };
        nameEnd = 2 + width(L"ZT_ExecuteApp");
        withoutParenthesis = nameEnd + width(L" (Run a program");
        descriptionEnd = nameEnd + width(L" (Run a program)");
    }
    const auto name = canvas.Columns(text);
    const auto description = canvas.Columns(hot);
    EXPECT_GE(name.first, 2);
    EXPECT_LT(name.second, nameEnd);
    EXPECT_GE(description.first, nameEnd) << "the description follows the name";
    EXPECT_GE(description.second, withoutParenthesis) << "closed by its parenthesis";
    EXPECT_LT(description.second, descriptionEnd);

    // Without a registry the item is its text alone.
    box_.SetCmnd(nullptr);
    ASSERT_TRUE(draw());
    EXPECT_EQ(canvas.Columns(hot).first, -1);
    EXPECT_EQ(canvas.Columns(text), name);
}

TEST(HotKeyField, KeysTypedThroughTheXServer) {
    PickerPage page;
    ASSERT_TRUE(page.Create());
    TztHotKey field;
    ASSERT_TRUE(field.Attach(page.Item(IDC_PICKER_HOTKEY)));
    int changes = 0;
    field.OnChange = [&] { ++changes; };
    ::SetForegroundWindow(HostDialog::Get().Window());
    ::SetFocus(field.Window());

    RECT rect{};
    ::GetWindowRect(field.Window(), &rect);
    if (!test::RunXdotool(L"mousemove " + std::to_wstring((rect.left + rect.right) / 2) + L" " +
                          std::to_wstring((rect.top + rect.bottom) / 2) +
                          L" click 1 key --delay 30 ctrl+alt+t"))
        GTEST_SKIP() << "xdotool is not available";
    EXPECT_TRUE(PumpDialogUntil([&] { return field.Text() == L"CtrlAltT"; }))
        << "text: " << testing::PrintToString(field.Text());

    ASSERT_TRUE(test::RunXdotool(L"key shift"));
    EXPECT_TRUE(PumpDialogUntil([&] { return field.Text() == L"Shift"; }))
        << "text: " << testing::PrintToString(field.Text());
    EXPECT_EQ(changes, 4) << "Ctrl, CtrlAlt, CtrlAltT, Shift";

    // Tab leaves the field, as in any dialog.
    ASSERT_TRUE(test::RunXdotool(L"key Tab"));
    EXPECT_TRUE(PumpDialogUntil([&] { return ::GetFocus() == page.Item(IDC_PICKER_AFTER); }));
    EXPECT_EQ(field.Text(), L"Shift");

    field.Clear();
    EXPECT_EQ(field.Text(), L"");
    EXPECT_EQ(changes, 5);
}

} // namespace
} // namespace zt
