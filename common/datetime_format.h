#pragma once
// The date-time format language of user display formats ("hh:mm:ss", "dddd d mmmm yyyy", ...).

#include "common/datetime.h"

#include <array>
#include <string>

namespace zt {

// Locale data used by the formatter; filled from Windows at run time, fixed in tests.
struct FormatSettings {
    wchar_t dateSeparator = L'.';
    wchar_t timeSeparator = L':';
    std::wstring shortDateFormat = L"dd.MM.yyyy";
    std::wstring longDateFormat = L"d MMMM yyyy 'г.'";
    std::wstring shortTimeFormat = L"h:mm";
    std::wstring longTimeFormat = L"h:mm:ss";
    std::wstring timeAMString = L"AM";
    std::wstring timePMString = L"PM";
    std::array<std::wstring, 12> shortMonthNames{};
    std::array<std::wstring, 12> longMonthNames{};
    std::array<std::wstring, 7> shortDayNames{}; // Sunday first
    std::array<std::wstring, 7> longDayNames{};  // Sunday first
};

// Settings with English names and the separators above; a neutral default for tests.
FormatSettings DefaultFormatSettings();

// Formats value with format. An empty format means "c".
std::wstring FormatDateTime(const std::wstring& format, DateTime value,
                            const FormatSettings& settings);

} // namespace zt
