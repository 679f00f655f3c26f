#pragma once
// The date-time format language of user display formats ("hh:mm:ss", "dddd d mmmm yyyy", ...):
// the classic VCL FormatDateTime language.
//
// Specifiers (letters are case-insensitive; a specifier's length is the run of the same
// character as typed, so "DD" is one two-letter specifier but "Dd" two one-letter ones):
//   d dd          day of the month, without / with a leading zero
//   ddd dddd      short / long day name
//   ddddd         the short date format; dddddd (or longer) the long date format
//   m mm          month number; minute when the previous letter specifier was h or hh
//                 (separators, spaces and quoted text in between do not count)
//   mmm mmmm      short / long month name (mmmm or longer)
//   yy yyyy       two-digit year (y too) / four-digit year (yyy or longer too)
//   h hh          hour; 12-hour when an am/pm, a/p or ampm specifier follows it (before the
//                 next h) or came earlier in the same format, 24-hour otherwise
//   n nn s ss     minute, second (longer runs count as two letters)
//   z zzz         millisecond without / with leading zeros (zz as two-digit minimum)
//   t tt          the short / long time format
//   c             the short date format, then a space and the long time format unless the
//                 time is exactly midnight
//   am/pm a/p     "am"/"pm" or "a"/"p", copied from the format text with its case
//   ampm          settings.timeAMString or settings.timePMString
//   aaa aaaa      short / long day name (as ddd / dddd)
//   /  :          settings.dateSeparator / settings.timeSeparator (nothing when it is 0)
//   '...' "..."   the text between the quotes, copied; an unterminated quote runs to the end
//   other         copied as it is
// ddddd, dddddd, t, tt and c expand another format; an expansion inside an expansion
// produces nothing (two levels at most), so a short date format containing "c" or "ddddd"
// cannot recurse.
//
// The four formats in FormatSettings are written in these letters, never in the Windows
// locale picture letters (where "M" is the month, "m" the minute and "H" a 24-hour hour);
// LocalePictureToFormat converts the latter.

#include "common/datetime.h"

#include <array>
#include <string>

namespace zt {

// Locale data used by the formatter; filled from Windows at run time (win_locale.h), fixed
// in tests. The defaults are English names with '.' and ':' separators.
struct FormatSettings {
    wchar_t dateSeparator = L'.';
    wchar_t timeSeparator = L':';
    std::wstring shortDateFormat = L"dd/mm/yyyy";
    std::wstring longDateFormat = L"d mmmm yyyy";
    std::wstring shortTimeFormat = L"h:nn";
    std::wstring longTimeFormat = L"h:nn:ss";
    std::wstring timeAMString = L"AM";
    std::wstring timePMString = L"PM";
    std::array<std::wstring, 12> shortMonthNames{L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                                 L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    std::array<std::wstring, 12> longMonthNames{
        L"January", L"February", L"March",     L"April",   L"May",      L"June",
        L"July",    L"August",   L"September", L"October", L"November", L"December"};
    std::array<std::wstring, 7> shortDayNames{L"Sun", L"Mon", L"Tue", L"Wed",
                                              L"Thu", L"Fri", L"Sat"}; // Sunday first
    std::array<std::wstring, 7> longDayNames{L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                             L"Thursday", L"Friday", L"Saturday"}; // Sunday first
};

// Settings with English names and the separators above (the same as FormatSettings{}).
FormatSettings DefaultFormatSettings();

// Formats value with format. An empty format means "c". A value outside the years 1-9999
// (or not finite) formats as 30 December 1899, 00:00.
std::wstring FormatDateTime(const std::wstring& format, DateTime value,
                            const FormatSettings& settings);

// Converts a Windows locale picture string (LOCALE_SSHORTDATE, LOCALE_SLONGDATE,
// LOCALE_STIMEFORMAT, LOCALE_SSHORTTIME) to the letters above:
//   d dd ddd dddd(+)  ->  the same (five or more d's stay a long day name)
//   M MM MMM MMMM(+)  ->  m mm mmm mmmm
//   y yy              ->  yy            yyy yyyy(+)  ->  yyyy
//   h hh H HH         ->  h hh (12- or 24-hour follows from the am/pm marker, see below)
//   m mm              ->  n nn          s ss  ->  s ss
//   t tt              ->  ampm          g gg (era)  ->  dropped
//   'text'            ->  the text, quoted again when it holds letters or quote characters;
//                         '' (inside or outside quotes) is one apostrophe
//   / and : outside quotes stay the separator specifiers (the locale's own separators);
//   any other letter or quote character is quoted, other characters are copied.
// Limits of the target language: a 12-hour "h" without "t" becomes a 24-hour hour, an "H"
// with "t" a 12-hour hour, "t" shows the whole AM/PM string, and "y" keeps its leading zero.
// A month directly after an hour with no other letter between ("H MMMM") would read as
// minutes; Windows keeps date and time pictures apart, so locale strings never do that.
std::wstring LocalePictureToFormat(const std::wstring& picture);

} // namespace zt
