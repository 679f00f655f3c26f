#pragma once
// TFacetPage: the Facet plug-in's page in the options dialog (component "FConfig"), a
// DS_CONTROL child dialog: the style on or off, the face (a list of the installed font
// families, each name drawn in its own face), bold and italic. Every change goes into the
// plug-in's settings and onto the clock at once. GUI thread only.

#include <windows.h>

#include <functional>
#include <string>

#include "common/window_impl.h"

namespace zt {

class TztPlgFacet;

class TFacetPage final : public DialogImpl<TFacetPage> {
public:
    using TextSource = std::function<std::wstring(const std::wstring& key)>;

    TFacetPage(TztPlgFacet& plugin, TextSource text);
    ~TFacetPage();

    // Creates the hidden page in parent with its captions translated and its controls
    // showing the plug-in's settings; false on failure.
    bool Create(HWND parent);
    // The face selected in the picker; empty when none is.
    std::wstring PickedFont() const;

private:
    friend class DialogImpl<TFacetPage>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void InitPage();
    void FillFonts();
    void DrawFontItem(const DRAWITEMSTRUCT& item);
    void OnCommand(int id, int code);

    TztPlgFacet& plugin_;
    TextSource text_;
};

} // namespace zt
