#include "display/charset.h"

#include <iterator>

namespace zt::lcd {
namespace {

constexpr std::uint16_t kCompiledWords[] = {
#include "display/lcd_charset.inc"
};
static_assert(std::size(kCompiledWords) == kCharTableWords,
              "lcd_charset.inc must hold exactly one word per table entry");

constexpr CharTable MakeCompiledTable() {
    CharTable table{};
    for (std::size_t i = 0; i < kCharTableWords; ++i)
        table[i] = kCompiledWords[i];
    return table;
}

constexpr CharTable kCompiledTable = MakeCompiledTable();

CharTable& MutableActiveTable() {
    static CharTable table = kCompiledTable;
    return table;
}

constexpr std::uint8_t kFirstAscii = 33;
constexpr std::uint8_t kLastAscii = 126;
constexpr std::uint8_t kFirstCyrillic = 192;
constexpr std::size_t kCyrillicOffset = 94;
constexpr char32_t kCyrillicCapitalA = 0x0410;
constexpr char32_t kCyrillicSmallYa = 0x044F;

} // namespace

const CharTable& CompiledCharTable() {
    return kCompiledTable;
}

CharTable CharTableFromBytes(const unsigned char* data, std::size_t size) {
    CharTable table{};
    if (data == nullptr || size != kCharTableBytes)
        return table;
    for (std::size_t i = 0; i < kCharTableWords; ++i)
        table[i] = static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return table;
}

const CharTable& ActiveCharTable() {
    return MutableActiveTable();
}

void SetActiveCharTable(const CharTable& table) {
    MutableActiveTable() = table;
}

std::uint16_t CharToSegments(const CharTable& table, std::uint8_t byte) {
    if (byte >= kFirstAscii && byte <= kLastAscii)
        return table[byte - kFirstAscii];
    if (byte >= kFirstCyrillic)
        return table[kCyrillicOffset + (byte - kFirstCyrillic)];
    return 0;
}

std::uint16_t CharToSegments(std::uint8_t byte) {
    return CharToSegments(ActiveCharTable(), byte);
}

std::uint8_t CharToDisplayByte(char32_t ch) {
    if (ch >= kFirstAscii && ch <= kLastAscii)
        return static_cast<std::uint8_t>(ch);
    if (ch >= kCyrillicCapitalA && ch <= kCyrillicSmallYa)
        return static_cast<std::uint8_t>(kFirstCyrillic + (ch - kCyrillicCapitalA));
    return kBlankByte;
}

std::string TextToDisplayBytes(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            // A high surrogate followed by a low one is a single character.
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
                const auto next = static_cast<char32_t>(text[i + 1]);
                if (next >= 0xDC00 && next <= 0xDFFF)
                    ++i;
            }
        }
        bytes.push_back(static_cast<char>(CharToDisplayByte(unit)));
    }
    return bytes;
}

} // namespace zt::lcd
