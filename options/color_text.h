#pragma once
// Colours as text, as colour schemes store them: a name for the standard colours
// ("clRed", "clMoneyGreen") and for the system colours ("clBtnHighlight"), otherwise
// "$00BBGGRR" in hexadecimal. A colour is a ZT_COLOR value: 0x00BBGGRR, or 0xFF0000nn for
// system colour nn (a negative number as int32).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zt::options {

// System colour values carry this flag; the low byte is the system colour index.
inline constexpr std::uint32_t kSystemColorFlag = 0xFF000000u;

inline bool IsSystemColor(std::int32_t color) {
    return (static_cast<std::uint32_t>(color) & kSystemColorFlag) == kSystemColorFlag;
}

// The colour's name, or "$" and eight upper-case hexadecimal digits.
std::wstring ColorToText(std::int32_t color);

// A colour name (any letter case), "$" or "0x" followed by 1 to 8 hexadecimal digits, or
// a decimal number in the int32 range (system colours are negative); blanks around it are
// ignored. Nothing for any other text.
std::optional<std::int32_t> TextToColor(std::wstring_view text);

// A decimal number in the int32 range with an optional sign; blanks around it are ignored.
std::optional<std::int32_t> TextToInteger(std::wstring_view text);

} // namespace zt::options
