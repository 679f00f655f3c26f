#pragma once
// Texts with arguments: each "%s" or "%d" of a language or resource text takes the next
// argument in order, "%%" is a percent sign. Arguments beyond the placeholders are
// dropped; placeholders beyond the arguments stay as they stand.

#include <initializer_list>
#include <string>
#include <string_view>

namespace zt {

std::wstring FormatText(std::wstring_view format, std::initializer_list<std::wstring_view> args);

} // namespace zt
