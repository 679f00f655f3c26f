#include "common/win_locale.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

// Tuesday 5 March 2024, 13:05:09.
DateTime Afternoon() {
    return EncodeDate(2024, 3, 5) + EncodeTime(13, 5, 9, 0);
}

TEST(WinLocale, UserLocaleFillsEveryField) {
    const FormatSettings s = ReadLocaleFormatSettings();
    EXPECT_NE(s.dateSeparator, L'\0');
    EXPECT_NE(s.timeSeparator, L'\0');
    EXPECT_FALSE(s.shortDateFormat.empty());
    EXPECT_FALSE(s.longDateFormat.empty());
    EXPECT_FALSE(s.shortTimeFormat.empty());
    EXPECT_FALSE(s.longTimeFormat.empty());
    for (const std::wstring& name : s.longMonthNames)
        EXPECT_FALSE(name.empty());
    for (const std::wstring& name : s.shortMonthNames)
        EXPECT_FALSE(name.empty());
    for (const std::wstring& name : s.longDayNames)
        EXPECT_FALSE(name.empty());
    for (const std::wstring& name : s.shortDayNames)
        EXPECT_FALSE(name.empty());
    EXPECT_FALSE(FormatDateTime(L"", Afternoon(), s).empty());
}

TEST(WinLocale, UserLocaleFormatsUseTheFormatterLetters) {
    // Windows pictures use M for the month and H for a 24-hour hour; the formatter's never do.
    const FormatSettings s = ReadLocaleFormatSettings();
    for (const std::wstring* f :
         {&s.shortDateFormat, &s.longDateFormat, &s.shortTimeFormat, &s.longTimeFormat}) {
        EXPECT_EQ(f->find(L'M'), std::wstring::npos) << *f;
        EXPECT_EQ(f->find(L'H'), std::wstring::npos) << *f;
    }
}

TEST(WinLocale, EnglishUnitedStates) {
    const FormatSettings s = ReadLocaleFormatSettings(L"en-US");
    EXPECT_EQ(s.shortDateFormat, L"m/d/yyyy");
    EXPECT_EQ(s.longTimeFormat, L"h:nn:ss ampm");
    EXPECT_EQ(s.shortTimeFormat, L"h:nn ampm");
    EXPECT_EQ(s.dateSeparator, L'/');
    EXPECT_EQ(s.timeSeparator, L':');
    EXPECT_EQ(s.timeAMString, L"AM");
    EXPECT_EQ(s.timePMString, L"PM");
    EXPECT_EQ(s.longMonthNames[0], L"January");
    EXPECT_EQ(s.longMonthNames[11], L"December");
    EXPECT_EQ(s.shortMonthNames[2], L"Mar");
    EXPECT_EQ(s.longDayNames[0], L"Sunday");
    EXPECT_EQ(s.longDayNames[1], L"Monday");
    EXPECT_EQ(s.longDayNames[6], L"Saturday");
    EXPECT_EQ(s.shortDayNames[2], L"Tue");
    EXPECT_EQ(FormatDateTime(L"c", Afternoon(), s), L"3/5/2024 1:05:09 PM");
    EXPECT_EQ(FormatDateTime(L"dddddd", Afternoon(), s), L"Tuesday, March 5, 2024");
}

TEST(WinLocale, Russian) {
    const FormatSettings s = ReadLocaleFormatSettings(L"ru-RU");
    EXPECT_EQ(s.shortDateFormat, L"dd.mm.yyyy");
    // Windows has "H:mm:ss", Wine "HH:mm:ss".
    EXPECT_TRUE(s.longTimeFormat == L"h:nn:ss" || s.longTimeFormat == L"hh:nn:ss")
        << s.longTimeFormat;
    EXPECT_EQ(s.dateSeparator, L'.');
    EXPECT_EQ(s.timeSeparator, L':');
    // Sunday first: воскресенье, then понедельник.
    EXPECT_EQ(s.longDayNames[0],
              L"\u0432\u043e\u0441\u043a\u0440\u0435\u0441\u0435\u043d\u044c\u0435");
    EXPECT_EQ(s.longDayNames[1],
              L"\u043f\u043e\u043d\u0435\u0434\u0435\u043b\u044c\u043d\u0438\u043a");
    // March, nominative or genitive depending on the locale data: starts with "март"/"Март".
    ASSERT_GE(s.longMonthNames[2].size(), 4u);
    EXPECT_EQ(s.longMonthNames[2].substr(1, 3), L"\u0430\u0440\u0442");
    EXPECT_EQ(FormatDateTime(L"c", Afternoon(), s), L"05.03.2024 13:05:09");
}

TEST(WinLocale, SeparatorFromPicture) {
    EXPECT_EQ(SeparatorFromPicture(L"dd.MM.yyyy", L"dMyg", L'/'), L'.');
    EXPECT_EQ(SeparatorFromPicture(L"yyyy-MM-dd", L"dMyg", L'/'), L'-');
    EXPECT_EQ(SeparatorFromPicture(L"'x:' d MMMM", L"dMyg", L'/'), L'/');
    EXPECT_EQ(SeparatorFromPicture(L"tt h:mm:ss", L"hHmst", L'.'), L':');
    EXPECT_EQ(SeparatorFromPicture(L"HH'h'mm", L"hHmst", L':'), L':');
}

TEST(WinLocale, PictureWithoutSeconds) {
    EXPECT_EQ(PictureWithoutSeconds(L"h:mm:ss tt"), L"h:mm tt");
    EXPECT_EQ(PictureWithoutSeconds(L"HH:mm:ss"), L"HH:mm");
    EXPECT_EQ(PictureWithoutSeconds(L"tt h:mm:ss"), L"tt h:mm");
    EXPECT_EQ(PictureWithoutSeconds(L"H:mm"), L"H:mm");
    EXPECT_EQ(PictureWithoutSeconds(L"H 'ss' mm"), L"H 'ss' mm");
}

} // namespace
} // namespace zt
