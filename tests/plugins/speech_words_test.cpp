// The speaking clock's word sequences, the hour rule and the choice of voice.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "speech_words.h"

namespace zt {
namespace {

using Words = std::vector<std::wstring>;

Words Say(int day, int month, int hour, int minute, const SpeechSwitches& switches = {}) {
    const SpeechPhrase phrase = SpeechPhraseFor(day, month, hour, minute, switches);
    return Words(phrase.begin(), phrase.end());
}

// The time part alone: date and "today" off leave only the pause before it.
Words TimeOf(int hour, int minute) {
    SpeechSwitches switches;
    switches.today = false;
    switches.date = false;
    Words words = Say(1, 1, hour, minute, switches);
    EXPECT_EQ(words.front(), L"EMPTY");
    words.erase(words.begin());
    return words;
}

// The day part alone.
Words DayOf(int day) {
    SpeechSwitches switches;
    switches.today = false;
    switches.month = false;
    switches.time = false;
    Words words = Say(day, 1, 0, 0, switches);
    EXPECT_EQ(words.front(), L"EMPTY");
    EXPECT_EQ(words.back(), L"EMPTY");
    return Words(words.begin() + 1, words.end() - 1);
}

TEST(SpeechPhrase, FullPhraseOnSeventhMarchAt1405) {
    EXPECT_EQ(Say(7, 3, 14, 5), (Words{L"TODAY", L"EMPTY", L"SEVENTH", L"MARCH", L"EMPTY",
                                       L"FOURTEEN", L"HOURS", L"EMPTY", L"FIVE", L"MINUTES"}));
}

TEST(SpeechPhrase, TimeExamples) {
    EXPECT_EQ(TimeOf(0, 0), (Words{L"MIDNIGHT"}));
    EXPECT_EQ(TimeOf(12, 0), (Words{L"AFTERNOON"}));
    EXPECT_EQ(TimeOf(0, 30), (Words{L"ZERO", L"HOURS", L"EMPTY", L"THIRTY", L"MINUTES"}));
    EXPECT_EQ(TimeOf(13, 0), (Words{L"THIRTEEN", L"HOURS", L"EMPTY", L"EXACTLY"}));
    EXPECT_EQ(TimeOf(21, 1), (Words{L"TWENTY", L"ONE", L"HOUR", L"EMPTY", L"ONE_W", L"MINUTE"}));
    EXPECT_EQ(TimeOf(12, 1), (Words{L"TWELVE", L"HOURS", L"EMPTY", L"ONE_W", L"MINUTE"}));
    EXPECT_EQ(TimeOf(0, 1), (Words{L"ZERO", L"HOURS", L"EMPTY", L"ONE_W", L"MINUTE"}));
    EXPECT_EQ(TimeOf(20, 0), (Words{L"TWENTY", L"HOURS", L"EMPTY", L"EXACTLY"}));
    EXPECT_EQ(TimeOf(23, 59),
              (Words{L"TWENTY", L"THREE", L"HOUR_W", L"EMPTY", L"FIFTY", L"NINE", L"MINUTES"}));
    EXPECT_EQ(TimeOf(2, 42),
              (Words{L"TWO", L"HOUR_W", L"EMPTY", L"FOURTY", L"TWO_W", L"MINUTE_W"}));
}

TEST(SpeechPhrase, DayOrdinals) {
    EXPECT_EQ(DayOf(1), (Words{L"FIRST"}));
    EXPECT_EQ(DayOf(9), (Words{L"NINTH"}));
    EXPECT_EQ(DayOf(10), (Words{L"TENTH"}));
    EXPECT_EQ(DayOf(19), (Words{L"NINETEENTH"}));
    EXPECT_EQ(DayOf(20), (Words{L"TWENTIETH"}));
    EXPECT_EQ(DayOf(21), (Words{L"TWENTY", L"FIRST"}));
    EXPECT_EQ(DayOf(29), (Words{L"TWENTY", L"NINTH"}));
    EXPECT_EQ(DayOf(30), (Words{L"THIRTIETH"}));
    EXPECT_EQ(DayOf(31), (Words{L"THIRTY", L"FIRST"}));
}

TEST(SpeechPhrase, MonthNamesFollowTheDay) {
    const wchar_t* const months[] = {L"JANUARY",   L"FEBRUARY", L"MARCH",    L"APRIL",
                                     L"MAY",       L"JUNE",     L"JULY",     L"AUGUST",
                                     L"SEPTEMBER", L"OCTOBER",  L"NOVEMBER", L"DECEMBER"};
    SpeechSwitches switches;
    switches.today = false;
    switches.time = false;
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(Say(2, month, 0, 0, switches),
                  (Words{L"EMPTY", L"SECOND", months[month - 1], L"EMPTY"}));
}

// Every hour and minute: the number's masculine (hour) or feminine (minute) form and the
// unit form by its last digits.
TEST(SpeechPhrase, HourAndMinuteFormsOverTheWholeDay) {
    const std::set<int> hourOne = {1, 21}, hourFew = {2, 3, 4, 22, 23};
    for (int hour = 0; hour < 24; ++hour) {
        const Words words = TimeOf(hour, 0);
        if (hour == 0 || hour == 12)
            continue;
        const std::wstring expected = hourOne.count(hour)   ? L"HOUR"
                                      : hourFew.count(hour) ? L"HOUR_W"
                                                            : L"HOURS";
        ASSERT_GE(words.size(), 3u);
        EXPECT_EQ(words[words.size() - 3], expected) << hour;
        EXPECT_EQ(words.back(), L"EXACTLY");
    }
    for (int minute = 1; minute < 60; ++minute) {
        const Words words = TimeOf(5, minute);
        const int last = minute % 10;
        const bool teen = minute >= 11 && minute <= 14;
        const std::wstring expected = teen || last == 0 || last >= 5 ? L"MINUTES"
                                      : last == 1                    ? L"MINUTE"
                                                                     : L"MINUTE_W";
        EXPECT_EQ(words.back(), expected) << minute;
        const std::wstring number = words[words.size() - 2];
        if (last == 1 && !teen) {
            EXPECT_EQ(number, L"ONE_W") << minute;
        }
        if (last == 2 && !teen) {
            EXPECT_EQ(number, L"TWO_W") << minute;
        }
        EXPECT_NE(number, L"ONE") << minute;
        EXPECT_NE(number, L"TWO") << minute;
    }
    EXPECT_EQ(TimeOf(5, 11), (Words{L"FIVE", L"HOURS", L"EMPTY", L"ELEVEN", L"MINUTES"}));
    EXPECT_EQ(TimeOf(5, 50), (Words{L"FIVE", L"HOURS", L"EMPTY", L"FIFTY", L"MINUTES"}));
}

TEST(SpeechPhrase, Switches) {
    SpeechSwitches noTime;
    noTime.time = false;
    EXPECT_EQ(Say(7, 3, 14, 5, noTime),
              (Words{L"TODAY", L"EMPTY", L"SEVENTH", L"MARCH", L"EMPTY"}));

    SpeechSwitches noDate;
    noDate.date = false;
    EXPECT_EQ(Say(7, 3, 14, 5, noDate),
              (Words{L"TODAY", L"EMPTY", L"FOURTEEN", L"HOURS", L"EMPTY", L"FIVE", L"MINUTES"}));

    SpeechSwitches noMonth;
    noMonth.month = false;
    noMonth.today = false;
    noMonth.time = false;
    EXPECT_EQ(Say(7, 3, 14, 5, noMonth), (Words{L"EMPTY", L"SEVENTH", L"EMPTY"}));

    SpeechSwitches noUnits;
    noUnits.hour = false;
    noUnits.minute = false;
    noUnits.today = false;
    noUnits.date = false;
    EXPECT_EQ(Say(7, 3, 14, 5, noUnits), (Words{L"EMPTY", L"FOURTEEN", L"EMPTY", L"FIVE"}));
    EXPECT_EQ(Say(7, 3, 13, 0, noUnits), (Words{L"EMPTY", L"THIRTEEN", L"EMPTY", L"EXACTLY"}));
}

TEST(SpeechPhrase, EveryWordSpokenIsAResourceName) {
    const std::set<std::wstring_view> names(kSpeechWords.begin(), kSpeechWords.end());
    EXPECT_EQ(names.size(), 70u) << "the names are distinct";
    std::set<std::wstring_view> spoken;
    for (int day = 1; day <= 31; ++day)
        for (int month = 1; month <= 12; ++month)
            for (const std::wstring_view word : SpeechPhraseFor(day, month, 12, 0, {}))
                spoken.insert(word);
    for (int hour = 0; hour < 24; ++hour)
        for (int minute = 0; minute < 60; ++minute)
            for (const std::wstring_view word : SpeechPhraseFor(1, 1, hour, minute, {}))
                spoken.insert(word);
    for (const std::wstring_view word : spoken)
        EXPECT_TRUE(names.count(word)) << std::wstring(word);
    // Every name is spoken at some date and time.
    EXPECT_EQ(spoken.size(), names.size());
}

TEST(SpeechVoiceChoice, ConfiguredFileWhenItExistsElseVoicepackElseFirst) {
    const std::vector<std::wstring> files = {L"b.szt", L"Voicepack_en.szt", L"VOICEPACK.SZT",
                                             L"a.szt"};
    EXPECT_EQ(ChooseVoiceFile(L"Voicepack_en.szt", true, files), L"Voicepack_en.szt");
    EXPECT_EQ(ChooseVoiceFile(L"gone.szt", false, files), L"VOICEPACK.SZT");
    EXPECT_EQ(ChooseVoiceFile(L"", true, files), L"VOICEPACK.SZT");
    EXPECT_EQ(ChooseVoiceFile(L"", false, {L"c.szt", L"B.szt", L"x.szt"}), L"B.szt");
    EXPECT_EQ(ChooseVoiceFile(L"gone.szt", false, {}), L"");
}

} // namespace
} // namespace zt
