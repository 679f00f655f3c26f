#pragma once
// 8-bit text from files and other modules: UTF-8 when valid, else the system code page.

#include <string>
#include <string_view>

namespace zt {

// UTF-8 (a BOM is skipped) when the bytes are valid UTF-8, otherwise the system ANSI code
// page.
std::wstring DecodeEightBitText(std::string_view bytes);

} // namespace zt
