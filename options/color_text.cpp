#include "options/color_text.h"

#include <array>
#include <cstddef>

namespace zt::options {
namespace {

struct NamedColor {
    std::uint32_t value;
    const wchar_t* name;
};

constexpr std::uint32_t System(std::uint32_t index) {
    return kSystemColorFlag | index;
}

// The standard colours, then the system colours by index.
constexpr std::array<NamedColor, 52> kNames{{
    {0x000000, L"clBlack"},
    {0x000080, L"clMaroon"},
    {0x008000, L"clGreen"},
    {0x008080, L"clOlive"},
    {0x800000, L"clNavy"},
    {0x800080, L"clPurple"},
    {0x808000, L"clTeal"},
    {0x808080, L"clGray"},
    {0xC0C0C0, L"clSilver"},
    {0x0000FF, L"clRed"},
    {0x00FF00, L"clLime"},
    {0x00FFFF, L"clYellow"},
    {0xFF0000, L"clBlue"},
    {0xFF00FF, L"clFuchsia"},
    {0xFFFF00, L"clAqua"},
    {0xFFFFFF, L"clWhite"},
    {0xC0DCC0, L"clMoneyGreen"},
    {0xF0CAA6, L"clSkyBlue"},
    {0xF0FBFF, L"clCream"},
    {0xA4A0A0, L"clMedGray"},
    {0x1FFFFFFF, L"clNone"},
    {0x20000000, L"clDefault"},
    {System(0), L"clScrollBar"},
    {System(1), L"clBackground"},
    {System(2), L"clActiveCaption"},
    {System(3), L"clInactiveCaption"},
    {System(4), L"clMenu"},
    {System(5), L"clWindow"},
    {System(6), L"clWindowFrame"},
    {System(7), L"clMenuText"},
    {System(8), L"clWindowText"},
    {System(9), L"clCaptionText"},
    {System(10), L"clActiveBorder"},
    {System(11), L"clInactiveBorder"},
    {System(12), L"clAppWorkSpace"},
    {System(13), L"clHighlight"},
    {System(14), L"clHighlightText"},
    {System(15), L"clBtnFace"},
    {System(16), L"clBtnShadow"},
    {System(17), L"clGrayText"},
    {System(18), L"clBtnText"},
    {System(19), L"clInactiveCaptionText"},
    {System(20), L"clBtnHighlight"},
    {System(21), L"cl3DDkShadow"},
    {System(22), L"cl3DLight"},
    {System(23), L"clInfoText"},
    {System(24), L"clInfoBk"},
    {System(26), L"clHotLight"},
    {System(27), L"clGradientActiveCaption"},
    {System(28), L"clGradientInactiveCaption"},
    {System(29), L"clMenuHighlight"},
    {System(30), L"clMenuBar"},
}};

wchar_t LowerAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    const wchar_t lower = LowerAscii(c);
    if (lower >= L'a' && lower <= L'f')
        return lower - L'a' + 10;
    return -1;
}

std::optional<std::int32_t> ParseHex(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (const wchar_t c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<std::int32_t> TextToInteger(std::wstring_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    std::int64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::wstring ColorToText(std::int32_t color) {
    const auto value = static_cast<std::uint32_t>(color);
    for (const NamedColor& named : kNames)
        if (named.value == value)
            return named.name;
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring text(9, L'$');
    for (std::size_t i = 8; i >= 1; --i)
        text[i] = kHex[(value >> ((8 - i) * 4)) & 0xFu];
    return text;
}

std::optional<std::int32_t> TextToColor(std::wstring_view text) {
    text = Trim(text);
    if (text.empty())
        return std::nullopt;
    for (const NamedColor& named : kNames)
        if (SameName(text, named.name))
            return static_cast<std::int32_t>(named.value);
    if (text.front() == L'$')
        return ParseHex(text.substr(1));
    if (text.size() > 2 && text[0] == L'0' && LowerAscii(text[1]) == L'x')
        return ParseHex(text.substr(2));
    return TextToInteger(text);
}

} // namespace zt::options
