#include "facet_plugin.h"

#include <utility>

#include "common/system_color.h"
#include "facet_page.h"
#include "plugin_identity.h"

namespace zt {
namespace {

constexpr wchar_t kName[] = L"Facet.Zentik";

} // namespace

void STDMETHODCALLTYPE DrawStyledChar(IUnknown* panel, WORD index, WORD, HBITMAP glyph) {
    try {
        if (TztPlgFacet* plugin = ztPluginObjectAs<TztPlgFacet>())
            plugin->DrawChar(panel, index, glyph);
    } catch (...) {
        ztDebugCaught(L"Facet draw hook");
    }
}

TztPlgFacet::TztPlgFacet(std::wstring keyPath) : keyPath_(std::move(keyPath)) {
    OnInitialize = [this](TztPlugin&, bool&) { Initialise(); };
    OnFinalize = [this](TztPlugin&, bool&) { Finalise(); };
    // The page exists while the options dialog is open: Configure selects it there.
    OnConfigure = [this](TztPlugin&) {
        if (page_ && page_->Window()) {
            if (const TztComRef<IZentikAPI> api = ztGetAPI())
                api->AddSetupPage(page_->Window(), static_cast<IztPlugin*>(this));
        }
    };
}

TztPlgFacet::~TztPlgFacet() {
    Finalise();
}

BSTR STDMETHODCALLTYPE TztPlgFacet::GetName() {
    return ::SysAllocString(kName);
}
BSTR STDMETHODCALLTYPE TztPlgFacet::GetAuthor() {
    return ::SysAllocString(kPluginAuthor);
}
BSTR STDMETHODCALLTYPE TztPlgFacet::GetNotice() {
    return PluginNotice(LangBstr(L"Notice"));
}

void TztPlgFacet::Initialise() {
    panel_ = ztGetHostInterface<IztLCDPanel>(ztiLCDPanel, IID_IztLCDPanel);
    if (!panel_)
        return; // inert: no page, no messages
    settings_ = LoadFacetSettings(keyPath_);
    // Set before the base subscribes the options dialog's messages.
    OnCreateSetupPage = [this](TztPlugin&, HWND dialog) { return CreatePage(dialog); };
    OnSetupClosed = [this](TztPlugin&, bool ok) { SetupClosed(ok); };
    ApplyStyle(settings_.active);
}

// Safe to repeat.
void TztPlgFacet::Finalise() noexcept {
    if (finalised_)
        return;
    finalised_ = true;
    try {
        ClosePage();
        if (panel_)
            ApplyStyle(false);
    } catch (...) {
        ztDebugCaught(L"Facet finalisation");
    }
    painter_.Release();
    panel_.reset();
}

void TztPlgFacet::ApplyStyle(bool on) {
    if (!panel_)
        return;
    if (const auto events =
            TztComRef<IztLCDPanel_Events>::Query(panel_.get(), IID_IztLCDPanel_Events))
        events->SetDrawHook(on ? &DrawStyledChar : nullptr);
    if (!on)
        painter_.Release();
    panel_->Rebuild();
}

void TztPlgFacet::Redraw() {
    if (panel_)
        panel_->Rebuild();
}

void TztPlgFacet::DrawChar(IUnknown* panel, WORD index, HBITMAP glyph) {
    const auto lcd = TztComRef<IztLCDPanel>::Query(panel, IID_IztLCDPanel);
    IztLCDPanel* source = lcd ? lcd.get() : panel_.get();
    BITMAP size{};
    if (!source || !::GetObjectW(glyph, sizeof(size), &size))
        return;
    const std::wstring text = ztTakeBstr(source->GetText());
    const wchar_t ch = index < text.size() ? text[index] : L' ';
    FacetLook look;
    look.face = settings_.font;
    look.style = settings_.style;
    look.width = size.bmWidth;
    look.height = size.bmHeight;
    look.foreground = ResolveColor(source->GetValue(lcdActiveColor));
    look.background = ResolveColor(source->GetValue(lcdColor));
    painter_.Paint(glyph, ch, look);
}

HWND TztPlgFacet::CreatePage(HWND dialog) {
    page_.reset();
    auto page = std::make_unique<TFacetPage>(
        *this, [this](const std::wstring& key) { return LangText(key.c_str()); });
    if (!page->Create(dialog))
        return nullptr;
    initial_ = settings_;
    // What the picker shows for the stored name; the default face (no name) stays unnamed.
    if (!settings_.font.empty())
        initial_.font = page->PickedFont();
    page_ = std::move(page);
    return page_->Window();
}

void TztPlgFacet::SetupClosed(bool ok) {
    if (!page_)
        return;
    if (!ok) {
        constexpr int kEdited = kFacetBold | kFacetItalic;
        settings_.active = initial_.active;
        settings_.font = initial_.font;
        settings_.style = (settings_.style & ~kEdited) | (initial_.style & kEdited);
        ApplyStyle(settings_.active);
    }
    ClosePage();
}

// Closing the page stores the settings.
void TztPlgFacet::ClosePage() {
    if (!page_)
        return;
    page_.reset();
    SaveFacetSettings(keyPath_, settings_);
}

} // namespace zt
