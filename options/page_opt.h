#pragma once
// TztPageOpt, the "Opt" page (panel "pnlOpt"): alpha, border, seconds, the custom
// date-time format, the window flags, the LCD colours and sizes, start with the system and
// colour schemes. Every control applies its change to the clock at once; Cancel writes the
// values found by Fill back, except the always-on-top, hide and lock flags that the clock's
// menu toggled while the dialog was open (the menu sets their check boxes with BM_SETCHECK).
//
// Start with the system: the value "Zentik" of the current user's Run key (kRunKey), holding
// the program's full file name. Colour schemes: string values of kSchemesKey, read and
// written as options/scheme_text.h says; the last entry of the list applies the language's
// system-colour scheme.

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "common/window_impl.h"
#include "options/setup_page.h"
#include "zentik/ztZentikInterface.h"

namespace zt::options {

class TztSetupHost;

inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Zentik";
inline constexpr wchar_t kSchemesKey[] = L"SOFTWARE\\Ombrelt\\Zentik\\Schemes";

class TztPageOpt final : public TztSetupPage, public DialogImpl<TztPageOpt> {
public:
    explicit TztPageOpt(TztSetupHost& host) : host_(host) {}

    const wchar_t* Name() const override { return L"Opt"; }
    bool Create(HWND parent) override;
    HWND Panel() const override { return Window(); }
    void Translate() override;
    void Fill() override;
    void Cancel() override;

private:
    friend class DialogImpl<TztPageOpt>;

    // The flags the clock's menu can toggle too.
    enum MenuFlag { kOnTop, kHide, kLock, kMenuFlags };

    // The LCD colours in the order of their buttons: active, inactive, background, border.
    enum ColorSlot { kColorA, kColorB, kColorF, kColorG, kColors };
    // The LCD sizes in the order of their edits: height, width, thickness, border width.
    enum SizeSlot { kHeight, kWidth, kThickness, kBorderWidth, kSizes };

    struct StartValues {
        int alpha = 255;
        bool showSeconds = true;
        bool secondFlash = true;
        std::wstring format;
        bool useFormat = false;
        std::array<ZT_COLOR, kColors> colors{};
        std::array<int, kSizes> sizes{};
        bool showBorder = true;
        bool onTop = false;
        bool hide = false;
        bool tray = false;
        bool lock = false;
        bool snap = false;
    };

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);

    void ApplyAlpha(int alpha);
    void ApplyShowBorder(bool show);
    void ApplyColor(ColorSlot slot, ZT_COLOR color);
    void ApplySize(SizeSlot slot, int value);
    void ApplyMenuFlag(MenuFlag flag, bool value);
    void ApplyFormat();
    void UpdateFormatControls();
    void ShowSize(SizeSlot slot, int value);
    ZT_COLOR Color(ColorSlot slot) const;
    void PickColor(ColorSlot slot);
    void DrawColorButton(const DRAWITEMSTRUCT& item) const;

    void SetLoadWithWindows(bool load);

    void FillSchemes();
    std::wstring SchemeName() const;
    std::wstring SchemeItem(int index) const;
    void UpdateSchemeButtons(const std::wstring& name);
    void ChooseScheme(int index);
    void ApplyScheme(const std::wstring& text);
    void SaveScheme();
    void DeleteScheme();

    TztSetupHost& host_;
    StartValues start_;
    // The state of each menu flag this page last applied or found.
    std::array<bool, kMenuFlags> applied_{};
    // Set while the page writes its own controls (and until Fill), so their notifications
    // change nothing.
    bool filling_ = true;
    std::array<COLORREF, 16> customColors_{};
};

std::unique_ptr<TztSetupPage> CreatePageOpt(TztSetupHost& host);

} // namespace zt::options
