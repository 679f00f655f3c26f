#include "options/reg_file.h"

#include <cstddef>

namespace zt::options {
namespace {

// Hex lists are continued once a line reaches this length, as regedit does.
constexpr std::size_t kHexLineLength = 77;

void AppendEscaped(std::wstring& out, std::wstring_view text) {
    for (const wchar_t c : text) {
        if (c == L'\\' || c == L'"')
            out += L'\\';
        out += c;
    }
}

std::wstring QuotedName(const std::wstring& name) {
    if (name.empty())
        return L"@";
    std::wstring quoted = L"\"";
    AppendEscaped(quoted, name);
    quoted += L'"';
    return quoted;
}

uint16_t Unit(const std::vector<uint8_t>& data, std::size_t index) {
    return static_cast<uint16_t>(data[2 * index] | (data[2 * index + 1] << 8));
}

// The text of a REG_SZ value when the quoted form carries it unchanged: one terminating
// NUL and no other NUL, CR or LF (which the text form cannot hold).
bool TextForm(const std::vector<uint8_t>& data, std::wstring& text) {
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    const std::size_t units = data.size() / 2;
    if (Unit(data, units - 1) != 0)
        return false;
    text.clear();
    for (std::size_t i = 0; i + 1 < units; ++i) {
        const uint16_t unit = Unit(data, i);
        if (unit == 0 || unit == L'\r' || unit == L'\n')
            return false;
        // UTF-16 units stay units (a pair of surrogates is written back as the same pair).
        text += static_cast<wchar_t>(unit);
    }
    return true;
}

// Lower-case hexadecimal, at least digits long.
std::wstring Hex(uint32_t value, std::size_t digits) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (text.size() < digits)
        text.insert(0, digits - text.size(), L'0');
    return text;
}

void AppendHexList(std::wstring& out, std::size_t lineStart, const std::vector<uint8_t>& data) {
    std::size_t lineLength = out.size() - lineStart;
    for (std::size_t i = 0; i < data.size(); ++i) {
        out += Hex(data[i], 2);
        if (i + 1 == data.size())
            break;
        out += L',';
        lineLength += 3;
        if (lineLength >= kHexLineLength) {
            out += L"\\\r\n  ";
            lineLength = 2;
        }
    }
}

void AppendValue(std::wstring& out, const RegValueData& value) {
    const std::size_t lineStart = out.size();
    out += QuotedName(value.name) + L'=';
    std::wstring text;
    if (value.type == kRegSz && TextForm(value.data, text)) {
        out += L'"';
        AppendEscaped(out, text);
        out += L'"';
    } else if (value.type == kRegDword && value.data.size() == 4) {
        const uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                (static_cast<uint32_t>(value.data[3]) << 24);
        out += L"dword:" + Hex(number, 8);
    } else {
        out +=
            value.type == kRegBinary ? std::wstring(L"hex:") : L"hex(" + Hex(value.type, 1) + L"):";
        AppendHexList(out, lineStart, value.data);
    }
    out += L"\r\n";
}

void AppendKey(std::wstring& out, const std::wstring& path, const RegKeyData& key) {
    out += L"\r\n[" + path + L"]\r\n";
    for (const RegValueData& value : key.values)
        AppendValue(out, value);
    for (const RegKeyData& subkey : key.subkeys)
        AppendKey(out, path + L'\\' + subkey.name, subkey);
}

void AppendUnit(std::vector<uint8_t>& bytes, uint32_t unit) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
}

} // namespace

std::wstring RegFileText(const RegKeyData& key) {
    std::wstring text = L"Windows Registry Editor Version 5.00\r\n";
    AppendKey(text, key.name, key);
    text += L"\r\n";
    return text;
}

std::vector<uint8_t> RegFileBytes(const RegKeyData& key) {
    const std::wstring text = RegFileText(key);
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    bytes.reserve(2 + 2 * text.size());
    for (const wchar_t c : text) {
        const auto code = static_cast<uint32_t>(c);
        if (code > 0xFFFF) { // a 4-byte wchar_t beyond the BMP
            AppendUnit(bytes, 0xD800 + ((code - 0x10000) >> 10));
            AppendUnit(bytes, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            AppendUnit(bytes, code);
        }
    }
    return bytes;
}

} // namespace zt::options
