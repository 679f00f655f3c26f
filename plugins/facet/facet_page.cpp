#include "facet_page.h"

#include <algorithm>
#include <set>
#include <span>
#include <utility>

#include "common/component_name.h"
#include "common/control_texts.h"
#include "common/handles.h"
#include "common/module_window_class.h"
#include "facet_page_resource.h"
#include "facet_plugin.h"

namespace zt {
namespace {

// The captioned controls first.
constexpr TztControlName kControls[] = {
    {IDC_USE_STYLE, L"cbUseStyle"}, {IDC_LFONT, L"lFont"}, {IDC_BOLD, L"cbBold"},
    {IDC_ITALIC, L"cbItalic"},      {IDC_L3, L"L3"},       {IDC_FONTS, L"FntCB"},
};
constexpr std::span<const TztControlName> kCaptioned = std::span(kControls).first(4);

constexpr int kPageWidth = 332;
constexpr int kPageHeight = 224;
constexpr int kPickerFontHeight = 19;
constexpr int kPickerItemHeight = 23;

bool Checked(HWND page, int id) {
    return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

int CALLBACK AddFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM names) {
    if (font->lfFaceName[0] != L'@') // the vertical forms of East Asian faces
        reinterpret_cast<std::set<std::wstring>*>(names)->insert(font->lfFaceName);
    return 1;
}

} // namespace

TFacetPage::TFacetPage(TztPlgFacet& plugin, TextSource text)
    : plugin_(plugin), text_(std::move(text)) {}

TFacetPage::~TFacetPage() {
    DestroyWindowNow();
}

bool TFacetPage::Create(HWND parent) {
    if (!CreateModeless(CurrentModule(), IDD_FACET_PAGE, parent))
        return false;
    SetComponentName(Window(), L"FConfig");
    ::SetWindowPos(Window(), nullptr, 0, 0, kPageWidth, kPageHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

std::wstring TFacetPage::PickedFont() const {
    HWND picker = ::GetDlgItem(Window(), IDC_FONTS);
    const LRESULT index = ::SendMessageW(picker, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return {};
    const LRESULT length = ::SendMessageW(picker, CB_GETLBTEXTLEN, index, 0);
    std::wstring name(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
    ::SendMessageW(picker, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name.data()));
    return name;
}

INT_PTR TFacetPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPage();
        return FALSE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_FONTS)
            return FALSE;
        DrawFontItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void TFacetPage::InitPage() {
    HWND page = Window();
    NameControls(page, kControls);
    if (text_)
        TranslateControls(page, kCaptioned, text_);
    HWND picker = ::GetDlgItem(page, IDC_FONTS);
    ::SendMessageW(picker, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kPickerItemHeight);
    ::SendMessageW(picker, CB_SETITEMHEIGHT, 0, kPickerItemHeight);
    FillFonts();
    const FacetSettings& settings = plugin_.Settings();
    const LRESULT index = settings.font.empty()
                              ? CB_ERR
                              : ::SendMessageW(picker, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(settings.font.c_str()));
    ::SendMessageW(picker, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : index, 0);
    ::SetDlgItemTextW(page, IDC_L3, PickedFont().c_str());
    ::CheckDlgButton(page, IDC_USE_STYLE, settings.active ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(page, IDC_BOLD, (settings.style & kFacetBold) ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(page, IDC_ITALIC,
                     (settings.style & kFacetItalic) ? BST_CHECKED : BST_UNCHECKED);
}

void TFacetPage::FillFonts() {
    std::set<std::wstring> names;
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    const WindowDc screen(nullptr);
    ::EnumFontFamiliesExW(screen.get(), &all, &AddFamily, reinterpret_cast<LPARAM>(&names), 0);
    HWND picker = ::GetDlgItem(Window(), IDC_FONTS);
    ::SendMessageW(picker, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : names)
        ::SendMessageW(picker, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

// Each face's name in that face.
void TFacetPage::DrawFontItem(const DRAWITEMSTRUCT& item) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem,
               ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1))
        return;
    const LRESULT length = ::SendMessageW(item.hwndItem, CB_GETLBTEXTLEN, item.itemID, 0);
    std::wstring name(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
    ::SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(name.data()));
    LOGFONTW face{};
    face.lfHeight = kPickerFontHeight;
    face.lfCharSet = DEFAULT_CHARSET;
    std::copy_n(name.begin(), std::min(name.size(), static_cast<size_t>(LF_FACESIZE - 1)),
                face.lfFaceName);
    const UniqueFont font(::CreateFontIndirectW(&face));
    ScopedSelect select(item.hDC, font.get());
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ::SetBkMode(item.hDC, TRANSPARENT);
    RECT text = item.rcItem;
    text.left += 2;
    ::DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS)
        ::DrawFocusRect(item.hDC, &item.rcItem);
}

void TFacetPage::OnCommand(int id, int code) {
    HWND page = Window();
    FacetSettings& settings = plugin_.Settings();
    switch (id) {
    case IDC_USE_STYLE: {
        const bool on = Checked(page, id);
        if (!settings.active && on)
            plugin_.ApplyStyle(true);
        else if (!on)
            plugin_.ApplyStyle(false);
        settings.active = on;
        break;
    }
    case IDC_BOLD:
    case IDC_ITALIC: {
        const int bit = id == IDC_BOLD ? kFacetBold : kFacetItalic;
        settings.style = Checked(page, id) ? settings.style | bit : settings.style & ~bit;
        plugin_.Redraw();
        break;
    }
    case IDC_FONTS:
        if (code == CBN_SELCHANGE) {
            settings.font = PickedFont();
            ::SetDlgItemTextW(page, IDC_L3, settings.font.c_str());
            plugin_.Redraw();
        }
        break;
    default:
        break;
    }
}

} // namespace zt
