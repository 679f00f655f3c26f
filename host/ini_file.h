#pragma once
// A read-only INI file with the look-up rules of the Windows private-profile functions.
//
// Parsing, line by line (lines end at LF; a CR before it is whitespace):
// - leading and trailing whitespace (blank, tab, CR, VT, FF, Ctrl-Z) is ignored;
// - empty lines and lines starting with ';' are skipped;
// - "[name]" starts a section: the name is the text between '[' and the last ']',
//   trimmed; a line starting with '[' but without ']' is read as an ident line;
// - "ident = value" adds a value: the ident is the text before the first '=', the value
//   the text after it, both trimmed; a further '=' and a ';' in the value are part of it;
// - a line without '=' defines nothing;
// - lines before the first section belong to a section with an empty name.
// Look-up:
// - section and ident names compare case-insensitively (ASCII, Latin-1, Greek and
//   Cyrillic letters); the names asked for are trimmed like the file's;
// - only the first section of a name is searched, and its first ident of the name wins;
// - a value enclosed in a matching pair of double or single quotes comes back without
//   them, as GetPrivateProfileString returns it; other quotes stay.
//
// Bytes are decoded as UTF-8 (a BOM is skipped) and, when they are not valid UTF-8, as
// Windows-1251.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zt {

// The bytes of a text file as text: UTF-8 with or without BOM, else Windows-1251.
std::wstring DecodeTextFile(std::string_view bytes);
// Windows-1251 bytes as text; the one unassigned byte 0x98 becomes U+0098.
std::wstring DecodeWindows1251(std::string_view bytes);
// Case-insensitive equality with the folding rules of the INI look-up.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

class IniFile {
public:
    IniFile() = default;
    // Parses decoded text.
    explicit IniFile(std::wstring_view text);
    // Decodes (DecodeTextFile) and parses the bytes of a file.
    static IniFile FromBytes(std::string_view bytes);

    // The value of section/ident, or nothing when the file does not define it.
    std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view ident) const;
    // The value of section/ident, or fallback.
    std::wstring ReadString(std::wstring_view section, std::wstring_view ident,
                            std::wstring_view fallback) const;
    // Every section/ident pair the look-up can reach, in file order.
    std::vector<std::pair<std::wstring, std::wstring>> Keys() const;

private:
    struct Entry {
        std::wstring ident;
        std::wstring value;
    };
    struct Section {
        std::wstring name;
        std::vector<Entry> entries;
    };
    const Section* FindSection(std::wstring_view name) const;

    std::vector<Section> sections_;
};

} // namespace zt
