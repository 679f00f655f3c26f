#pragma once
// TztPlgFacet: draws the clock's characters in a font instead of LED segments. While the
// style is active it installs a draw hook into the LED renderer of the clock's LCD panel
// (IztLCDPanel_Events::SetDrawHook); the hook paints each character in the chosen face and
// style, in the panel's active LED colour on its LED background colour, centred in the
// glyph or squeezed into it when wider (TztFacetPainter keeps the rendered glyphs).
//
// Without an LCD panel from the host the plug-in stays loaded and does nothing. Its page
// in the options dialog applies changes at once; Cancel restores the earlier style, and
// closing the page stores the settings. GUI thread only.

#include <windows.h>

#include <memory>
#include <string>

#include "facet_painter.h"
#include "facet_settings.h"
#include "zentik/ztPlugin.h"

namespace zt {

class TFacetPage;

class TztPlgFacet final : public TztPlugin {
public:
    explicit TztPlgFacet(std::wstring keyPath = kFacetSettingsKey);
    ~TztPlgFacet() override;

    BSTR STDMETHODCALLTYPE GetName() override;
    BSTR STDMETHODCALLTYPE GetCaption() override { return LangBstr(L"Caption"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"2.1"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override;
    BSTR STDMETHODCALLTYPE GetNotice() override;
    BSTR STDMETHODCALLTYPE GetDescription() override { return LangBstr(L"Description"); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }

    // The settings in force; the page changes them and then calls Redraw or ApplyStyle.
    FacetSettings& Settings() noexcept { return settings_; }
    // Installs (on) or removes the draw hook, then rebuilds the panel.
    void ApplyStyle(bool on);
    // Repaints the panel with the settings in force.
    void Redraw();

    // The hook's work: paints character index of the panel's text into glyph.
    void DrawChar(IUnknown* panel, WORD index, HBITMAP glyph);
    const TztFacetPainter& Painter() const noexcept { return painter_; }
    // The settings page while it exists.
    TFacetPage* Page() const noexcept { return page_.get(); }

private:
    void Initialise();
    void Finalise() noexcept;
    HWND CreatePage(HWND dialog);
    void SetupClosed(bool ok);
    void ClosePage();

    std::wstring keyPath_;
    FacetSettings settings_;
    FacetSettings initial_; // when the page opened
    TztComRef<IztLCDPanel> panel_;
    TztFacetPainter painter_;
    bool finalised_ = false;
    std::unique_ptr<TFacetPage> page_;
};

// The draw hook (ZT_DRAW_HOOK) installed while the style is active.
void STDMETHODCALLTYPE DrawStyledChar(IUnknown* panel, WORD index, WORD code, HBITMAP glyph);

} // namespace zt
