// The Facet plug-in under Wine on a real LCD panel with the fake host: the characters it
// paints (colours, a wide character squeezed, a narrow one centred), unloading, the
// settings page with Cancel and OK, and GDI objects over many repaints.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/component_name.h"
#include "common/handles.h"
#include "common/window_text.h"
#include "display/display_test_support.h"
#include "display/lcd_panel.h"
#include "facet_plugin.h"
#include "facet_settings.h"
#include "tests/plugins/fake_host.h"
#include "zentik/ztPlugin.h"

namespace zt::test {
namespace {

using zt::testing::Canvas;
using zt::testing::PenHeadroom;

constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikTests\\Facet.Zentik";
constexpr COLORREF kLit = RGB(255, 0, 0);
constexpr COLORREF kUnlit = RGB(0, 200, 0);
constexpr COLORREF kBack = RGB(0, 0, 255);
constexpr COLORREF kBorder = RGB(255, 255, 0);
// The clock's geometry: a 3-pixel frame, glyphs of 19 x 29, cells 25 pixels apart, all
// inside a border of 2.
constexpr int kGlyphWidth = 19;
constexpr int kGlyphHeight = 29;
constexpr int kGlyphLeft = 2 + 3;
constexpr int kGlyphTop = 2 + 3;
constexpr int kCellWidth = 25;

void DeleteTestKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ombrelt\\ZentikTests");
}

int TextWidth(const std::wstring& face, int style, wchar_t ch) {
    LOGFONTW logFont{};
    logFont.lfHeight = kGlyphHeight;
    logFont.lfWeight = (style & kFacetBold) ? FW_BOLD : FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    std::copy_n(face.begin(), std::min<size_t>(face.size(), LF_FACESIZE - 1), logFont.lfFaceName);
    const UniqueFont font(::CreateFontIndirectW(&logFont));
    const UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.get(), font.get());
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), &ch, 1, &size);
    return size.cx;
}

int CALLBACK AddTrueType(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM names) {
    if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != L'@')
        reinterpret_cast<std::set<std::wstring>*>(names)->insert(font->lfFaceName);
    return 1;
}

// An installed face whose "W" is wider than the clock's glyph and whose "I" is narrower.
std::wstring WideFace() {
    std::set<std::wstring> names;
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    const WindowDc screen(nullptr);
    ::EnumFontFamiliesExW(screen.get(), &all, &AddTrueType, reinterpret_cast<LPARAM>(&names), 0);
    for (const std::wstring& name : names)
        if (TextWidth(name, 0, L'W') > kGlyphWidth + 2 &&
            TextWidth(name, 0, L'I') < kGlyphWidth - 6)
            return name;
    return {};
}

class FacetPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeZentik& host = FakeZentik::Get();
        host.Reset();
        host.language = static_cast<IztLanguageMan*>(&language);
        DeleteTestKey();
        panel = MakePanel(10);
        ASSERT_NE(panel, nullptr);
        host.panel = panel->Unknown();
    }

    void TearDown() override {
        Unload();
        panel.reset();
        DeleteTestKey();
        FakeZentik::Get().Reset();
    }

    // A panel with the clock's sizes (Horzsize horz) and distinct colours.
    static std::unique_ptr<TztLCDPanel> MakePanel(int horz) {
        auto made = TztLCDPanel::Create(FakeZentik::Get().Window(), 0, 0);
        if (!made)
            return made;
        TztLED& led = made->GetLED();
        led.SetThickness(3);
        led.SetHorzsize(static_cast<std::uint16_t>(horz));
        led.SetVertsize(7);
        led.SetActiveColor(kLit);
        led.SetInActiveColor(kUnlit);
        made->SetColor(kBack);
        made->SetBorderColor(kBorder);
        made->SetBorderWidth(2);
        made->SetAutoSize(TRUE);
        made->SetCaption(L"12:34");
        return made;
    }

    void Store(const std::wstring& font, int style, bool active) {
        ASSERT_TRUE(SaveFacetSettings(kTestKey, {font, style, active}));
    }

    void Load() {
        object = new TztPlgFacet(kTestKey);
        ztSetPluginObject(object); // as ztRegisterPlugin does: the hook finds it
        object->AddRef();
        plugin = object;
        ASSERT_EQ(plugin->Initialize(&manager), TRUE);
    }

    void Unload() {
        if (plugin)
            plugin->Finalize();
        plugin = nullptr;
        object = nullptr;
    }

    static std::unique_ptr<Canvas> Paint(TztLCDPanel& target) {
        auto canvas = std::make_unique<Canvas>(target.Width(), target.Height(), RGB(1, 2, 3));
        target.PaintTo(canvas->dc());
        return canvas;
    }

    std::vector<COLORREF> Pixels() {
        const auto canvas = Paint(*panel);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < canvas->height(); ++y)
            for (int x = 0; x < canvas->width(); ++x)
                pixels.push_back(canvas->Pixel(x, y));
        return pixels;
    }

    // The ink columns [first, last] of the glyph of cell; {-1, -1} when blank.
    static std::pair<int, int> InkColumns(const Canvas& canvas, int cell) {
        int first = -1, last = -1;
        for (int x = 0; x < kGlyphWidth; ++x) {
            const int left = kGlyphLeft + kCellWidth * cell + x;
            if (!canvas.AreaIs(left, kGlyphTop, left + 1, kGlyphTop + kGlyphHeight, kBack)) {
                first = first < 0 ? x : first;
                last = x;
            }
        }
        return {first, last};
    }

    FakeLanguage language;
    FakePluginMan manager;
    std::unique_ptr<TztLCDPanel> panel;
    TztPlgFacet* object = nullptr;
    IztPlugin* plugin = nullptr;
};

TEST_F(FacetPluginTest, TheOptionsMessagesAreHeardWithAPanelNothingWithout) {
    Load();
    EXPECT_EQ(ztTakeBstr(plugin->GetCaption()), L"Facet.Zentik/Caption");
    std::vector<int> messages;
    for (const auto& subscription : manager.subscriptions)
        messages.push_back(subscription.msg);
    std::sort(messages.begin(), messages.end());
    EXPECT_EQ(messages, (std::vector<int>{msgSetupCreated, msgSetupClosed}));
    EXPECT_EQ(panel->GetDrawHook(), nullptr) << "the style is off by default";
    Unload();
    EXPECT_TRUE(manager.subscriptions.empty());

    Store(L"", 0, true);
    FakeZentik::Get().panel = nullptr;
    Load();
    EXPECT_TRUE(manager.subscriptions.empty());
    EXPECT_EQ(panel->GetDrawHook(), nullptr);
}

TEST_F(FacetPluginTest, TheDefaultFaceDrawsInTheActiveColourOnTheBackground) {
    Store(L"", 0, true);
    Load();
    EXPECT_EQ(panel->GetDrawHook(), &DrawStyledChar);
    panel->SetCaption(L"8");
    const auto canvas = Paint(*panel);
    const int right = kGlyphLeft + kGlyphWidth;
    const int bottom = kGlyphTop + kGlyphHeight;
    EXPECT_GT(canvas->Count(kGlyphLeft, kGlyphTop, right, bottom, kLit), 20);
    EXPECT_GT(canvas->Count(kGlyphLeft, kGlyphTop, right, bottom, kBack), 200);
    // Edges may blend the two colours (neither has green); no unlit segment shows.
    for (int y = kGlyphTop; y < bottom; ++y)
        for (int x = kGlyphLeft; x < right; ++x)
            ASSERT_EQ(GetGValue(canvas->Pixel(x, y)), 0) << x << "," << y;
    EXPECT_TRUE(canvas->AreaIs(2, 2, 2 + kCellWidth, kGlyphTop, kBack)) << "the frame";
}

TEST_F(FacetPluginTest, AWideCharacterIsSqueezedIntoTheGlyphANarrowOneCentred) {
    const std::wstring face = WideFace();
    ASSERT_FALSE(face.empty()) << "no installed face has a W wider than the glyph";
    const int w = TextWidth(face, 0, L'W');
    Store(face, 0, true);
    Load();
    panel->SetCaption(L"WI");
    const auto squeezed = Paint(*panel);

    // The same W unsqueezed, centred in a glyph wide enough for it.
    const auto wide = MakePanel(w + 10);
    wide->SetCaption(L"W");
    wide->SetDrawHook(&DrawStyledChar);
    wide->Rebuild();
    const int wideGlyph = wide->GetValue(lcdGlyphWidth);
    ASSERT_GT(wideGlyph, w);
    const auto whole = Paint(*wide);
    // Its w + 1 columns from the letter's origin, squeezed to the glyph's 19.
    Canvas expected(kGlyphWidth, kGlyphHeight, RGB(1, 2, 3));
    ::SetStretchBltMode(expected.dc(), COLORONCOLOR);
    ::StretchBlt(expected.dc(), 0, 0, kGlyphWidth, kGlyphHeight, whole->dc(),
                 kGlyphLeft + (wideGlyph - w) / 2, kGlyphTop, w + 1, kGlyphHeight, SRCCOPY);
    for (int y = 0; y < kGlyphHeight; ++y)
        for (int x = 0; x < kGlyphWidth; ++x)
            ASSERT_EQ(squeezed->Pixel(kGlyphLeft + x, kGlyphTop + y), expected.Pixel(x, y))
                << x << "," << y;
    const auto [first, last] = InkColumns(*squeezed, 0);
    EXPECT_LE(first, 2);
    EXPECT_GE(last, kGlyphWidth - 3);

    const auto [left, right] = InkColumns(*squeezed, 1);
    ASSERT_GE(left, 3) << "the I is narrow";
    EXPECT_NEAR(left, kGlyphWidth - 1 - right, 1) << "centred";
}

TEST_F(FacetPluginTest, UnloadingWithTheStyleActiveGivesTheSegmentsBack) {
    const std::vector<COLORREF> segments = Pixels();
    Store(L"", kFacetBold, true);
    Load();
    EXPECT_NE(Pixels(), segments);
    Unload();
    EXPECT_EQ(panel->GetDrawHook(), nullptr);
    EXPECT_EQ(Pixels(), segments);
}

// The page as the options dialog gets it, its controls clicked.
class FacetPageTest : public FacetPluginTest {
protected:
    void OpenPage() {
        dialog.reset(::CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_POPUP, 0, 0, 400,
                                       300, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                       nullptr));
        page = object->OnCreateSetupPage(*object, dialog.get());
        ASSERT_NE(page, nullptr);
    }
    HWND Control(const wchar_t* name) {
        HWND control = FindComponent(page, name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(const wchar_t* name) { ::SendMessageW(Control(name), BM_CLICK, 0, 0); }
    void Pick(const std::wstring& face) {
        HWND picker = Control(L"FntCB");
        const LRESULT index = ::SendMessageW(picker, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(face.c_str()));
        ASSERT_NE(index, CB_ERR) << "the picker lists " << ::testing::PrintToString(face);
        ::SendMessageW(picker, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(picker), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(picker));
    }
    // Opens the page on the default face, ticks bold and picks another face.
    std::vector<COLORREF> ChangeLook() {
        Store(L"", 0, true);
        Load();
        initial = Pixels();
        OpenPage();
        EXPECT_EQ(WindowText(Control(L"cbBold")), L"Facet.Zentik/cbBold");
        EXPECT_EQ(::SendMessageW(Control(L"cbUseStyle"), BM_GETCHECK, 0, 0), BST_CHECKED);
        Click(L"cbBold");
        face = WideFace();
        Pick(face);
        EXPECT_EQ(WindowText(Control(L"L3")), face);
        return Pixels();
    }

    UniqueWindow dialog;
    HWND page = nullptr;
    std::vector<COLORREF> initial;
    std::wstring face;
};

TEST_F(FacetPageTest, CancelRestoresTheEarlierLookAndStoresTheEarlierValues) {
    const std::vector<COLORREF> changed = ChangeLook();
    EXPECT_NE(changed, initial) << "changes show at once";
    manager.Broadcast(msgSetupClosed, 0, 0);
    EXPECT_EQ(object->Page(), nullptr);
    EXPECT_EQ(Pixels(), initial);
    EXPECT_EQ(LoadFacetSettings(kTestKey), (FacetSettings{L"", 0, true}));
}

TEST_F(FacetPageTest, OkKeepsTheNewLookAndStoresIt) {
    const std::vector<COLORREF> changed = ChangeLook();
    manager.Broadcast(msgSetupClosed, 1, 0);
    EXPECT_EQ(object->Page(), nullptr);
    EXPECT_EQ(Pixels(), changed);
    EXPECT_EQ(LoadFacetSettings(kTestKey), (FacetSettings{face, kFacetBold, true}));
}

TEST_F(FacetPluginTest, RepaintsAndUnloadingLeakNoGdiObject) {
    const std::wstring face = WideFace();
    Store(L"", 0, true);
    const auto repaint = [&](int count) {
        for (int i = 0; i < count; ++i) {
            wchar_t text[16];
            ::swprintf(text, 16, L"%02d:%02d:%02dW", i / 3600 % 24, i / 60 % 60, i % 60);
            panel->SetCaption(text);
            if (i % 50 == 0) { // another look: the kept glyphs are dropped
                object->Settings().font = i % 100 ? face : L"";
                panel->SetValue(lcdActiveColor, i % 100 ? static_cast<int>(kLit) : 0x00FFFF);
            }
            Paint(*panel);
        }
    };
    const int beforeLoad = PenHeadroom();
    Load();
    repaint(60); // ends with every digit, ":" and "W" kept in the look that 3600 repaints end with
    const int before = PenHeadroom();
    repaint(3600); // an hour of seconds
    EXPECT_EQ(PenHeadroom(), before);
    EXPECT_LE(object->Painter().CachedGlyphs(), TztFacetPainter::kCachedGlyphs);
    Unload();
    EXPECT_EQ(PenHeadroom(), beforeLoad) << "the kept glyphs, font and DCs are freed";
}

} // namespace
} // namespace zt::test
