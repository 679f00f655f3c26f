#include "common/utf.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(Utf, CyrillicRoundTrip) {
    const std::string utf8 = "\xD0\x97\xD0\xB5\xD0\xBD"; // "Зен"
    const std::wstring wide = Utf8ToWide(utf8);
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(wide[0], static_cast<wchar_t>(0x0417));
    EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(Utf, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // truncated
    EXPECT_TRUE(IsValidUtf8("plain \xE2\x82\xAC")); // euro sign
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              std::wstring(L"a\xFFFD"
                           L"b"));
}

TEST(Utf, CharactersBeyondTheBasicPlane) {
    const std::string utf8 = "\xF0\x9F\x95\x90"; // U+1F550
    EXPECT_EQ(WideToUtf8(Utf8ToWide(utf8)), utf8);
}

} // namespace
} // namespace zt
