#include <gtest/gtest.h>

#include <vector>

#include "display/charset.h"
#include "display/led_geometry.h"

namespace zt::lcd {
namespace {

std::uint16_t Code(char ch) {
    return CharToSegments(CompiledCharTable(), static_cast<std::uint8_t>(ch));
}

TEST(CharTable, TellingEntries) {
    EXPECT_EQ(Code('0'), 0x423F);
    EXPECT_EQ(Code('1'), 0x0014);
    EXPECT_EQ(Code('8'), 0x01FF);
    EXPECT_EQ(Code(':'), 0x8080);
    EXPECT_EQ(Code('-'), 0x01C0);
    EXPECT_EQ(Code('.'), 0x8000);
    EXPECT_EQ(Code(','), 0x8000);
    EXPECT_EQ(Code('X'), 0x5A80);
    EXPECT_EQ(Code('!'), 0xA000); // first entry
    EXPECT_EQ(Code('~'), 0x0A02); // last ASCII entry
}

TEST(CharTable, TellingEntriesMatchTheirSegments) {
    EXPECT_EQ(Code(':'), kSegCentreBlock | kSegDot);
    EXPECT_EQ(Code('-'), kSegMiddleLeft | kSegCentreBlock | kSegMiddleRight);
    EXPECT_EQ(Code('1'), kSegUpperRight | kSegLowerRight);
    EXPECT_EQ(Code('X'), kSegDiagonalUpperLeft | kSegDiagonalUpperRight | kSegDiagonalLowerLeft |
                             kSegDiagonalLowerRight | kSegCentreBlock);
    EXPECT_EQ(Code('0'), kSegTopBar | kSegUpperLeft | kSegUpperRight | kSegLowerLeft |
                             kSegLowerRight | kSegBottomBar | kSegDiagonalUpperLeft |
                             kSegDiagonalLowerRight);
}

TEST(CharTable, LowerCaseLatinShowsAsUpperCase) {
    for (char ch = 'a'; ch <= 'z'; ++ch)
        EXPECT_EQ(Code(ch), Code(static_cast<char>(ch - 'a' + 'A'))) << ch;
}

TEST(CharTable, LowerCaseCyrillicShowsAsUpperCase) {
    const CharTable& table = CompiledCharTable();
    for (int byte = 224; byte <= 255; ++byte)
        EXPECT_EQ(CharToSegments(table, static_cast<std::uint8_t>(byte)),
                  CharToSegments(table, static_cast<std::uint8_t>(byte - 32)))
            << byte;
    EXPECT_EQ(CharToSegments(table, 192), 0x01DF); // А
    EXPECT_EQ(CharToSegments(table, 223), 0x11D7); // Я
}

TEST(CharTable, BytesWithoutEntryGiveZero) {
    const CharTable& table = CompiledCharTable();
    for (int byte = 0; byte <= 32; ++byte)
        EXPECT_EQ(CharToSegments(table, static_cast<std::uint8_t>(byte)), 0) << byte;
    for (int byte = 127; byte <= 191; ++byte)
        EXPECT_EQ(CharToSegments(table, static_cast<std::uint8_t>(byte)), 0) << byte;
}

TEST(CharTable, EveryEntryIsReachable) {
    // Each word of the table is the code of exactly one byte.
    CharTable marked{};
    for (std::size_t i = 0; i < kCharTableWords; ++i)
        marked[i] = static_cast<std::uint16_t>(i + 1);
    std::vector<int> hits(kCharTableWords + 1, 0);
    for (int byte = 0; byte <= 255; ++byte)
        ++hits[CharToSegments(marked, static_cast<std::uint8_t>(byte))];
    for (std::size_t i = 1; i <= kCharTableWords; ++i)
        EXPECT_EQ(hits[i], 1) << "word " << i - 1;
}

TEST(CharTableBytes, LittleEndianWordsOfExactlyThreeHundredSixteenBytes) {
    std::vector<unsigned char> bytes(kCharTableBytes, 0);
    bytes[0] = 0x3F;
    bytes[1] = 0x42;
    bytes[kCharTableBytes - 2] = 0xD7;
    bytes[kCharTableBytes - 1] = 0x11;
    const CharTable table = CharTableFromBytes(bytes.data(), bytes.size());
    EXPECT_EQ(table[0], 0x423F);
    EXPECT_EQ(table[kCharTableWords - 1], 0x11D7);
    EXPECT_EQ(table[1], 0);
}

TEST(CharTableBytes, RoundTripOfTheCompiledTable) {
    std::vector<unsigned char> bytes;
    for (std::uint16_t word : CompiledCharTable()) {
        bytes.push_back(static_cast<unsigned char>(word & 0xFF));
        bytes.push_back(static_cast<unsigned char>(word >> 8));
    }
    EXPECT_EQ(CharTableFromBytes(bytes.data(), bytes.size()), CompiledCharTable());
}

TEST(CharTableBytes, WrongSizeGivesAnAllZeroTable) {
    const std::vector<unsigned char> bytes(kCharTableBytes + 1, 0xFF);
    const CharTable zero{};
    EXPECT_EQ(CharTableFromBytes(bytes.data(), kCharTableBytes - 1), zero);
    EXPECT_EQ(CharTableFromBytes(bytes.data(), kCharTableBytes + 1), zero);
    EXPECT_EQ(CharTableFromBytes(bytes.data(), 0), zero);
    EXPECT_EQ(CharTableFromBytes(nullptr, kCharTableBytes), zero);
}

TEST(ActiveCharTable, ReplacingTheTableChangesLookUps) {
    const CharTable saved = ActiveCharTable();
    CharTable custom{};
    custom['A' - 33] = 0x1234;
    SetActiveCharTable(custom);
    EXPECT_EQ(CharToSegments(static_cast<std::uint8_t>('A')), 0x1234);
    EXPECT_EQ(CharToSegments(static_cast<std::uint8_t>('0')), 0);
    SetActiveCharTable(saved);
    EXPECT_EQ(CharToSegments(static_cast<std::uint8_t>('0')), Code('0'));
}

TEST(DisplayBytes, AsciiAndCyrillicMapToTheirCodePageBytes) {
    EXPECT_EQ(CharToDisplayByte(U'!'), 33);
    EXPECT_EQ(CharToDisplayByte(U'~'), 126);
    EXPECT_EQ(CharToDisplayByte(U'0'), '0');
    EXPECT_EQ(CharToDisplayByte(U'\u0410'), 192); // А
    EXPECT_EQ(CharToDisplayByte(U'\u042F'), 223); // Я
    EXPECT_EQ(CharToDisplayByte(U'\u0430'), 224); // а
    EXPECT_EQ(CharToDisplayByte(U'\u044F'), 255); // я
}

TEST(DisplayBytes, EverythingElseIsBlank) {
    for (char32_t ch : {U' ', U'\0', U'\t', U'\x7F', U'\u0401' /* Ё */, U'\u0451' /* ё */,
                        U'\u040F', U'\u0450', U'\u00A0', U'\u00C0', U'\u20AC', U'\U0001F600'}) {
        EXPECT_EQ(CharToDisplayByte(ch), kBlankByte) << static_cast<unsigned>(ch);
        EXPECT_EQ(CharToSegments(CompiledCharTable(), CharToDisplayByte(ch)), 0);
    }
}

TEST(DisplayBytes, OneByteForEachCharacter) {
    EXPECT_EQ(TextToDisplayBytes(L"00:00"), "00:00");
    EXPECT_EQ(TextToDisplayBytes(L""), "");
    EXPECT_EQ(TextToDisplayBytes(L"\u041F\u0440\u0438\u0432\u0435\u0442"),
              "\xCF\xF0\xE8\xE2\xE5\xF2"); // Привет
    EXPECT_EQ(TextToDisplayBytes(L"\u0401\u0451 x"), "   x");
}

TEST(DisplayBytes, CharacterOutsideTheBasicPlaneIsOneCell) {
    // One character whatever the size of wchar_t (a surrogate pair where it is 16 bits).
    EXPECT_EQ(TextToDisplayBytes(L"1\U0001F600 2"), "1  2");
}

TEST(DisplayBytes, LoneSurrogateIsOneBlankCell) {
    if constexpr (sizeof(wchar_t) == 2) {
        const wchar_t text[] = {L'1', static_cast<wchar_t>(0xD800), L'2', 0};
        EXPECT_EQ(TextToDisplayBytes(text), "1 2");
    } else {
        GTEST_SKIP() << "wide characters are whole code points here";
    }
}

} // namespace
} // namespace zt::lcd
