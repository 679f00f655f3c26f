#include "common/datetime_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zt {
namespace {

// Every test fixes its own settings; nothing depends on the machine's locale.
FormatSettings TestSettings() {
    FormatSettings s;
    s.dateSeparator = L'.';
    s.timeSeparator = L':';
    s.shortDateFormat = L"dd/mm/yyyy";
    s.longDateFormat = L"dddd, d mmmm yyyy";
    s.shortTimeFormat = L"hh:nn";
    s.longTimeFormat = L"hh:nn:ss";
    s.timeAMString = L"AM";
    s.timePMString = L"PM";
    s.shortMonthNames = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                         L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    s.longMonthNames = {L"January",   L"February", L"March",    L"April",
                        L"May",       L"June",     L"July",     L"August",
                        L"September", L"October",  L"November", L"December"};
    s.shortDayNames = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
    s.longDayNames = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                      L"Thursday", L"Friday", L"Saturday"};
    return s;
}

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
            int ms = 0) {
    return EncodeDateTime(LocalTime{static_cast<uint16_t>(year), static_cast<uint16_t>(month),
                                    static_cast<uint16_t>(day), static_cast<uint16_t>(hour),
                                    static_cast<uint16_t>(minute), static_cast<uint16_t>(second),
                                    static_cast<uint16_t>(ms), 0});
}

// Tuesday 5 March 2024, 07:05:09.007.
const DateTime kMorning = At(2024, 3, 5, 7, 5, 9, 7);

std::wstring Fmt(const std::wstring& format, DateTime value,
                 const FormatSettings& settings = TestSettings()) {
    return FormatDateTime(format, value, settings);
}

// --- time of day ---

TEST(FormatDateTime, TwoLetterTimeSpecifiersHaveLeadingZeros) {
    EXPECT_EQ(Fmt(L"hh:mm:ss", kMorning), L"07:05:09");
    EXPECT_EQ(Fmt(L"hh:nn:ss", kMorning), L"07:05:09");
}

TEST(FormatDateTime, OneLetterTimeSpecifiersHaveNoLeadingZeros) {
    EXPECT_EQ(Fmt(L"h:n:s", kMorning), L"7:5:9");
    EXPECT_EQ(Fmt(L"h:m:s", kMorning), L"7:5:9");
}

TEST(FormatDateTime, LongerTimeRunsCountAsTwoLetters) {
    EXPECT_EQ(Fmt(L"hhh nnnn sss", kMorning), L"07 05 09");
}

TEST(FormatDateTime, HourIs24HourWithoutAmPm) {
    EXPECT_EQ(Fmt(L"hh", At(2024, 3, 5, 0, 15)), L"00");
    EXPECT_EQ(Fmt(L"hh", At(2024, 3, 5, 13, 15)), L"13");
}

TEST(FormatDateTime, SpecifiersAreCaseInsensitive) {
    EXPECT_EQ(Fmt(L"HH:NN:SS", kMorning), L"07:05:09");
    EXPECT_EQ(Fmt(L"HH:MM", kMorning), L"07:05");
    EXPECT_EQ(Fmt(L"DD/MM/YYYY", kMorning), L"05.03.2024");
    EXPECT_EQ(Fmt(L"DDDD MMMM", kMorning), L"Tuesday March");
}

TEST(FormatDateTime, RunIsTheSameCharacterAsTyped) {
    // As in the VCL: "Dd" is two one-letter day specifiers.
    EXPECT_EQ(Fmt(L"Dd", kMorning), L"55");
}

TEST(FormatDateTime, Milliseconds) {
    EXPECT_EQ(Fmt(L"z", kMorning), L"7");
    EXPECT_EQ(Fmt(L"zz", kMorning), L"07");
    EXPECT_EQ(Fmt(L"zzz", kMorning), L"007");
    EXPECT_EQ(Fmt(L"zzzz", kMorning), L"007");
    EXPECT_EQ(Fmt(L"ss.zzz", At(2024, 3, 5, 7, 5, 9, 123)), L"09.123");
    EXPECT_EQ(Fmt(L"z", At(2024, 3, 5, 7, 5, 9, 123)), L"123");
}

// --- m: month or minute ---

TEST(FormatDateTime, MmAloneIsTheMonth) {
    EXPECT_EQ(Fmt(L"mm", kMorning), L"03");
    EXPECT_EQ(Fmt(L"m", kMorning), L"3");
}

TEST(FormatDateTime, MmAfterAnHourIsTheMinute) {
    EXPECT_EQ(Fmt(L"hh mm", kMorning), L"07 05");
    EXPECT_EQ(Fmt(L"hhmm", kMorning), L"0705");
    EXPECT_EQ(Fmt(L"h:m", kMorning), L"7:5");
}

TEST(FormatDateTime, SeparatorsAndQuotedTextBetweenHourAndMmDoNotCount) {
    EXPECT_EQ(Fmt(L"hh' hours 'mm", kMorning), L"07 hours 05");
    EXPECT_EQ(Fmt(L"hh - mm", kMorning), L"07 - 05");
}

TEST(FormatDateTime, AnotherLetterBetweenHourAndMmMakesItTheMonth) {
    EXPECT_EQ(Fmt(L"hh dd mm", kMorning), L"07 05 03");
    // An unknown letter is copied but still counts as the previous letter (as in the VCL).
    EXPECT_EQ(Fmt(L"hh x mm", kMorning), L"07 x 03");
}

TEST(FormatDateTime, OnlyTheFirstMmAfterAnHourIsTheMinute) {
    EXPECT_EQ(Fmt(L"mm/dd hh:mm", kMorning), L"03.05 07:05");
    EXPECT_EQ(Fmt(L"hh:mm:mm", kMorning), L"07:05:03");
}

TEST(FormatDateTime, FlashFormatWithSpacesStillShowsMinutes) {
    // The clock engine replaces the colons of "hh:mm:ss" with spaces for flashing.
    EXPECT_EQ(Fmt(L"hh mm ss", kMorning), L"07 05 09");
}

// --- date ---

TEST(FormatDateTime, DayMonthYearNumbers) {
    EXPECT_EQ(Fmt(L"d m yy", kMorning), L"5 3 24");
    EXPECT_EQ(Fmt(L"dd mm yyyy", kMorning), L"05 03 2024");
    EXPECT_EQ(Fmt(L"y", At(2009, 1, 1)), L"09");
    EXPECT_EQ(Fmt(L"yyy", At(2009, 1, 1)), L"2009");
    EXPECT_EQ(Fmt(L"yyyy", At(999, 1, 1)), L"0999");
    EXPECT_EQ(Fmt(L"d.m", At(2024, 12, 31)), L"31.12");
}

TEST(FormatDateTime, MonthNames) {
    EXPECT_EQ(Fmt(L"mmm", kMorning), L"Mar");
    EXPECT_EQ(Fmt(L"mmmm", kMorning), L"March");
    EXPECT_EQ(Fmt(L"mmmmm", kMorning), L"March");
    EXPECT_EQ(Fmt(L"mmmm", At(2024, 12, 1)), L"December");
}

TEST(FormatDateTime, DayNamesAreSundayFirst) {
    EXPECT_EQ(Fmt(L"ddd", kMorning), L"Tue");
    EXPECT_EQ(Fmt(L"dddd", kMorning), L"Tuesday");
    EXPECT_EQ(Fmt(L"dddd", At(2024, 3, 3)), L"Sunday");
    EXPECT_EQ(Fmt(L"dddd", At(2024, 3, 9)), L"Saturday");
    EXPECT_EQ(Fmt(L"aaa aaaa", kMorning), L"Tue Tuesday");
}

TEST(FormatDateTime, RussianNames) {
    FormatSettings s = TestSettings();
    s.longMonthNames[2] = L"\u041c\u0430\u0440\u0442";                 // Март
    s.shortMonthNames[2] = L"\u043c\u0430\u0440";                      // мар
    s.longDayNames[2] = L"\u0432\u0442\u043e\u0440\u043d\u0438\u043a"; // вторник
    s.shortDayNames[2] = L"\u0412\u0442";                              // Вт
    EXPECT_EQ(Fmt(L"dddd, d mmmm yyyy '\u0433.'", kMorning, s),
              L"\u0432\u0442\u043e\u0440\u043d\u0438\u043a, 5 \u041c\u0430\u0440\u0442 2024 "
              L"\u0433.");
    EXPECT_EQ(Fmt(L"ddd dd mmm", kMorning, s), L"\u0412\u0442 05 \u043c\u0430\u0440");
}

TEST(FormatDateTime, NonAsciiLettersAreCopiedAndDoNotBreakHourMinute) {
    EXPECT_EQ(Fmt(L"hh\u0447 mm\u043c", kMorning), L"07\u0447 05\u043c");
}

// --- separators and literals ---

TEST(FormatDateTime, ColonIsTheTimeSeparatorButQuotedColonStays) {
    FormatSettings s = TestSettings();
    s.timeSeparator = L'.';
    EXPECT_EQ(Fmt(L"hh:nn:ss", kMorning, s), L"07.05.09");
    EXPECT_EQ(Fmt(L"hh':'nn\":\"ss", kMorning, s), L"07:05:09");
    EXPECT_EQ(Fmt(L"hh:nn' (a: b)'", kMorning, s), L"07.05 (a: b)");
}

TEST(FormatDateTime, SlashIsTheDateSeparatorButQuotedSlashStays) {
    FormatSettings s = TestSettings();
    s.dateSeparator = L'-';
    EXPECT_EQ(Fmt(L"dd/mm/yyyy", kMorning, s), L"05-03-2024");
    EXPECT_EQ(Fmt(L"dd'/'mm", kMorning, s), L"05/03");
}

TEST(FormatDateTime, ZeroSeparatorWritesNothing) {
    FormatSettings s = TestSettings();
    s.dateSeparator = 0;
    s.timeSeparator = 0;
    EXPECT_EQ(Fmt(L"hh:nn dd/mm", kMorning, s), L"0705 0503");
}

TEST(FormatDateTime, QuotedTextIsCopiedLiterally) {
    EXPECT_EQ(Fmt(L"'hh:mm dddd' hh", kMorning), L"hh:mm dddd 07");
    EXPECT_EQ(Fmt(L"\"it's\" hh", kMorning), L"it's 07");
    EXPECT_EQ(Fmt(L"'say \"c\"' hh", kMorning), L"say \"c\" 07");
    EXPECT_EQ(Fmt(L"hh''nn", kMorning), L"0705"); // an empty quote is nothing
}

TEST(FormatDateTime, UnterminatedQuoteRunsToTheEnd) {
    EXPECT_EQ(Fmt(L"hh 'rest: nn", kMorning), L"07 rest: nn");
    EXPECT_EQ(Fmt(L"hh \"rest: nn", kMorning), L"07 rest: nn");
    EXPECT_EQ(Fmt(L"hh '", kMorning), L"07 ");
}

TEST(FormatDateTime, OtherCharactersAreCopied) {
    EXPECT_EQ(Fmt(L"[hh-nn] #1 ", kMorning), L"[07-05] #1 ");
    EXPECT_EQ(Fmt(L"b", kMorning), L"b");
}

// --- am/pm ---

TEST(FormatDateTime, AmPmMidnightAndNoonAreTwelve) {
    EXPECT_EQ(Fmt(L"h:nn am/pm", At(2024, 3, 5, 0, 15)), L"12:15 am");
    EXPECT_EQ(Fmt(L"h:nn am/pm", At(2024, 3, 5, 12, 15)), L"12:15 pm");
    EXPECT_EQ(Fmt(L"h:nn am/pm", At(2024, 3, 5, 11, 59)), L"11:59 am");
    EXPECT_EQ(Fmt(L"hh:nn am/pm", At(2024, 3, 5, 13, 5)), L"01:05 pm");
}

TEST(FormatDateTime, AmPmCaseFollowsTheFormat) {
    EXPECT_EQ(Fmt(L"hh AM/PM", At(2024, 3, 5, 0, 15)), L"12 AM");
    EXPECT_EQ(Fmt(L"hh AM/PM", At(2024, 3, 5, 23, 15)), L"11 PM");
    EXPECT_EQ(Fmt(L"hh Am/pM", At(2024, 3, 5, 23, 15)), L"11 pM");
    EXPECT_EQ(Fmt(L"h a/p", At(2024, 3, 5, 0, 15)), L"12 a");
    EXPECT_EQ(Fmt(L"h A/P", At(2024, 3, 5, 12, 0)), L"12 P");
}

TEST(FormatDateTime, AmPmUsesTheSettingsStrings) {
    FormatSettings s = TestSettings();
    s.timeAMString = L"vorm.";
    s.timePMString = L"nachm.";
    EXPECT_EQ(Fmt(L"h:nn ampm", At(2024, 3, 5, 0, 30), s), L"12:30 vorm.");
    EXPECT_EQ(Fmt(L"h:nn ampm", At(2024, 3, 5, 12, 30), s), L"12:30 nachm.");
    EXPECT_EQ(Fmt(L"h:nn AMPM", At(2024, 3, 5, 18, 30), s), L"6:30 nachm.");
}

TEST(FormatDateTime, AmPmBeforeTheHourAlsoMakesIt12Hour) {
    EXPECT_EQ(Fmt(L"ampm h:nn", At(2024, 3, 5, 15, 30)), L"PM 3:30");
}

TEST(FormatDateTime, AmPmLookAheadStopsAtTheNextHour) {
    EXPECT_EQ(Fmt(L"hh:nn hh am/pm", At(2024, 3, 5, 13, 0)), L"13:00 01 pm");
}

TEST(FormatDateTime, QuotedAmPmDoesNotMakeIt12Hour) {
    EXPECT_EQ(Fmt(L"hh 'am/pm'", At(2024, 3, 5, 13, 0)), L"13 am/pm");
}

TEST(FormatDateTime, LoneAIsCopied) {
    EXPECT_EQ(Fmt(L"hh a", At(2024, 3, 5, 13, 0)), L"13 a");
}

// --- expansions ---

TEST(FormatDateTime, ShortAndLongDateAndTimeFormats) {
    EXPECT_EQ(Fmt(L"ddddd", kMorning), L"05.03.2024");
    EXPECT_EQ(Fmt(L"dddddd", kMorning), L"Tuesday, 5 March 2024");
    EXPECT_EQ(Fmt(L"t", kMorning), L"07:05");
    EXPECT_EQ(Fmt(L"tt", kMorning), L"07:05:09");
}

TEST(FormatDateTime, CShowsDateAndLongTime) {
    EXPECT_EQ(Fmt(L"c", kMorning), L"05.03.2024 07:05:09");
}

TEST(FormatDateTime, CAtMidnightOmitsTheTime) {
    EXPECT_EQ(Fmt(L"c", At(2024, 3, 5)), L"05.03.2024");
    EXPECT_EQ(Fmt(L"[c]", At(2024, 3, 5)), L"[05.03.2024]");
    EXPECT_EQ(Fmt(L"c", At(2024, 3, 5, 0, 0, 0, 1)), L"05.03.2024 00:00:00");
}

TEST(FormatDateTime, EmptyFormatMeansC) {
    EXPECT_EQ(Fmt(L"", kMorning), L"05.03.2024 07:05:09");
    EXPECT_EQ(Fmt(L"", At(2024, 3, 5)), L"05.03.2024");
}

TEST(FormatDateTime, ExpandedFormatsHaveTheirOwn12HourState) {
    FormatSettings s = TestSettings();
    s.longTimeFormat = L"h:nn:ss ampm";
    EXPECT_EQ(Fmt(L"tt", At(2024, 3, 5, 15, 4, 5), s), L"3:04:05 PM");
    // The am/pm inside tt does not turn the outer hour into a 12-hour one.
    EXPECT_EQ(Fmt(L"hh tt", At(2024, 3, 5, 15, 4, 5), s), L"15 3:04:05 PM");
}

TEST(FormatDateTime, ExpansionInsideAnExpansionWritesNothing) {
    FormatSettings s = TestSettings();
    s.longDateFormat = L"dddd, ddddd";
    EXPECT_EQ(Fmt(L"dddddd", kMorning, s), L"Tuesday, ");
}

TEST(FormatDateTime, SelfReferenceDoesNotRecurse) {
    FormatSettings s = TestSettings();
    s.shortDateFormat = L"ddddd";
    s.longDateFormat = L"dddddd";
    s.shortTimeFormat = L"t";
    s.longTimeFormat = L"tt";
    EXPECT_EQ(Fmt(L"ddddd", kMorning, s), L"");
    EXPECT_EQ(Fmt(L"dddddd", kMorning, s), L"");
    EXPECT_EQ(Fmt(L"t|tt", kMorning, s), L"|");
}

TEST(FormatDateTime, CInsideTheShortDateFormatDoesNotRecurse) {
    FormatSettings s = TestSettings();
    s.shortDateFormat = L"dd c";
    // Inner c: its date and time expansions are refused, its space stays (as in the VCL).
    EXPECT_EQ(Fmt(L"c", kMorning, s), L"05   07:05:09");
    // Each inner c writes only its space; the outer one adds its own.
    s.shortDateFormat = L"c";
    s.longTimeFormat = L"c";
    EXPECT_EQ(Fmt(L"", kMorning, s), L"   ");
}

TEST(FormatDateTime, EmptyExpansionWritesNothing) {
    FormatSettings s = TestSettings();
    s.shortTimeFormat.clear();
    EXPECT_EQ(Fmt(L"[t]", kMorning, s), L"[]");
}

// --- values ---

TEST(FormatDateTime, ValuesBeforeTheEpoch) {
    // -1.25: one day before the epoch, 06:00 (the fraction counts away from zero).
    EXPECT_EQ(Fmt(L"dd/mm/yyyy hh:nn", -1.25), L"29.12.1899 06:00");
    EXPECT_EQ(Fmt(L"yyyy-mm-dd", At(1, 1, 1)), L"0001-01-01");
}

TEST(FormatDateTime, UnusableValuesFormatAsTheEpoch) {
    EXPECT_EQ(Fmt(L"dd/mm/yyyy hh:nn", 1e300), L"30.12.1899 00:00");
    EXPECT_EQ(Fmt(L"dd/mm/yyyy hh:nn", -1e300), L"30.12.1899 00:00");
    EXPECT_EQ(Fmt(L"dd/mm/yyyy hh:nn", std::nan("")), L"30.12.1899 00:00");
    EXPECT_EQ(Fmt(L"dd/mm/yyyy hh:nn", INFINITY), L"30.12.1899 00:00");
}

TEST(FormatDateTime, DefaultSettingsAreEnglishWithDotAndColon) {
    const FormatSettings s = DefaultFormatSettings();
    EXPECT_EQ(s.dateSeparator, L'.');
    EXPECT_EQ(s.timeSeparator, L':');
    EXPECT_EQ(FormatDateTime(L"", kMorning, s), L"05.03.2024 7:05:09");
    EXPECT_EQ(FormatDateTime(L"dddddd", kMorning, s), L"5 March 2024");
    EXPECT_EQ(FormatDateTime(L"ddd mmm t", kMorning, s), L"Tue Mar 7:05");
}

// --- Windows picture strings ---

TEST(LocalePictureToFormat, DatePictures) {
    EXPECT_EQ(LocalePictureToFormat(L"dd.MM.yyyy"), L"dd.mm.yyyy");
    EXPECT_EQ(LocalePictureToFormat(L"M/d/yyyy"), L"m/d/yyyy");
    EXPECT_EQ(LocalePictureToFormat(L"dddd, MMMM d, yyyy"), L"dddd, mmmm d, yyyy");
    EXPECT_EQ(LocalePictureToFormat(L"yyyy-MM-dd"), L"yyyy-mm-dd");
    EXPECT_EQ(LocalePictureToFormat(L"ddd MMM"), L"ddd mmm");
}

TEST(LocalePictureToFormat, TimePictures) {
    EXPECT_EQ(LocalePictureToFormat(L"H:mm:ss"), L"h:nn:ss");
    EXPECT_EQ(LocalePictureToFormat(L"HH:mm"), L"hh:nn");
    EXPECT_EQ(LocalePictureToFormat(L"h:mm:ss tt"), L"h:nn:ss ampm");
    EXPECT_EQ(LocalePictureToFormat(L"tt h:mm"), L"ampm h:nn");
    EXPECT_EQ(LocalePictureToFormat(L"h:m:s t"), L"h:n:s ampm");
}

TEST(LocalePictureToFormat, RunLengthsOutsideTheLanguageAreCapped) {
    EXPECT_EQ(LocalePictureToFormat(L"y"), L"yy");
    EXPECT_EQ(LocalePictureToFormat(L"yyy"), L"yyyy");
    EXPECT_EQ(LocalePictureToFormat(L"yyyyy"), L"yyyy");
    EXPECT_EQ(LocalePictureToFormat(L"ddddd"), L"dddd"); // not the short date format
    EXPECT_EQ(LocalePictureToFormat(L"MMMMM"), L"mmmm");
    EXPECT_EQ(LocalePictureToFormat(L"hhh"), L"hh");
}

TEST(LocalePictureToFormat, EraIsDropped) {
    EXPECT_EQ(LocalePictureToFormat(L"gg yyyy"), L" yyyy");
}

TEST(LocalePictureToFormat, QuotedText) {
    EXPECT_EQ(LocalePictureToFormat(L"d MMMM yyyy '\u0433.'"), L"d mmmm yyyy \u0433.");
    EXPECT_EQ(LocalePictureToFormat(L"yyyy'\u5e74'M'\u6708'd'\u65e5'"),
              L"yyyy\u5e74m\u6708d\u65e5");
    EXPECT_EQ(LocalePictureToFormat(L"HH 'h' mm"), L"hh' h 'nn");
    EXPECT_EQ(LocalePictureToFormat(L"dd'/'MM"), L"dd'/'mm");
    EXPECT_EQ(LocalePictureToFormat(L"'o''clock' h"), L"\"o'clock \"h");
    EXPECT_EQ(LocalePictureToFormat(L"'unterminated"), L"'unterminated'");
}

TEST(LocalePictureToFormat, LiteralLettersAndQuoteCharactersAreQuoted) {
    EXPECT_EQ(LocalePictureToFormat(L"dd x MM"), L"dd' x 'mm");
    EXPECT_EQ(LocalePictureToFormat(L"H\"mm"), L"h'\"'nn");
    EXPECT_EQ(LocalePictureToFormat(L"'a\"b''c' H"), L"'a\"b'\"'\"'c 'h");
}

TEST(LocalePictureToFormat, ConvertedPicturesFormatAsWindowsWould) {
    const FormatSettings s = TestSettings();
    const DateTime afternoon = At(2024, 3, 5, 13, 5, 9);
    EXPECT_EQ(FormatDateTime(LocalePictureToFormat(L"h:mm:ss tt"), afternoon, s), L"1:05:09 PM");
    EXPECT_EQ(FormatDateTime(LocalePictureToFormat(L"H:mm:ss"), afternoon, s), L"13:05:09");
    EXPECT_EQ(FormatDateTime(LocalePictureToFormat(L"mm:ss"), afternoon, s), L"05:09");
    EXPECT_EQ(FormatDateTime(LocalePictureToFormat(L"dddd, MMMM d, yyyy"), afternoon, s),
              L"Tuesday, March 5, 2024");
    EXPECT_EQ(FormatDateTime(LocalePictureToFormat(L"'o''clock' h"), afternoon, s), L"o'clock 13");
    EXPECT_EQ(FormatDateTime(LocalePictureToFormat(L"'a\"b''c' H"), afternoon, s), L"a\"b'c 13");
    EXPECT_EQ(FormatDateTime(LocalePictureToFormat(L"dd x MM"), afternoon, s), L"05 x 03");
}

} // namespace
} // namespace zt
