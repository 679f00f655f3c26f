#include "facet_painter.h"

#include <algorithm>

#include "common/dib_section.h"

namespace zt {
namespace {

UniqueFont CreateLookFont(const FacetLook& look) {
    LOGFONTW font{};
    font.lfHeight = look.height; // the cell height: the whole character fits the glyph
    font.lfWeight = (look.style & kFacetBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (look.style & kFacetItalic) ? TRUE : FALSE;
    font.lfUnderline = (look.style & kFacetUnderline) ? TRUE : FALSE;
    font.lfStrikeOut = (look.style & kFacetStrikeOut) ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const size_t length = std::min(look.face.size(), static_cast<size_t>(LF_FACESIZE - 1));
    std::copy_n(look.face.begin(), length, font.lfFaceName);
    return UniqueFont(::CreateFontIndirectW(&font));
}

} // namespace

void TztFacetPainter::Paint(HBITMAP glyph, wchar_t ch, const FacetLook& look) {
    if (!glyph || look.width <= 0 || look.height <= 0 || !Prepare(look))
        return;
    UniqueBitmap* cached = cache_.Find(look, ch);
    if (!cached) {
        UniqueBitmap made = Render(ch, look);
        if (!made)
            return;
        cached = &cache_.Insert(look, ch, std::move(made));
    }
    ScopedSelect from(source_.get(), cached->get());
    ScopedSelect to(target_.get(), glyph);
    ::BitBlt(target_.get(), 0, 0, look.width, look.height, source_.get(), 0, 0, SRCCOPY);
}

void TztFacetPainter::Release() noexcept {
    cache_.Clear();
    font_.reset();
    fontLook_ = FacetLook{};
    source_.reset();
    target_.reset();
}

bool TztFacetPainter::Prepare(const FacetLook& look) {
    if (!source_)
        source_.reset(::CreateCompatibleDC(nullptr));
    if (!target_)
        target_.reset(::CreateCompatibleDC(nullptr));
    const bool sameFont = font_ && fontLook_.face == look.face && fontLook_.style == look.style &&
                          fontLook_.height == look.height;
    if (!sameFont) {
        font_ = CreateLookFont(look);
        fontLook_ = look;
    }
    return source_ && target_ && font_;
}

// Draws ch at its place in a work area filled with the background and copies the area
// onto a bitmap of the glyph's size, squeezing it when it is wider.
UniqueBitmap TztFacetPainter::Render(wchar_t ch, const FacetLook& look) {
    SIZE extent{};
    {
        ScopedSelect font(source_.get(), font_.get());
        ::GetTextExtentPoint32W(source_.get(), &ch, 1, &extent);
    }
    const FacetPlacement place = PlaceFacetChar(extent.cx, look.width);
    UniqueBitmap result = CreateTopDownDib(look.width, look.height);
    UniqueBitmap wide;
    if (place.workWidth != look.width)
        wide = CreateTopDownDib(place.workWidth, look.height);
    HBITMAP work = wide ? wide.get() : result.get();
    if (!result || (place.workWidth != look.width && !wide))
        return {};

    ScopedSelect selectWork(source_.get(), work);
    ScopedSelect font(source_.get(), font_.get());
    ::SetTextColor(source_.get(), static_cast<COLORREF>(look.foreground));
    ::SetBkColor(source_.get(), static_cast<COLORREF>(look.background));
    ::SetBkMode(source_.get(), OPAQUE);
    const RECT area{0, 0, place.workWidth, look.height};
    ::ExtTextOutW(source_.get(), place.x, 0, ETO_OPAQUE | ETO_CLIPPED, &area, &ch, 1, nullptr);
    if (wide) {
        ScopedSelect selectResult(target_.get(), result.get());
        ::SetStretchBltMode(target_.get(), COLORONCOLOR);
        ::StretchBlt(target_.get(), 0, 0, look.width, look.height, source_.get(), 0, 0,
                     place.workWidth, look.height, SRCCOPY);
    }
    return result;
}

} // namespace zt
