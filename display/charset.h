#pragma once
// The LCD character table: one 16-bit segment code per displayable byte, and the
// mapping of text to those bytes. Portable: no Win32 here.
//
// Bytes 33-126 (printable ASCII) and 192-255 (the Cyrillic letters of code page 1251)
// have entries; every other byte shows as a blank cell (code 0).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zt::lcd {

inline constexpr std::size_t kCharTableWords = 158;
inline constexpr std::size_t kCharTableBytes = kCharTableWords * 2;

using CharTable = std::array<std::uint16_t, kCharTableWords>;

// The table as compiled in from lcd_charset.inc (the same words the program's
// "ZTLCDCC" resource is built from).
const CharTable& CompiledCharTable();

// A table from raw resource bytes: 158 little-endian words. Any other size gives an
// all-zero table, so every character shows as a blank cell.
CharTable CharTableFromBytes(const unsigned char* data, std::size_t size);

// The table CharToSegments reads. It starts as the compiled-in table; the Windows
// module replaces it with the program's resource when it initialises (see
// lcd_panel.h). GUI thread only.
const CharTable& ActiveCharTable();
void SetActiveCharTable(const CharTable& table);

// The segment code of a display byte: 33-126 -> word byte-33, 192-255 -> word
// 94+byte-192, any other byte -> 0.
std::uint16_t CharToSegments(const CharTable& table, std::uint8_t byte);
std::uint16_t CharToSegments(std::uint8_t byte);

// A byte without a table entry; characters that cannot be shown map to it.
inline constexpr std::uint8_t kBlankByte = 0x20;

// The display byte of one character: ASCII 33-126 as is, U+0410..U+044F (А..я) as
// their code page 1251 bytes 192-255, everything else (Ё and ё included) blank.
std::uint8_t CharToDisplayByte(char32_t ch);

// One display byte per character. UTF-16 surrogate pairs (where wchar_t is 16 bits)
// count as one character; a lone surrogate is one blank character.
std::string TextToDisplayBytes(std::wstring_view text);

} // namespace zt::lcd
