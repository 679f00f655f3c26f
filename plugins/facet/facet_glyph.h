#pragma once
// The portable part of the Facet style: where a character of a font goes inside a glyph
// of the LED renderer, and the cache of rendered glyphs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>

namespace zt {

// Bits of the stored font style ("FontStyle").
enum FacetStyleBit : int {
    kFacetBold = 1,
    kFacetItalic = 2,
    kFacetUnderline = 4,
    kFacetStrikeOut = 8,
};

// A character textWidth pixels wide is drawn at x of a work area workWidth wide, which is
// then copied onto the glyph: a character wider than the glyph gets a work area one pixel
// wider than itself (squeezed into the glyph by the copy), a narrower one is centred.
struct FacetPlacement {
    int workWidth;
    int x;
};
FacetPlacement PlaceFacetChar(int textWidth, int glyphWidth);

// Everything a rendered glyph depends on besides its character. Colours are RGB.
struct FacetLook {
    std::wstring face;
    int style = 0;
    int width = 0;
    int height = 0;
    std::uint32_t foreground = 0;
    std::uint32_t background = 0;

    bool operator==(const FacetLook&) const = default;
};

// Rendered glyphs of one look, by character, at most capacity of them. Storing a glyph of
// another look drops every glyph of the previous one; storing one more than capacity
// drops all before it.
template <class Glyph> class FacetGlyphCache {
public:
    explicit FacetGlyphCache(std::size_t capacity) : capacity_(capacity) {}

    // The glyph of ch in look, or null.
    Glyph* Find(const FacetLook& look, char32_t ch) {
        if (!(look == look_))
            return nullptr;
        const auto found = glyphs_.find(ch);
        return found == glyphs_.end() ? nullptr : &found->second;
    }

    Glyph& Insert(const FacetLook& look, char32_t ch, Glyph glyph) {
        if (!(look == look_)) {
            glyphs_.clear();
            look_ = look;
        } else if (glyphs_.size() >= capacity_ && !glyphs_.contains(ch)) {
            glyphs_.clear();
        }
        return glyphs_.insert_or_assign(ch, std::move(glyph)).first->second;
    }

    void Clear() {
        glyphs_.clear();
        look_ = FacetLook{};
    }
    std::size_t Size() const noexcept { return glyphs_.size(); }

private:
    std::size_t capacity_;
    FacetLook look_;
    std::unordered_map<char32_t, Glyph> glyphs_;
};

} // namespace zt
