// The Facet style's portable part: where a character goes in a glyph, and the bounds of
// the glyph cache.

#include <gtest/gtest.h>

#include <string>

#include "facet_glyph.h"

namespace zt {
namespace {

TEST(FacetPlacement, ANarrowerCharacterIsCentredTruncatingTheHalfPixel) {
    EXPECT_EQ(PlaceFacetChar(9, 19).workWidth, 19);
    EXPECT_EQ(PlaceFacetChar(9, 19).x, 5);
    EXPECT_EQ(PlaceFacetChar(10, 19).x, 4);
    EXPECT_EQ(PlaceFacetChar(19, 19).x, 0);
    EXPECT_EQ(PlaceFacetChar(19, 19).workWidth, 19);
}

TEST(FacetPlacement, AWiderCharacterGetsAWorkAreaOnePixelWiderThanItself) {
    EXPECT_EQ(PlaceFacetChar(20, 19).workWidth, 21);
    EXPECT_EQ(PlaceFacetChar(20, 19).x, 0);
    EXPECT_EQ(PlaceFacetChar(31, 19).workWidth, 32);
    EXPECT_EQ(PlaceFacetChar(31, 19).x, 0);
}

FacetLook ClockLook() {
    FacetLook look;
    look.face = L"Tahoma";
    look.style = kFacetBold;
    look.width = 19;
    look.height = 29;
    look.foreground = 0x0000FF;
    look.background = 0xFF0000;
    return look;
}

TEST(FacetGlyphCache, KeepsGlyphsPerCharacterOfOneLook) {
    FacetGlyphCache<int> cache(8);
    const FacetLook look = ClockLook();
    EXPECT_EQ(cache.Find(look, U'1'), nullptr);
    cache.Insert(look, U'1', 10);
    cache.Insert(look, U'2', 20);
    ASSERT_NE(cache.Find(look, U'1'), nullptr);
    EXPECT_EQ(*cache.Find(look, U'1'), 10);
    EXPECT_EQ(*cache.Find(look, U'2'), 20);
    EXPECT_EQ(cache.Find(look, U'3'), nullptr);
    EXPECT_EQ(cache.Size(), 2u);
}

TEST(FacetGlyphCache, AnyChangeOfTheLookDropsTheGlyphsOfTheOldOne) {
    const auto changes = {
        +[](FacetLook& l) { l.face = L"Arial"; },  +[](FacetLook& l) { l.style = kFacetItalic; },
        +[](FacetLook& l) { l.width = 20; },       +[](FacetLook& l) { l.height = 30; },
        +[](FacetLook& l) { l.foreground = 0x1; }, +[](FacetLook& l) { l.background = 0x1; },
    };
    for (auto change : changes) {
        FacetGlyphCache<int> cache(8);
        const FacetLook look = ClockLook();
        cache.Insert(look, U'1', 10);
        cache.Insert(look, U'2', 20);
        FacetLook other = look;
        change(other);
        EXPECT_EQ(cache.Find(other, U'1'), nullptr);
        cache.Insert(other, U'1', 11);
        EXPECT_EQ(cache.Size(), 1u);
        EXPECT_EQ(*cache.Find(other, U'1'), 11);
        EXPECT_EQ(cache.Find(look, U'2'), nullptr);
    }
}

TEST(FacetGlyphCache, NeverHoldsMoreThanItsCapacity) {
    FacetGlyphCache<int> cache(4);
    const FacetLook look = ClockLook();
    for (char32_t ch = U'0'; ch <= U'9'; ++ch) {
        cache.Insert(look, ch, static_cast<int>(ch));
        EXPECT_LE(cache.Size(), 4u);
        EXPECT_EQ(*cache.Find(look, ch), static_cast<int>(ch));
    }
    cache.Insert(look, U'a', 1);
    cache.Insert(look, U'b', 2);
    ASSERT_EQ(cache.Size(), 4u);
    cache.Insert(look, U'9', 99); // replacing a kept glyph drops nothing
    EXPECT_EQ(cache.Size(), 4u);
    EXPECT_EQ(*cache.Find(look, U'9'), 99);
    cache.Clear();
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_EQ(cache.Find(look, U'9'), nullptr);
}

} // namespace
} // namespace zt
