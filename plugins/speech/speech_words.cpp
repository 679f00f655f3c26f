#include "speech_words.h"

#include <algorithm>
#include <cwctype>

namespace zt {
namespace {

constexpr std::wstring_view kUnits[] = {
    L"ZERO",     L"ONE",     L"TWO",     L"THREE",     L"FOUR",     L"FIVE",    L"SIX",
    L"SEVEN",    L"EIGHT",   L"NINE",    L"TEN",       L"ELEVEN",   L"TWELVE",  L"THIRTEEN",
    L"FOURTEEN", L"FIFTEEN", L"SIXTEEN", L"SEVENTEEN", L"EIGHTEEN", L"NINETEEN"};
constexpr std::wstring_view kTens[] = {L"TWENTY", L"THIRTY", L"FOURTY", L"FIFTY"};
constexpr std::wstring_view kOrdinals[] = {
    L"FIRST",     L"SECOND",      L"THIRD",      L"FOURTH",     L"FIFTH",
    L"SIXTH",     L"SEVENTH",     L"EIGHTH",     L"NINTH",      L"TENTH",
    L"ELEVENTH",  L"TWELFTH",     L"THIRTEENTH", L"FOURTEENTH", L"FIFTEENTH",
    L"SIXTEENTH", L"SEVENTEENTH", L"EIGHTEENTH", L"NINETEENTH", L"TWENTIETH"};
constexpr std::wstring_view kMonths[] = {L"JANUARY",   L"FEBRUARY", L"MARCH",    L"APRIL",
                                         L"MAY",       L"JUNE",     L"JULY",     L"AUGUST",
                                         L"SEPTEMBER", L"OCTOBER",  L"NOVEMBER", L"DECEMBER"};
constexpr std::wstring_view kEmpty = L"EMPTY";

void SayDay(int day, SpeechPhrase& words) {
    if (day >= 1 && day <= 20) {
        words.push_back(kOrdinals[day - 1]);
    } else if (day >= 21 && day <= 29) {
        words.push_back(L"TWENTY");
        words.push_back(kOrdinals[day - 21]);
    } else if (day == 30) {
        words.push_back(L"THIRTIETH");
    } else if (day == 31) {
        words.push_back(L"THIRTY");
        words.push_back(L"FIRST");
    }
}

// Masculine: 0-23.
void SayHour(int hour, SpeechPhrase& words) {
    if (hour < 20) {
        words.push_back(kUnits[hour]);
        return;
    }
    words.push_back(L"TWENTY");
    if (hour > 20)
        words.push_back(kUnits[hour - 20]);
}

// Feminine: 1-59.
void SayMinute(int minute, SpeechPhrase& words) {
    int units = minute;
    if (minute >= 20) {
        words.push_back(kTens[minute / 10 - 2]);
        units = minute % 10;
    }
    if (units == 1)
        words.push_back(L"ONE_W");
    else if (units == 2)
        words.push_back(L"TWO_W");
    else if (units > 0)
        words.push_back(kUnits[units]);
}

// The three forms after a number: ending in one, in two to four, all others (11-14 too).
std::wstring_view UnitForm(int number, std::wstring_view one, std::wstring_view few,
                           std::wstring_view many) {
    const int lastTwo = number % 100;
    if (lastTwo >= 11 && lastTwo <= 14)
        return many;
    const int last = number % 10;
    if (last == 1)
        return one;
    if (last >= 2 && last <= 4)
        return few;
    return many;
}

std::wstring Folded(const std::wstring& text) {
    std::wstring folded = text;
    for (wchar_t& c : folded)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return folded;
}

} // namespace

SpeechPhrase SpeechPhraseFor(int day, int month, int hour, int minute,
                             const SpeechSwitches& switches) {
    SpeechPhrase words;
    if (switches.today)
        words.push_back(L"TODAY");
    words.push_back(kEmpty);
    if (switches.date) {
        SayDay(day, words);
        if (switches.month && month >= 1 && month <= 12)
            words.push_back(kMonths[month - 1]);
        words.push_back(kEmpty);
    }
    if (!switches.time || hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return words;
    if (hour == 0 && minute == 0) {
        words.push_back(L"MIDNIGHT");
        return words;
    }
    if (hour == 12 && minute == 0) {
        words.push_back(L"AFTERNOON");
        return words;
    }
    SayHour(hour, words);
    if (switches.hour)
        words.push_back(UnitForm(hour, L"HOUR", L"HOUR_W", L"HOURS"));
    words.push_back(kEmpty);
    if (minute == 0) {
        words.push_back(L"EXACTLY");
        return words;
    }
    SayMinute(minute, words);
    if (switches.minute)
        words.push_back(UnitForm(minute, L"MINUTE", L"MINUTE_W", L"MINUTES"));
    return words;
}

std::wstring ChooseVoiceFile(const std::wstring& configured, bool configuredExists,
                             const std::vector<std::wstring>& files) {
    if (!configured.empty() && configuredExists)
        return configured;
    const std::wstring fallback = Folded(kDefaultVoiceFile);
    const std::wstring* first = nullptr;
    for (const std::wstring& file : files) {
        const std::wstring folded = Folded(file);
        if (folded == fallback)
            return file;
        if (!first || folded < Folded(*first))
            first = &file;
    }
    return first ? *first : std::wstring();
}

} // namespace zt
