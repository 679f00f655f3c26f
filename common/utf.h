#pragma once
// UTF-8 <-> wide text, independent of the size of wchar_t.

#include <string>
#include <string_view>

namespace zt {

// Invalid UTF-8 sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
bool IsValidUtf8(std::string_view text);

} // namespace zt
