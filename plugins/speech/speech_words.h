#pragma once
// The speaking clock's words: the 70 resource names of a voice library, the word sequence
// spoken for a date and time (Russian grammar: feminine "one" and "two" before minutes,
// three plural forms of "hour" and "minute"), the hour-subscription rule and the choice
// of the voice file. Portable: no <windows.h>.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// Every "WAVE" resource a voice library holds, by group.
inline constexpr std::array<std::wstring_view, 70> kSpeechWords = {
    // cardinal numbers
    L"ZERO", L"ONE", L"ONE_W", L"TWO", L"TWO_W", L"THREE", L"FOUR", L"FIVE", L"SIX", L"SEVEN",
    L"EIGHT", L"NINE", L"TEN", L"ELEVEN", L"TWELVE", L"THIRTEEN", L"FOURTEEN", L"FIFTEEN",
    L"SIXTEEN", L"SEVENTEEN", L"EIGHTEEN", L"NINETEEN", L"TWENTY", L"THIRTY", L"FOURTY", L"FIFTY",
    // ordinal numbers (days)
    L"FIRST", L"SECOND", L"THIRD", L"FOURTH", L"FIFTH", L"SIXTH", L"SEVENTH", L"EIGHTH", L"NINTH",
    L"TENTH", L"ELEVENTH", L"TWELFTH", L"THIRTEENTH", L"FOURTEENTH", L"FIFTEENTH", L"SIXTEENTH",
    L"SEVENTEENTH", L"EIGHTEENTH", L"NINETEENTH", L"TWENTIETH", L"THIRTIETH",
    // months
    L"JANUARY", L"FEBRUARY", L"MARCH", L"APRIL", L"MAY", L"JUNE", L"JULY", L"AUGUST", L"SEPTEMBER",
    L"OCTOBER", L"NOVEMBER", L"DECEMBER",
    // units
    L"HOUR", L"HOUR_W", L"HOURS", L"MINUTE", L"MINUTE_W", L"MINUTES",
    // other
    L"TODAY", L"EXACTLY", L"MIDNIGHT", L"AFTERNOON", L"EMPTY"};

// What a phrase says; all on by default.
struct SpeechSwitches {
    bool today = true;
    bool date = true;
    bool month = true;
    bool time = true;
    bool hour = true;   // the word "hour" after the hour number
    bool minute = true; // the word "minute" after the minute number

    bool operator==(const SpeechSwitches&) const = default;
};

using SpeechPhrase = std::vector<std::wstring_view>;

// The words for day (1-31) of month (1-12) at hour (0-23) and minute (0-59). Values out
// of range say nothing for their part.
SpeechPhrase SpeechPhraseFor(int day, int month, int hour, int minute,
                             const SpeechSwitches& switches);

// The hour message is subscribed to exactly while either hourly switch is on.
constexpr bool NeedsHourSubscription(bool everyHour, bool everyHourPlay) {
    return everyHour || everyHourPlay;
}

// The voice file name to load from the plug-in folder: configured when it names a file
// there (configuredExists), else "Voicepack.szt" when listed in files (the names of the
// folder's "*.szt" files), else the first of files in case-insensitive order; empty when
// there is none.
std::wstring ChooseVoiceFile(const std::wstring& configured, bool configuredExists,
                             const std::vector<std::wstring>& files);

inline constexpr wchar_t kDefaultVoiceFile[] = L"Voicepack.szt";

} // namespace zt
