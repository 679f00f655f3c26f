#include "options/page_opt.h"

#include <commctrl.h>
#include <commdlg.h>

#include <utility>
#include <vector>

#include "common/component_name.h"
#include "common/format_text.h"
#include "common/handles.h"
#include "common/message_box.h"
#include "common/module_window_class.h"
#include "common/system_color.h"
#include "common/window_text.h"
#include "options/color_text.h"
#include "options/page_opt_resource.h"
#include "options/page_texts.h"
#include "options/scheme_text.h"
#include "options/setup_host.h"

namespace zt::options {
namespace {

constexpr TztControlName kControls[] = {
    {IDC_OPT_ALPHA_LABEL, L"lblAlpha"},
    {IDC_OPT_ALPHA, L"AlphaTrack"},
    {IDC_OPT_SHOW_BORDER, L"ShowBorder"},
    {IDC_OPT_SHOW_SECOND, L"ShowSecond"},
    {IDC_OPT_SECOND_FLASH, L"SecondFlash"},
    {IDC_OPT_USE_CUSTOM_DT, L"UseCustomDT"},
    {IDC_OPT_CUSTOM_DTF, L"CustumDTF"},
    {IDC_OPT_ON_TOP, L"ShowAlwaysOnTop"},
    {IDC_OPT_HIDE_MOUSE, L"HideMouse"},
    {IDC_OPT_TRAY, L"cbTrayShow"},
    {IDC_OPT_LOCK, L"Lock"},
    {IDC_OPT_SNAP, L"SnapScreen"},
    {IDC_OPT_LOAD_WITH_WINDOWS, L"LoadWithWindows"},
    {IDC_OPT_LOOK_GROUP, L"gbLook"},
    {IDC_OPT_COLOR_A_LABEL, L"lblColorA"},
    {IDC_OPT_COLOR_A, L"ColorA"},
    {IDC_OPT_COLOR_B_LABEL, L"lblColorB"},
    {IDC_OPT_COLOR_B, L"ColorB"},
    {IDC_OPT_COLOR_F_LABEL, L"lblColorF"},
    {IDC_OPT_COLOR_F, L"ColorF"},
    {IDC_OPT_COLOR_G_LABEL, L"lblColorG"},
    {IDC_OPT_COLOR_G, L"ColorG"},
    {IDC_OPT_HEIGHT_LABEL, L"lblHight"},
    {IDC_OPT_HEIGHT, L"SpEditHight"},
    {IDC_OPT_WIDTH_LABEL, L"lblWidth"},
    {IDC_OPT_WIDTH, L"SpEditWidth"},
    {IDC_OPT_THICKNESS_LABEL, L"lblThicness"},
    {IDC_OPT_THICKNESS, L"SpEditThicness"},
    {IDC_OPT_BORDER_LABEL, L"lblBorder"},
    {IDC_OPT_BORDER, L"SpEditBorder"},
    {IDC_OPT_SCHEME_GROUP, L"gbScheme"},
    {IDC_OPT_SCHEME, L"CBShema"},
    {IDC_OPT_SCHEME_SAVE, L"btnSShem"},
    {IDC_OPT_SCHEME_DELETE, L"btnDShem"},
};

constexpr int kColorButtons[] = {IDC_OPT_COLOR_A, IDC_OPT_COLOR_B, IDC_OPT_COLOR_F,
                                 IDC_OPT_COLOR_G};
constexpr BYTE kColorKinds[] = {lcdActiveColor, lcdInactiveColor, lcdColor, lcdBorderColor};

struct SizeControl {
    int edit;
    int spin;
    BYTE kind;
    int minimum;
    int maximum;
};
// Height is the vertical segment, width the horizontal one.
constexpr SizeControl kSizeControls[] = {
    {IDC_OPT_HEIGHT, IDC_OPT_HEIGHT_SPIN, lcdVertSize, 1, 200},
    {IDC_OPT_WIDTH, IDC_OPT_WIDTH_SPIN, lcdHorzSize, 1, 200},
    {IDC_OPT_THICKNESS, IDC_OPT_THICKNESS_SPIN, lcdThickness, 1, 50},
    {IDC_OPT_BORDER, IDC_OPT_BORDER_SPIN, lcdBorderWidth, 0, 50},
};

struct MenuFlagControl {
    int id;
    ZtValueItem item;
};
constexpr MenuFlagControl kMenuFlagControls[] = {
    {IDC_OPT_ON_TOP, ztvAlwaysOnTop},
    {IDC_OPT_HIDE_MOUSE, ztvHideOnMouseOver},
    {IDC_OPT_LOCK, ztvLocked},
};

std::wstring ProgramFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

bool RunValueExists() {
    return ::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_ANY, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

// The text of a string value, or nothing when it is missing.
bool ReadStringValue(const wchar_t* keyName, const std::wstring& name, std::wstring& text) {
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, keyName, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                       &bytes) != ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, keyName, name.c_str(), RRF_RT_REG_SZ, nullptr,
                       buffer.data(), &bytes) != ERROR_SUCCESS)
        return false;
    text.assign(buffer.data());
    return true;
}

std::vector<std::wstring> ValueNames(const wchar_t* keyName) {
    std::vector<std::wstring> names;
    UniqueKey key;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyName, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return names;
    key.reset(opened);
    std::vector<wchar_t> name(16384); // the longest value name the registry allows, and 1
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        const LSTATUS status = ::RegEnumValueW(key.get(), index, name.data(), &length, nullptr,
                                               nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS)
            names.emplace_back(name.data(), length);
    }
    return names;
}

std::wstring Trimmed(std::wstring text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return {};
    const size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

bool TztPageOpt::Create(HWND parent) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
    if (!CreateModeless(CurrentModule(), IDD_PAGE_OPT, parent))
        return false;
    SetComponentName(Window(), L"pnlOpt");
    return true;
}

void TztPageOpt::Translate() {
    TranslateControls(Window(), host_, kControls);
}

INT_PTR TztPageOpt::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND window = Window();
        NameControls(window, kControls);
        HWND alpha = ::GetDlgItem(window, IDC_OPT_ALPHA);
        ::SendMessageW(alpha, TBM_SETRANGEMIN, FALSE, 0);
        ::SendMessageW(alpha, TBM_SETRANGEMAX, TRUE, 255);
        ::SendMessageW(alpha, TBM_SETPAGESIZE, 0, 16);
        for (const SizeControl& size : kSizeControls)
            ::SendDlgItemMessageW(window, size.spin, UDM_SETRANGE32, size.minimum, size.maximum);
        return FALSE; // a page takes no focus of its own
    }
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == ::GetDlgItem(Window(), IDC_OPT_ALPHA) && !filling_) {
            const auto position =
                static_cast<int>(::SendDlgItemMessageW(Window(), IDC_OPT_ALPHA, TBM_GETPOS, 0, 0));
            if (IZentik* zentik = host_.Zentik())
                zentik->SetValue(ztvAlpha, position);
        }
        return TRUE;
    case WM_DRAWITEM:
        DrawColorButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

bool TztPageOpt::Checked(int id) const {
    return ::IsDlgButtonChecked(Window(), id) == BST_CHECKED;
}

void TztPageOpt::SetChecked(int id, bool checked) {
    ::CheckDlgButton(Window(), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void TztPageOpt::OnCommand(int id, int code) {
    if (filling_)
        return;
    IZentik* zentik = host_.Zentik();
    ICustomZentik* clock = host_.Clock();
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_OPT_SHOW_BORDER:
            ApplyShowBorder(Checked(id));
            return;
        case IDC_OPT_ON_TOP:
            ApplyMenuFlag(kOnTop, Checked(id));
            return;
        case IDC_OPT_HIDE_MOUSE:
            ApplyMenuFlag(kHide, Checked(id));
            return;
        case IDC_OPT_LOCK:
            ApplyMenuFlag(kLock, Checked(id));
            return;
        case IDC_OPT_TRAY:
            if (zentik)
                zentik->SetValue(ztvTrayIcon, Checked(id) ? 1 : 0);
            return;
        case IDC_OPT_SNAP:
            if (zentik)
                zentik->SetValue(ztvScreenSnap, Checked(id) ? 1 : 0);
            return;
        case IDC_OPT_SHOW_SECOND:
            if (clock)
                clock->SetShowSeconds(Checked(id));
            host_.PanelResized();
            return;
        case IDC_OPT_SECOND_FLASH:
            if (clock) {
                clock->SetSecondFlash(Checked(id));
                clock->Refresh();
            }
            return;
        case IDC_OPT_USE_CUSTOM_DT:
            ApplyFormat();
            UpdateFormatControls();
            return;
        case IDC_OPT_LOAD_WITH_WINDOWS:
            SetLoadWithWindows(Checked(id));
            return;
        case IDC_OPT_SCHEME_SAVE:
            SaveScheme();
            return;
        case IDC_OPT_SCHEME_DELETE:
            DeleteScheme();
            return;
        default:
            break;
        }
        for (int slot = 0; slot < kColors; ++slot)
            if (id == kColorButtons[slot])
                PickColor(static_cast<ColorSlot>(slot));
        return;
    }
    if (code == EN_CHANGE) {
        if (id == IDC_OPT_CUSTOM_DTF) {
            ApplyFormat();
            return;
        }
        for (int slot = 0; slot < kSizes; ++slot) {
            if (id != kSizeControls[slot].edit)
                continue;
            BOOL valid = FALSE;
            const UINT value = ::GetDlgItemInt(Window(), id, &valid, FALSE);
            if (valid && value <= 0xFFFF)
                ApplySize(static_cast<SizeSlot>(slot), static_cast<int>(value));
        }
        return;
    }
    if (id == IDC_OPT_SCHEME) {
        HWND box = ::GetDlgItem(Window(), IDC_OPT_SCHEME);
        if (code == CBN_SELCHANGE) {
            const auto index = static_cast<int>(::SendMessageW(box, CB_GETCURSEL, 0, 0));
            if (index >= 0)
                ChooseScheme(index);
        } else if (code == CBN_EDITCHANGE) {
            UpdateSchemeButtons(SchemeName());
        }
    }
}

// ---- Applying ----

void TztPageOpt::ApplyAlpha(int alpha) {
    if (IZentik* zentik = host_.Zentik())
        zentik->SetValue(ztvAlpha, alpha);
    ::SendDlgItemMessageW(Window(), IDC_OPT_ALPHA, TBM_SETPOS, TRUE, alpha);
}

void TztPageOpt::ApplyShowBorder(bool show) {
    SetChecked(IDC_OPT_SHOW_BORDER, show);
    // Without a border the background colour is transparent.
    if (IZentik* zentik = host_.Zentik())
        zentik->SetValue(ztvTransparentMode, show ? 0 : 1);
}

void TztPageOpt::ApplyColor(ColorSlot slot, ZT_COLOR color) {
    if (IztLCDPanel* panel = host_.Panel())
        panel->SetValue(kColorKinds[slot], color);
    if (slot == kColorF)
        if (IZentik* zentik = host_.Zentik())
            zentik->SetValue(ztvTransparentColor, static_cast<INT_PTR>(ResolveColor(color)));
    ::InvalidateRect(::GetDlgItem(Window(), kColorButtons[slot]), nullptr, TRUE);
}

void TztPageOpt::ApplySize(SizeSlot slot, int value) {
    if (IztLCDPanel* panel = host_.Panel())
        panel->SetValue(kSizeControls[slot].kind, value);
    host_.PanelResized();
}

void TztPageOpt::ShowSize(SizeSlot slot, int value) {
    const bool filling = std::exchange(filling_, true);
    ::SetDlgItemInt(Window(), kSizeControls[slot].edit, static_cast<UINT>(value), FALSE);
    filling_ = filling;
}

void TztPageOpt::ApplyMenuFlag(MenuFlag flag, bool value) {
    applied_[flag] = value;
    if (IZentik* zentik = host_.Zentik())
        zentik->SetValue(kMenuFlagControls[flag].item, value ? 1 : 0);
}

void TztPageOpt::ApplyFormat() {
    ICustomZentik* clock = host_.Clock();
    if (!clock)
        return;
    clock->SetCustomFormat(WindowText(::GetDlgItem(Window(), IDC_OPT_CUSTOM_DTF)).c_str());
    clock->SetUseCustomFormat(Checked(IDC_OPT_USE_CUSTOM_DT));
    clock->Refresh();
    host_.PanelResized();
}

// The custom format replaces the seconds switch while it is used.
void TztPageOpt::UpdateFormatControls() {
    const bool custom = Checked(IDC_OPT_USE_CUSTOM_DT);
    ::EnableWindow(::GetDlgItem(Window(), IDC_OPT_SHOW_SECOND), !custom);
    ::EnableWindow(::GetDlgItem(Window(), IDC_OPT_CUSTOM_DTF), custom);
}

ZT_COLOR TztPageOpt::Color(ColorSlot slot) const {
    IztLCDPanel* panel = host_.Panel();
    return panel ? panel->GetValue(kColorKinds[slot]) : 0;
}

void TztPageOpt::PickColor(ColorSlot slot) {
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = ::GetAncestor(Window(), GA_ROOT);
    choose.rgbResult = ResolveColor(Color(slot));
    choose.lpCustColors = customColors_.data();
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (::ChooseColorW(&choose))
        ApplyColor(slot, static_cast<ZT_COLOR>(choose.rgbResult & 0x00FFFFFFu));
}

void TztPageOpt::DrawColorButton(const DRAWITEMSTRUCT& item) const {
    int slot = 0;
    while (slot < kColors && kColorButtons[slot] != static_cast<int>(item.CtlID))
        ++slot;
    if (slot == kColors)
        return;
    RECT rect = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    ::DrawFrameControl(item.hDC, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    RECT swatch = rect;
    ::InflateRect(&swatch, -4, -4);
    if (pushed)
        ::OffsetRect(&swatch, 1, 1);
    if ((item.itemState & ODS_DISABLED) == 0) {
        const UniqueBrush brush(
            ::CreateSolidBrush(ResolveColor(Color(static_cast<ColorSlot>(slot)))));
        if (brush)
            ::FillRect(item.hDC, &swatch, brush.get());
        ::FrameRect(item.hDC, &swatch, ::GetSysColorBrush(COLOR_WINDOWTEXT));
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = rect;
        ::InflateRect(&focus, -2, -2);
        ::DrawFocusRect(item.hDC, &focus);
    }
}

// ---- Start with the system ----

void TztPageOpt::SetLoadWithWindows(bool load) {
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &opened,
                          nullptr) != ERROR_SUCCESS)
        return;
    const UniqueKey key(opened);
    if (!load) {
        ::RegDeleteValueW(key.get(), kRunValue);
        return;
    }
    if (RunValueExists())
        return;
    const std::wstring program = ProgramFileName();
    if (program.empty())
        return;
    ::RegSetValueExW(key.get(), kRunValue, 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(program.c_str()),
                     static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t)));
}

// ---- Colour schemes ----

std::wstring TztPageOpt::SchemeName() const {
    return Trimmed(WindowText(::GetDlgItem(Window(), IDC_OPT_SCHEME)));
}

void TztPageOpt::FillSchemes() {
    HWND box = ::GetDlgItem(Window(), IDC_OPT_SCHEME);
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : ValueNames(kSchemesKey))
        ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    const std::wstring system = host_.Text(L"MISC=SysColorName");
    ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(system.c_str()));
    UpdateSchemeButtons(SchemeName());
}

// Save and delete work on a scheme of the list's own, never on the system-colour entry;
// save also takes a new name typed into the box.
void TztPageOpt::UpdateSchemeButtons(const std::wstring& name) {
    HWND box = ::GetDlgItem(Window(), IDC_OPT_SCHEME);
    const auto count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
    const auto found = static_cast<int>(::SendMessageW(
        box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str())));
    const bool real = !name.empty() && found < count - 1;
    ::EnableWindow(::GetDlgItem(Window(), IDC_OPT_SCHEME_SAVE), real);
    ::EnableWindow(::GetDlgItem(Window(), IDC_OPT_SCHEME_DELETE), real && found >= 0);
}

std::wstring TztPageOpt::SchemeItem(int index) const {
    HWND box = ::GetDlgItem(Window(), IDC_OPT_SCHEME);
    const auto length =
        static_cast<int>(::SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
    if (length < 0)
        return {};
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(length));
    return item;
}

void TztPageOpt::ChooseScheme(int index) {
    HWND box = ::GetDlgItem(Window(), IDC_OPT_SCHEME);
    const auto count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
    const std::wstring name = SchemeItem(index);
    std::wstring text;
    if (index == count - 1)
        ApplyScheme(host_.Text(L"MISC=SchemeSystemColor"));
    else if (ReadStringValue(kSchemesKey, name, text))
        ApplyScheme(text);
    UpdateSchemeButtons(name);
}

void TztPageOpt::ApplyScheme(const std::wstring& text) {
    const SchemeItems items =
        ReadScheme([this, &text](const wchar_t* key) { return host_.Param(key, text); });
    const std::optional<std::int32_t> colors[kColors] = {items.active, items.inactive,
                                                         items.background, items.border};
    for (int slot = 0; slot < kColors; ++slot)
        if (colors[slot])
            ApplyColor(static_cast<ColorSlot>(slot), *colors[slot]);
    const std::optional<int> sizes[kSizes] = {items.height, items.width, items.thickness,
                                              items.borderWidth};
    for (int slot = 0; slot < kSizes; ++slot) {
        if (sizes[slot]) {
            ApplySize(static_cast<SizeSlot>(slot), *sizes[slot]);
            ShowSize(static_cast<SizeSlot>(slot), *sizes[slot]);
        }
    }
    if (items.alpha)
        ApplyAlpha(*items.alpha);
    if (items.showBorder)
        ApplyShowBorder(*items.showBorder);
}

void TztPageOpt::SaveScheme() {
    const std::wstring name = SchemeName();
    HWND box = ::GetDlgItem(Window(), IDC_OPT_SCHEME);
    HWND owner = ::GetAncestor(Window(), GA_ROOT);
    const auto count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
    auto index = static_cast<int>(::SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(name.c_str())));
    if (name.empty() || index == count - 1)
        return; // the system colours are no scheme of the list's own
    if (index >= 0) {
        if (ShowMessageBox(owner, host_.Text(L"Error=ShemExist").c_str(), L"Zentik",
                           MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    } else {
        index = static_cast<int>(
            ::SendMessageW(box, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(name.c_str())));
    }

    Scheme scheme;
    scheme.active = Color(kColorA);
    scheme.inactive = Color(kColorB);
    scheme.background = Color(kColorF);
    scheme.border = Color(kColorG);
    if (IztLCDPanel* panel = host_.Panel()) {
        scheme.height = panel->GetValue(lcdVertSize);
        scheme.width = panel->GetValue(lcdHorzSize);
        scheme.thickness = panel->GetValue(lcdThickness);
        scheme.borderWidth = panel->GetValue(lcdBorderWidth);
    }
    if (IZentik* zentik = host_.Zentik()) {
        scheme.alpha = static_cast<int>(zentik->GetValue(ztvAlpha));
        scheme.showBorder = zentik->GetValue(ztvTransparentMode) == 0;
    }
    const std::wstring text = ComposeScheme(scheme);
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSchemesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &opened, nullptr) == ERROR_SUCCESS) {
        const UniqueKey key(opened);
        ::RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    UpdateSchemeButtons(name);
}

void TztPageOpt::DeleteScheme() {
    const std::wstring name = SchemeName();
    HWND box = ::GetDlgItem(Window(), IDC_OPT_SCHEME);
    const auto count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
    const auto index = static_cast<int>(::SendMessageW(
        box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str())));
    if (name.empty() || index < 0 || index >= count - 1)
        return;
    if (ShowMessageBox(::GetAncestor(Window(), GA_ROOT),
                       FormatText(host_.Text(L"Error=ShemDelete"), {name}).c_str(), L"Zentik",
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kSchemesKey, name.c_str());
    ::SendMessageW(box, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    UpdateSchemeButtons(L"");
}

// ---- Fill and Cancel ----

void TztPageOpt::Fill() {
    filling_ = true;
    IZentik* zentik = host_.Zentik();
    ICustomZentik* clock = host_.Clock();
    IztLCDPanel* panel = host_.Panel();
    if (zentik) {
        start_.alpha = static_cast<int>(zentik->GetValue(ztvAlpha));
        start_.showBorder = zentik->GetValue(ztvTransparentMode) == 0;
        start_.onTop = zentik->GetValue(ztvAlwaysOnTop) != 0;
        start_.hide = zentik->GetValue(ztvHideOnMouseOver) != 0;
        start_.tray = zentik->GetValue(ztvTrayIcon) != 0;
        start_.lock = zentik->GetValue(ztvLocked) != 0;
        start_.snap = zentik->GetValue(ztvScreenSnap) != 0;
    }
    if (clock) {
        start_.showSeconds = clock->GetShowSeconds() != FALSE;
        start_.secondFlash = clock->GetSecondFlash() != FALSE;
        start_.format = ztTakeBstr(clock->GetCustomFormat());
        start_.useFormat = clock->GetUseCustomFormat() != FALSE;
    }
    if (panel) {
        for (int slot = 0; slot < kColors; ++slot)
            start_.colors[slot] = panel->GetValue(kColorKinds[slot]);
        for (int slot = 0; slot < kSizes; ++slot)
            start_.sizes[slot] = panel->GetValue(kSizeControls[slot].kind);
    }
    applied_ = {start_.onTop, start_.hide, start_.lock};

    HWND window = Window();
    ::SendDlgItemMessageW(window, IDC_OPT_ALPHA, TBM_SETPOS, TRUE, start_.alpha);
    SetChecked(IDC_OPT_SHOW_BORDER, start_.showBorder);
    SetChecked(IDC_OPT_ON_TOP, start_.onTop);
    SetChecked(IDC_OPT_HIDE_MOUSE, start_.hide);
    SetChecked(IDC_OPT_TRAY, start_.tray);
    SetChecked(IDC_OPT_LOCK, start_.lock);
    SetChecked(IDC_OPT_SNAP, start_.snap);
    SetChecked(IDC_OPT_SHOW_SECOND, start_.showSeconds);
    SetChecked(IDC_OPT_SECOND_FLASH, start_.secondFlash);
    SetChecked(IDC_OPT_USE_CUSTOM_DT, start_.useFormat);
    ::SetDlgItemTextW(window, IDC_OPT_CUSTOM_DTF, start_.format.c_str());
    UpdateFormatControls();
    for (int slot = 0; slot < kSizes; ++slot)
        ShowSize(static_cast<SizeSlot>(slot), start_.sizes[slot]);
    for (const int button : kColorButtons)
        ::InvalidateRect(::GetDlgItem(window, button), nullptr, TRUE);
    SetChecked(IDC_OPT_LOAD_WITH_WINDOWS, RunValueExists());
    FillSchemes();
    filling_ = false;
}

void TztPageOpt::Cancel() {
    IZentik* zentik = host_.Zentik();
    ICustomZentik* clock = host_.Clock();
    IztLCDPanel* panel = host_.Panel();
    if (zentik)
        zentik->SetValue(ztvAlpha, start_.alpha);
    if (clock) {
        clock->SetShowSeconds(start_.showSeconds);
        clock->SetSecondFlash(start_.secondFlash);
        clock->SetCustomFormat(start_.format.c_str());
        clock->SetUseCustomFormat(start_.useFormat);
    }
    if (panel) {
        for (int slot = 0; slot < kColors; ++slot)
            panel->SetValue(kColorKinds[slot], start_.colors[slot]);
        for (int slot = 0; slot < kSizes; ++slot)
            panel->SetValue(kSizeControls[slot].kind, start_.sizes[slot]);
    }
    if (zentik) {
        zentik->SetValue(ztvTransparentMode, start_.showBorder ? 0 : 1);
        zentik->SetValue(ztvTransparentColor,
                         static_cast<INT_PTR>(ResolveColor(start_.colors[kColorF])));
        // A flag whose box no longer shows what this page applied was toggled from the
        // clock's menu meanwhile: that choice stays.
        const bool startFlags[kMenuFlags] = {start_.onTop, start_.hide, start_.lock};
        const auto restoreFlag = [&](MenuFlag flag) {
            if (Checked(kMenuFlagControls[flag].id) == applied_[flag])
                zentik->SetValue(kMenuFlagControls[flag].item, startFlags[flag] ? 1 : 0);
        };
        restoreFlag(kOnTop);
        restoreFlag(kHide);
        zentik->SetValue(ztvTrayIcon, start_.tray ? 1 : 0);
        restoreFlag(kLock);
        zentik->SetValue(ztvScreenSnap, start_.snap ? 1 : 0);
    }
    if (clock)
        clock->Refresh();
}

std::unique_ptr<TztSetupPage> CreatePageOpt(TztSetupHost& host) {
    return std::make_unique<TztPageOpt>(host);
}

} // namespace zt::options
