#include "host/ini_file.h"

#include "common/utf.h"

namespace zt {

namespace {

// Code points of bytes 0x80-0xBF in Windows-1251; 0xC0-0xFF are U+0410-U+044F.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

bool IsIniSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
           c == 0x1A;
}

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsIniSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsIniSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// Simple lower-case mapping of the letters language files use in names.
wchar_t FoldCase(wchar_t c) {
    const auto u = static_cast<unsigned long>(c);
    if (u < 0x80)
        return (u >= 'A' && u <= 'Z') ? static_cast<wchar_t>(u + 0x20) : c;
    if ((u >= 0xC0 && u <= 0xDE && u != 0xD7) || (u >= 0x391 && u <= 0x3AB && u != 0x3A2) ||
        (u >= 0x410 && u <= 0x42F))
        return static_cast<wchar_t>(u + 0x20);
    if (u >= 0x400 && u <= 0x40F)
        return static_cast<wchar_t>(u + 0x50);
    return c;
}

std::wstring_view StripQuotes(std::wstring_view value) {
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

std::wstring DecodeWindows1251(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out.push_back(static_cast<wchar_t>(b));
        else if (b < 0xC0)
            out.push_back(static_cast<wchar_t>(kCp1251High[b - 0x80]));
        else
            out.push_back(static_cast<wchar_t>(0x410 + (b - 0xC0)));
    }
    return out;
}

std::wstring DecodeTextFile(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom)
        bytes.remove_prefix(kBom.size());
    if (IsValidUtf8(bytes))
        return Utf8ToWide(bytes);
    return DecodeWindows1251(bytes);
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

IniFile::IniFile(std::wstring_view text) {
    sections_.push_back(Section{}); // idents before the first section line
    while (!text.empty()) {
        const size_t eol = text.find(L'\n');
        std::wstring_view line = Trim(text.substr(0, eol));
        text.remove_prefix(eol == std::wstring_view::npos ? text.size() : eol + 1);
        if (line.empty() || line.front() == L';')
            continue;
        if (line.front() == L'[') {
            const size_t close = line.rfind(L']');
            if (close != std::wstring_view::npos && close > 0) {
                sections_.push_back(Section{std::wstring(Trim(line.substr(1, close - 1))), {}});
                continue;
            }
        }
        const size_t eq = line.find(L'=');
        if (eq == std::wstring_view::npos)
            continue;
        sections_.back().entries.push_back(
            Entry{std::wstring(Trim(line.substr(0, eq))), std::wstring(Trim(line.substr(eq + 1)))});
    }
}

IniFile IniFile::FromBytes(std::string_view bytes) {
    return IniFile(DecodeTextFile(bytes));
}

const IniFile::Section* IniFile::FindSection(std::wstring_view name) const {
    name = Trim(name);
    for (const Section& section : sections_) {
        if (EqualsNoCase(section.name, name))
            return &section;
    }
    return nullptr;
}

std::optional<std::wstring> IniFile::Find(std::wstring_view section,
                                          std::wstring_view ident) const {
    const Section* found = FindSection(section);
    if (!found)
        return std::nullopt;
    ident = Trim(ident);
    for (const Entry& entry : found->entries) {
        if (EqualsNoCase(entry.ident, ident))
            return std::wstring(StripQuotes(entry.value));
    }
    return std::nullopt;
}

std::wstring IniFile::ReadString(std::wstring_view section, std::wstring_view ident,
                                 std::wstring_view fallback) const {
    if (auto value = Find(section, ident))
        return std::move(*value);
    return std::wstring(fallback);
}

std::vector<std::pair<std::wstring, std::wstring>> IniFile::Keys() const {
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    for (const Section& section : sections_) {
        if (FindSection(section.name) != &section)
            continue; // shadowed by an earlier section of the same name
        for (size_t i = 0; i < section.entries.size(); ++i) {
            bool shadowed = false;
            for (size_t j = 0; j < i && !shadowed; ++j)
                shadowed = EqualsNoCase(section.entries[j].ident, section.entries[i].ident);
            if (!shadowed)
                keys.emplace_back(section.name, section.entries[i].ident);
        }
    }
    return keys;
}

} // namespace zt
