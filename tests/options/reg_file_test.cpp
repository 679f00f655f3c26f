// Registry files in text form, as the options dialog's export writes them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "options/reg_file.h"

namespace zt::options {
namespace {

// Text as the registry stores it: UTF-16 LE (one unit per character here) and a NUL.
std::vector<uint8_t> Utf16(const std::wstring& text, bool terminated = true) {
    std::vector<uint8_t> bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    if (terminated)
        bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

// The value's line(s) in a file holding only that value, without the trailing CR LF.
std::wstring ValueText(const RegValueData& value) {
    const std::wstring text = RegFileText(RegKeyData{L"HKEY_CURRENT_USER\\K", {value}, {}});
    const std::wstring head = L"Windows Registry Editor Version 5.00\r\n\r\n"
                              L"[HKEY_CURRENT_USER\\K]\r\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.substr(text.size() - 4), L"\r\n\r\n");
    return text.substr(head.size(), text.size() - head.size() - 4);
}

TEST(RegFile, WritesTheKeyThenItsSubKeysDepthFirstWithFullPaths) {
    RegKeyData key{L"HKEY_CURRENT_USER\\SOFTWARE\\Ombrelt\\Zentik",
                   {{L"", kRegSz, Utf16(L"default")}, {L"ALIGN", kRegSz, Utf16(L"6")}},
                   {{L"Plugins", {}, {{L"Speech", {{L"Hourly", kRegDword, {1, 0, 0, 0}}}, {}}}},
                    {L"Schemes", {}, {}}}};
    EXPECT_EQ(RegFileText(key),
              L"Windows Registry Editor Version 5.00\r\n"
              L"\r\n"
              L"[HKEY_CURRENT_USER\\SOFTWARE\\Ombrelt\\Zentik]\r\n"
              L"@=\"default\"\r\n"
              L"\"ALIGN\"=\"6\"\r\n"
              L"\r\n"
              L"[HKEY_CURRENT_USER\\SOFTWARE\\Ombrelt\\Zentik\\Plugins]\r\n"
              L"\r\n"
              L"[HKEY_CURRENT_USER\\SOFTWARE\\Ombrelt\\Zentik\\Plugins\\Speech]\r\n"
              L"\"Hourly\"=dword:00000001\r\n"
              L"\r\n"
              L"[HKEY_CURRENT_USER\\SOFTWARE\\Ombrelt\\Zentik\\Schemes]\r\n"
              L"\r\n");
}

TEST(RegFile, EscapesBackslashesAndQuotesInNamesAndTexts) {
    EXPECT_EQ(ValueText({L"say \"hi\"", kRegSz, Utf16(L"c:\\x\\\"y\"")}),
              L"\"say \\\"hi\\\"\"=\"c:\\\\x\\\\\\\"y\\\"\"");
    EXPECT_EQ(ValueText({L"a\\b", kRegSz, Utf16(L"")}), L"\"a\\\\b\"=\"\"");
    EXPECT_EQ(ValueText({L"Ru", kRegSz, Utf16(L"Дата=;")}), L"\"Ru\"=\"Дата=;\"");
}

TEST(RegFile, WritesEveryTypeInTheFormRegeditReadsBack) {
    EXPECT_EQ(ValueText({L"d", kRegDword, {0x2A, 0x00, 0x01, 0xFF}}), L"\"d\"=dword:ff01002a");
    EXPECT_EQ(ValueText({L"b", kRegBinary, {0x00, 0x0F, 0xA0}}), L"\"b\"=hex:00,0f,a0");
    EXPECT_EQ(ValueText({L"b", kRegBinary, {}}), L"\"b\"=hex:");
    EXPECT_EQ(ValueText({L"e", kRegExpandSz, Utf16(L"%A%")}),
              L"\"e\"=hex(2):25,00,41,00,25,00,00,00");
    EXPECT_EQ(ValueText({L"m", kRegMultiSz, {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0}}),
              L"\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00");
    EXPECT_EQ(ValueText({L"q", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}}),
              L"\"q\"=hex(b):01,02,03,04,05,06,07,08");
    EXPECT_EQ(ValueText({L"n", kRegNone, {}}), L"\"n\"=hex(0):");
    // A DWORD of another size, and texts the quoted form would change, stay bytes.
    EXPECT_EQ(ValueText({L"d", kRegDword, {1, 2}}), L"\"d\"=hex(4):01,02");
    EXPECT_EQ(ValueText({L"s", kRegSz, Utf16(L"ab", false)}), L"\"s\"=hex(1):61,00,62,00");
    EXPECT_EQ(ValueText({L"s", kRegSz, Utf16(L"a\r\nb")}),
              L"\"s\"=hex(1):61,00,0d,00,0a,00,62,00,00,00");
    EXPECT_EQ(ValueText({L"s", kRegSz, {0x61, 0, 0, 0, 0x62, 0, 0, 0}}),
              L"\"s\"=hex(1):61,00,00,00,62,00,00,00");
    EXPECT_EQ(ValueText({L"s", kRegSz, {0x61, 0, 0}}), L"\"s\"=hex(1):61,00,00");
}

TEST(RegFile, ContinuesLongHexListsOnIndentedLines) {
    std::vector<uint8_t> data(100);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    const std::wstring text = ValueText({L"Tasks", kRegBinary, data});

    std::wstring joined;
    size_t start = 0;
    int lines = 0;
    for (;;) {
        const size_t end = text.find(L"\r\n", start);
        const std::wstring line = text.substr(start, end == std::wstring::npos ? end : end - start);
        ++lines;
        EXPECT_LE(line.size(), 80u) << line;
        if (lines > 1) {
            ASSERT_EQ(line.substr(0, 2), L"  ");
            ASSERT_NE(line[2], L' ');
        }
        if (end == std::wstring::npos) {
            joined += line.substr(lines > 1 ? 2 : 0);
            break;
        }
        ASSERT_EQ(line.back(), L'\\') << line;
        joined += line.substr(lines > 1 ? 2 : 0, line.size() - (lines > 1 ? 3 : 1));
        start = end + 2;
    }
    EXPECT_GT(lines, 3);
    std::wstring expected = L"\"Tasks\"=hex:";
    for (size_t i = 0; i < data.size(); ++i) {
        static constexpr wchar_t kDigits[] = L"0123456789abcdef";
        expected += kDigits[data[i] >> 4];
        expected += kDigits[data[i] & 0xF];
        if (i + 1 < data.size())
            expected += L',';
    }
    EXPECT_EQ(joined, expected);
}

TEST(RegFile, BytesAreUtf16LittleEndianAfterAByteOrderMark) {
    const RegKeyData key{L"HKEY_CURRENT_USER\\Я", {{L"\U0001F600", kRegDword, {0, 0, 0, 0}}}, {}};
    const std::wstring text = RegFileText(key);
    const std::vector<uint8_t> bytes = RegFileBytes(key);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes[2], 'W');
    EXPECT_EQ(bytes[3], 0);
    const std::vector<uint8_t> ya{0x2F, 0x04};               // Я
    const std::vector<uint8_t> face{0x3D, 0xD8, 0x00, 0xDE}; // U+1F600 as a surrogate pair
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), ya.begin(), ya.end()), bytes.end());
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), face.begin(), face.end()), bytes.end());
    // Every character of the text is one unit, but the face: two units, whatever the
    // size of wchar_t.
    const size_t faceUnits = sizeof(wchar_t) == 2 ? 0 : 1;
    EXPECT_EQ(bytes.size(), 2 + 2 * (text.size() + faceUnits));
}

} // namespace
} // namespace zt::options
