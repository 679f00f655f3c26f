#include "common/win_locale.h"

#include <windows.h>

namespace zt {

namespace {

// One locale string; false when the locale does not have it.
bool ReadLocaleString(const wchar_t* localeName, LCTYPE type, std::wstring& out) {
    const int size = GetLocaleInfoEx(localeName, type, nullptr, 0);
    if (size <= 0)
        return false;
    std::wstring text(static_cast<size_t>(size), L'\0');
    const int written = GetLocaleInfoEx(localeName, type, text.data(), size);
    if (written <= 0)
        return false;
    text.resize(static_cast<size_t>(written) - 1); // the count includes the terminating zero
    out = std::move(text);
    return true;
}

// A name or format: replaced only by a non-empty locale string.
void ReadNonEmpty(const wchar_t* localeName, LCTYPE type, std::wstring& field) {
    std::wstring text;
    if (ReadLocaleString(localeName, type, text) && !text.empty())
        field = std::move(text);
}

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == 0x00A0 || c == 0x202F;
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

constexpr LCTYPE kLongMonthTypes[12] = {
    LOCALE_SMONTHNAME1, LOCALE_SMONTHNAME2,  LOCALE_SMONTHNAME3,  LOCALE_SMONTHNAME4,
    LOCALE_SMONTHNAME5, LOCALE_SMONTHNAME6,  LOCALE_SMONTHNAME7,  LOCALE_SMONTHNAME8,
    LOCALE_SMONTHNAME9, LOCALE_SMONTHNAME10, LOCALE_SMONTHNAME11, LOCALE_SMONTHNAME12};
constexpr LCTYPE kShortMonthTypes[12] = {
    LOCALE_SABBREVMONTHNAME1,  LOCALE_SABBREVMONTHNAME2,  LOCALE_SABBREVMONTHNAME3,
    LOCALE_SABBREVMONTHNAME4,  LOCALE_SABBREVMONTHNAME5,  LOCALE_SABBREVMONTHNAME6,
    LOCALE_SABBREVMONTHNAME7,  LOCALE_SABBREVMONTHNAME8,  LOCALE_SABBREVMONTHNAME9,
    LOCALE_SABBREVMONTHNAME10, LOCALE_SABBREVMONTHNAME11, LOCALE_SABBREVMONTHNAME12};
// Windows: 1 = Monday ... 7 = Sunday.
constexpr LCTYPE kLongDayTypes[7] = {LOCALE_SDAYNAME1, LOCALE_SDAYNAME2, LOCALE_SDAYNAME3,
                                     LOCALE_SDAYNAME4, LOCALE_SDAYNAME5, LOCALE_SDAYNAME6,
                                     LOCALE_SDAYNAME7};
constexpr LCTYPE kShortDayTypes[7] = {
    LOCALE_SABBREVDAYNAME1, LOCALE_SABBREVDAYNAME2, LOCALE_SABBREVDAYNAME3, LOCALE_SABBREVDAYNAME4,
    LOCALE_SABBREVDAYNAME5, LOCALE_SABBREVDAYNAME6, LOCALE_SABBREVDAYNAME7};

// The separator: LOCALE_SDATE / LOCALE_STIME when they give something, else derived.
wchar_t ReadSeparator(const wchar_t* localeName, LCTYPE type, const std::wstring& picture,
                      std::wstring_view patternLetters, wchar_t fallback) {
    std::wstring text;
    if (ReadLocaleString(localeName, type, text) && !text.empty())
        return text[0];
    return SeparatorFromPicture(picture, patternLetters, fallback);
}

} // namespace

wchar_t SeparatorFromPicture(std::wstring_view picture, std::wstring_view patternLetters,
                             wchar_t fallback) {
    bool quoted = false;
    bool afterPattern = false;
    for (const wchar_t c : picture) {
        if (c == L'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (patternLetters.find(c) != std::wstring_view::npos) {
            afterPattern = true;
            continue;
        }
        if (afterPattern && !IsSpace(c))
            return c;
    }
    return fallback;
}

std::wstring PictureWithoutSeconds(std::wstring_view picture) {
    bool quoted = false;
    size_t keptEnd = 0; // end of the last character that is not a separator before seconds
    for (size_t i = 0; i < picture.size(); ++i) {
        const wchar_t c = picture[i];
        if (c == L'\'')
            quoted = !quoted;
        if (!quoted && c == L's') {
            size_t end = i;
            while (end < picture.size() && picture[end] == L's')
                ++end;
            std::wstring result(picture.substr(0, keptEnd));
            result.append(picture.substr(end));
            return result;
        }
        if (quoted || c == L'\'' || IsAsciiLetter(c))
            keptEnd = i + 1;
    }
    return std::wstring(picture);
}

FormatSettings ReadLocaleFormatSettings() {
    return ReadLocaleFormatSettings(LOCALE_NAME_USER_DEFAULT);
}

FormatSettings ReadLocaleFormatSettings(const wchar_t* localeName) {
    FormatSettings s = DefaultFormatSettings();

    std::wstring shortDate, longDate, longTime, shortTime;
    ReadNonEmpty(localeName, LOCALE_SSHORTDATE, shortDate);
    ReadNonEmpty(localeName, LOCALE_SLONGDATE, longDate);
    ReadNonEmpty(localeName, LOCALE_STIMEFORMAT, longTime);
    ReadNonEmpty(localeName, LOCALE_SSHORTTIME, shortTime);
    if (shortTime.empty() && !longTime.empty())
        shortTime = PictureWithoutSeconds(longTime);

    if (!shortDate.empty())
        s.shortDateFormat = LocalePictureToFormat(shortDate);
    if (!longDate.empty())
        s.longDateFormat = LocalePictureToFormat(longDate);
    if (!longTime.empty())
        s.longTimeFormat = LocalePictureToFormat(longTime);
    if (!shortTime.empty())
        s.shortTimeFormat = LocalePictureToFormat(shortTime);

    s.dateSeparator = ReadSeparator(localeName, LOCALE_SDATE, shortDate, L"dMyg", L'/');
    s.timeSeparator = ReadSeparator(localeName, LOCALE_STIME, longTime, L"hHmst", L':');

    // AM/PM: a locale without them (ru-RU) gives empty strings, kept as Windows shows them.
    ReadLocaleString(localeName, LOCALE_S1159, s.timeAMString);
    ReadLocaleString(localeName, LOCALE_S2359, s.timePMString);

    for (int i = 0; i < 12; ++i) {
        ReadNonEmpty(localeName, kLongMonthTypes[i], s.longMonthNames[i]);
        ReadNonEmpty(localeName, kShortMonthTypes[i], s.shortMonthNames[i]);
    }
    for (int windowsDay = 0; windowsDay < 7; ++windowsDay) {
        const int sundayFirst = (windowsDay + 1) % 7; // Monday (0) -> 1, Sunday (6) -> 0
        ReadNonEmpty(localeName, kLongDayTypes[windowsDay], s.longDayNames[sundayFirst]);
        ReadNonEmpty(localeName, kShortDayTypes[windowsDay], s.shortDayNames[sundayFirst]);
    }
    return s;
}

} // namespace zt
