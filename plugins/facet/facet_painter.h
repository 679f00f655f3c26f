#pragma once
// TztFacetPainter: paints characters in a font into the glyph bitmaps of the LED renderer.
// Each character is rendered once per look (face, style, glyph size, colours) and kept;
// painting it again is one bitmap copy. The kept glyphs are bounded (FacetGlyphCache) and
// freed with Release or the painter. GUI thread only.

#include <windows.h>

#include <cstddef>

#include "common/handles.h"
#include "facet_glyph.h"

namespace zt {

class TztFacetPainter {
public:
    static constexpr std::size_t kCachedGlyphs = 128;

    TztFacetPainter() = default;
    TztFacetPainter(const TztFacetPainter&) = delete;
    TztFacetPainter& operator=(const TztFacetPainter&) = delete;

    // Paints ch in look over the whole of glyph, a bitmap of look.width x look.height that
    // is selected into no DC.
    void Paint(HBITMAP glyph, wchar_t ch, const FacetLook& look);
    // Frees the kept glyphs, the font and the DCs.
    void Release() noexcept;

    std::size_t CachedGlyphs() const noexcept { return cache_.Size(); }

private:
    bool Prepare(const FacetLook& look);
    UniqueBitmap Render(wchar_t ch, const FacetLook& look);

    UniqueMemoryDc source_;
    UniqueMemoryDc target_;
    UniqueFont font_;
    FacetLook fontLook_; // face, style and height of font_
    FacetGlyphCache<UniqueBitmap> cache_{kCachedGlyphs};
};

} // namespace zt
