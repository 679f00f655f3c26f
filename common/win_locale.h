#pragma once
// Reads the formatter's locale data (FormatSettings) from the Windows locale. Windows only.

#include "common/datetime_format.h"

#include <string>
#include <string_view>

namespace zt {

// The settings of the user's locale (LOCALE_NAME_USER_DEFAULT).
FormatSettings ReadLocaleFormatSettings();

// The settings of a named locale such as L"ru-RU"; nullptr means the user's locale.
// Every field comes from GetLocaleInfoEx: the four formats converted from the locale's
// picture strings with LocalePictureToFormat, month and day names (Windows counts days from
// Monday, FormatSettings from Sunday), the AM/PM strings (kept empty when the locale has
// none), the separators from LOCALE_SDATE / LOCALE_STIME or, when those give nothing, from
// the short date / long time pictures. A field the locale cannot give keeps its
// DefaultFormatSettings() value.
FormatSettings ReadLocaleFormatSettings(const wchar_t* localeName);

// Helpers of the above, on Windows picture strings.

// The first character outside quotes that follows one of patternLetters and is neither a
// pattern letter nor white space ("dd.MM.yyyy" with L"dMyg" gives '.'); fallback if none.
wchar_t SeparatorFromPicture(std::wstring_view picture, std::wstring_view patternLetters,
                             wchar_t fallback);

// A long time picture without its seconds and the separator before them
// ("h:mm:ss tt" gives "h:mm tt"); used when LOCALE_SSHORTTIME is not available.
std::wstring PictureWithoutSeconds(std::wstring_view picture);

} // namespace zt
