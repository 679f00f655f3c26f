#pragma once
// Text forms of stored settings: "True"/"False", decimal numbers, position lists.

#include <array>
#include <optional>
#include <string>

namespace zt {

std::wstring BoolText(bool value);
// "True" or "False" in any letter case; nothing for anything else.
std::optional<bool> ParseBool(const std::wstring& text);
// A decimal integer with optional sign and surrounding blanks, within [min, max].
std::optional<long long> ParseInteger(const std::wstring& text, long long min, long long max);
// Leading and trailing blanks and control characters removed.
std::wstring TrimText(const std::wstring& text);
// "%d,%d,%d,%d" of four numbers; numbers that are missing or unreadable keep the
// values already in out. False when none could be read.
bool ParseFourIntegers(const std::wstring& text, std::array<int, 4>& out);
std::wstring FourIntegersText(const std::array<int, 4>& values);
// "(%dx%d)": the suffix of position names saved for one screen size.
std::wstring ScreenSizeSuffix(int width, int height);

} // namespace zt
