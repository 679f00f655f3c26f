#include <gtest/gtest.h>

#include "updater/update_list.h"

namespace zt::uplift {
namespace {

void ExpectItem(const UpdateItem& item, const std::wstring& name, const std::wstring& version,
                const std::wstring& size, const std::wstring& address) {
    EXPECT_EQ(item.name, name);
    EXPECT_EQ(item.version, version);
    EXPECT_EQ(item.size, size);
    EXPECT_EQ(item.address, address);
}

TEST(UpdateLine, FourFieldsByPosition) {
    ExpectItem(ParseUpdateLine(L"a|1.0|10 KB|http://host/file.zip"), L"a", L"1.0", L"10 KB",
               L"http://host/file.zip");
}

TEST(UpdateLine, AddressIsTheRestAfterTheThirdBar) {
    ExpectItem(ParseUpdateLine(L"n|v|s|http://h/x?a=1|b=2"), L"n", L"v", L"s",
               L"http://h/x?a=1|b=2");
}

TEST(UpdateLine, LineWithoutBarIsAllAddress) {
    ExpectItem(ParseUpdateLine(L"http://host/only.zip"), L"", L"", L"", L"http://host/only.zip");
}

TEST(UpdateLine, MissingBarLeavesTextForLaterFields) {
    // name and version are taken; no bar is left for the size, so it stays empty.
    ExpectItem(ParseUpdateLine(L"a|1.0|http://h/f.zip"), L"a", L"1.0", L"", L"http://h/f.zip");
    ExpectItem(ParseUpdateLine(L"a|rest"), L"a", L"", L"", L"rest");
}

TEST(UpdateLine, EmptyFieldsAndEmptyLine) {
    ExpectItem(ParseUpdateLine(L"|||"), L"", L"", L"", L"");
    ExpectItem(ParseUpdateLine(L""), L"", L"", L"", L"");
}

TEST(UpdateLine, CyrillicTextIsKept) {
    ExpectItem(ParseUpdateLine(L"Голос|2.1|1 МБ|http://h/v.szt"), L"Голос", L"2.1", L"1 МБ",
               L"http://h/v.szt");
}

TEST(ListLines, EveryLineBreakKind) {
    const std::vector<std::wstring> expected = {L"a", L"b", L"c", L"d"};
    EXPECT_EQ(SplitLines(L"a\r\nb\nc\rd"), expected);
}

TEST(ListLines, FinalBreakStartsNoLineButInnerEmptyLinesStay) {
    EXPECT_EQ(SplitLines(L"a\r\n"), std::vector<std::wstring>{L"a"});
    EXPECT_EQ(SplitLines(L"a\n\nb"), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_EQ(SplitLines(L"a\r\n\r\n"), (std::vector<std::wstring>{L"a", L""}));
    EXPECT_TRUE(SplitLines(L"").empty());
}

TEST(ListText, Utf8WithAndWithoutByteOrderMark) {
    EXPECT_EQ(DecodeUtf8Text("\xEF\xBB\xBF\xD0\xAF|1"), std::optional<std::wstring>(L"Я|1"));
    EXPECT_EQ(DecodeUtf8Text("\xD0\xAF|1"), std::optional<std::wstring>(L"Я|1"));
}

TEST(ListText, InvalidUtf8IsLeftToTheCaller) {
    // "Я" in code page 1251 is the single byte 0xDF, which is no UTF-8.
    EXPECT_EQ(DecodeUtf8Text("\xDF|1"), std::nullopt);
}

} // namespace
} // namespace zt::uplift
