#pragma once
// A registry key with its values and sub-keys as a registry file, in the text form regedit
// and "reg import" read: "Windows Registry Editor Version 5.00", one "[full key path]"
// section per key (the key first, then its sub-keys depth first), values as
//     "name"="text"          REG_SZ (ends in one NUL, no other NUL, CR or LF)
//     "name"=dword:0000002a  REG_DWORD of 4 bytes
//     "name"=hex:01,02       REG_BINARY
//     "name"=hex(7):41,00,…  every other type and REG_SZ that the text form cannot
//                            carry, the type in hexadecimal ("hex(b)" for REG_QWORD)
// "@" naming the default value, "\" and '"' escaped with "\" in names and texts, long hex
// lists continued on lines of their own ("\" at the end, two blanks in front), lines ended
// with CR LF. Stored as UTF-16 LE with a byte-order mark.

#include <cstdint>
#include <string>
#include <vector>

namespace zt::options {

// Value types, as the registry numbers them.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

struct RegValueData {
    std::wstring name; // empty for the default value
    uint32_t type = kRegNone;
    std::vector<uint8_t> data; // as stored (texts in UTF-16 LE)
};

struct RegKeyData {
    // The full path for the key written ("HKEY_CURRENT_USER\Software\…"), a sub-key's own
    // name below it.
    std::wstring name;
    std::vector<RegValueData> values;
    std::vector<RegKeyData> subkeys;
};

// The file's text (no byte-order mark).
std::wstring RegFileText(const RegKeyData& key);
// The file's bytes: the byte-order mark and the text in UTF-16 LE.
std::vector<uint8_t> RegFileBytes(const RegKeyData& key);

} // namespace zt::options
