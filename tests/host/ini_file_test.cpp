#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "host/ini_file.h"

namespace zt {
namespace {

std::optional<std::wstring> Find(const std::wstring& text, const std::wstring& section,
                                 const std::wstring& ident) {
    return IniFile(text).Find(section, ident);
}

// --- decoding ------------------------------------------------------------------------

TEST(IniDecode, Utf8WithAndWithoutBom) {
    const std::string utf8 = "\xD0\x9F\xD1\x80\xD0\xB8"; // "При"
    EXPECT_EQ(DecodeTextFile(utf8), L"\u041F\u0440\u0438");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF" + utf8), L"\u041F\u0440\u0438");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"), L"");
}

TEST(IniDecode, InvalidUtf8IsReadAsWindows1251) {
    // "Привет" in code page 1251.
    EXPECT_EQ(DecodeTextFile("\xCF\xF0\xE8\xE2\xE5\xF2"), L"\u041F\u0440\u0438\u0432\u0435\u0442");
    // A BOM does not force UTF-8 when the rest is not UTF-8.
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF\xC0\xFF"), L"\u0410\u044F");
}

TEST(IniDecode, Windows1251UpperHalf) {
    EXPECT_EQ(DecodeWindows1251("\xC0\xDF\xE0\xFF"), L"\u0410\u042F\u0430\u044F");
    EXPECT_EQ(DecodeWindows1251("\xA8\xB8\xB9\x88\x96\xAB\xBB"),
              L"\u0401\u0451\u2116\u20AC\u2013\u00AB\u00BB");
    EXPECT_EQ(DecodeWindows1251("\x80\x8F\x90\x9F\xA5\xB4"),
              L"\u0402\u040F\u0452\u045F\u0490\u0491");
    EXPECT_EQ(DecodeWindows1251("A=\x98"), L"A=\u0098");
}

TEST(IniDecode, FromBytesParsesDecodedText) {
    const IniFile ini =
        IniFile::FromBytes("[DEFAULT]\r\nLANGUAGE=\xD0\xF3\xF1\xF1\xEA\xE8\xE9\r\n");
    EXPECT_EQ(ini.Find(L"DEFAULT", L"LANGUAGE"), L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439");
}

// --- look-up -------------------------------------------------------------------------

TEST(IniLookup, SectionsAndIdentsIgnoreCase) {
    const std::wstring text = L"[Menu]\nLockItem=Lock\n[\u041C\u0435\u043D\u044E]\n"
                              L"\u041F\u0443\u043D\u043A\u0442=x\n";
    EXPECT_EQ(Find(text, L"MENU", L"lockitem"), L"Lock");
    EXPECT_EQ(Find(text, L"menu", L"LOCKITEM"), L"Lock");
    // Cyrillic names fold too ("МЕНЮ" / "ПУНКТ").
    EXPECT_EQ(Find(text, L"\u041C\u0415\u041D\u042E", L"\u043F\u0443\u043D\u043A\u0442"), L"x");
    EXPECT_EQ(Find(text, L"Menu", L"LockItems"), std::nullopt);
    EXPECT_EQ(Find(text, L"Men", L"LockItem"), std::nullopt);
}

TEST(IniLookup, FirstIdentWinsAndOnlyTheFirstSectionCounts) {
    const std::wstring text = L"[A]\nk=1\nK=2\n[B]\nx=3\n[a]\nk=4\nonly=5\n";
    EXPECT_EQ(Find(text, L"A", L"k"), L"1");
    EXPECT_EQ(Find(text, L"b", L"x"), L"3");
    // Idents of a repeated section are out of reach.
    EXPECT_EQ(Find(text, L"A", L"only"), std::nullopt);
}

TEST(IniLookup, WhitespaceIsTrimmed) {
    const std::wstring text = L"  [ Sec ]  \r\n\t key \t=  two words  \r\n";
    EXPECT_EQ(Find(text, L"Sec", L"key"), L"two words");
    EXPECT_EQ(Find(text, L" Sec ", L" key "), L"two words");
}

TEST(IniLookup, ValueKeepsEverythingAfterTheFirstEquals) {
    const std::wstring text = L"[S]\nsum=a=b;c ; not a comment\nempty=\n=anonymous\n";
    EXPECT_EQ(Find(text, L"S", L"sum"), L"a=b;c ; not a comment");
    EXPECT_EQ(Find(text, L"S", L"empty"), L"");
    EXPECT_EQ(Find(text, L"S", L""), L"anonymous");
}

TEST(IniLookup, CommentsAndLinesWithoutEqualsDefineNothing) {
    const std::wstring text = L"[S]\n;hidden=1\n  ; also=2\nbare\n[broken\nafter=3\n";
    EXPECT_EQ(Find(text, L"S", L"hidden"), std::nullopt);
    EXPECT_EQ(Find(text, L"S", L";hidden"), std::nullopt);
    EXPECT_EQ(Find(text, L"S", L"bare"), std::nullopt);
    // "[broken" is no section line, so "after" stays in S.
    EXPECT_EQ(Find(text, L"S", L"after"), L"3");
}

TEST(IniLookup, MatchingQuotesAreStripped) {
    const std::wstring text = L"[Q]\nd=\"  padded \"\ns='single'\nmixed=\"x'\none=\"\n"
                              L"pair=\"\"\ninner=a \"b\" c\n";
    EXPECT_EQ(Find(text, L"Q", L"d"), L"  padded ");
    EXPECT_EQ(Find(text, L"Q", L"s"), L"single");
    EXPECT_EQ(Find(text, L"Q", L"mixed"), L"\"x'");
    EXPECT_EQ(Find(text, L"Q", L"one"), L"\"");
    EXPECT_EQ(Find(text, L"Q", L"pair"), L"");
    EXPECT_EQ(Find(text, L"Q", L"inner"), L"a \"b\" c");
}

TEST(IniLookup, IdentsBeforeTheFirstSectionAreNameless) {
    const std::wstring text = L"top=1\n[S]\nk=2\n";
    EXPECT_EQ(Find(text, L"", L"top"), L"1");
    EXPECT_EQ(Find(text, L"S", L"top"), std::nullopt);
}

TEST(IniLookup, ReadStringFallsBackOnlyWhenMissing) {
    const IniFile ini(L"[S]\nempty=\n");
    EXPECT_EQ(ini.ReadString(L"S", L"empty", L"fallback"), L"");
    EXPECT_EQ(ini.ReadString(L"S", L"none", L"fallback"), L"fallback");
    EXPECT_EQ(IniFile().ReadString(L"S", L"none", L"x"), L"x");
}

TEST(IniLookup, KeysListsReachableKeysOnce) {
    const IniFile ini(L"[A]\nk=1\nK=2\nj=3\n[B]\nx=1\n[a]\nz=1\n");
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"A", L"k"}, {L"A", L"j"}, {L"B", L"x"}};
    EXPECT_EQ(ini.Keys(), expected);
}

} // namespace
} // namespace zt
