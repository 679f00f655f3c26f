#pragma once
// Which help file the menu opens: the one of the language in use,
// "<program>\Language\<code>\help_zentik.chm", else the one beside the program (in the
// built-in language).

#include <functional>
#include <string>

namespace zt {

inline constexpr wchar_t kHelpFileName[] = L"help_zentik.chm";

// programFolder without a trailing backslash; empty when neither file exists.
std::wstring ChooseHelpFile(const std::wstring& programFolder, const std::wstring& languageCode,
                            const std::function<bool(const std::wstring& path)>& exists);

} // namespace zt
