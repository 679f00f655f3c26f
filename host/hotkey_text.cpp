#include "host/hotkey_text.h"

#include <array>
#include <string>

namespace zt {
namespace {

struct KeyName {
    std::wstring_view name;
    uint32_t virtualKey;
};

// Names other than the digits, letters and function keys, in key-code order.
constexpr std::array kKeyNames{
    KeyName{L"BkSp", 0x08},
    KeyName{L"Tab", 0x09},
    KeyName{L"Enter", 0x0D},
    KeyName{L"Shift", 0x10},
    KeyName{L"Ctrl", 0x11},
    KeyName{L"Alt", 0x12},
    KeyName{L"Pause", 0x13},
    KeyName{L"Caps Lock", 0x14},
    KeyName{L"Esc", 0x1B},
    KeyName{L"Space", 0x20},
    KeyName{L"PgUp", 0x21},
    KeyName{L"PgDn", 0x22},
    KeyName{L"End", 0x23},
    KeyName{L"Home", 0x24},
    KeyName{L"Left", 0x25},
    KeyName{L"Up", 0x26},
    KeyName{L"Right", 0x27},
    KeyName{L"Down", 0x28},
    KeyName{L"Print Screen", 0x2C},
    KeyName{L"Ins", 0x2D},
    KeyName{L"Del", 0x2E},
    KeyName{L"Num *", 0x6A},
    KeyName{L"Num +", 0x6B},
    KeyName{L"Num -", 0x6D},
    KeyName{L"Num Del", 0x6E},
    KeyName{L"Num /", 0x6F},
    KeyName{L"Num Lock", 0x90},
    KeyName{L"Scroll Lock", 0x91},
    KeyName{L";", 0xBA},
    KeyName{L"=", 0xBB},
    KeyName{L",", 0xBC},
    KeyName{L"-", 0xBD},
    KeyName{L".", 0xBE},
    KeyName{L"/", 0xBF},
    KeyName{L"`", 0xC0},
    KeyName{L"[", 0xDB},
    KeyName{L"\\", 0xDC},
    KeyName{L"]", 0xDD},
    KeyName{L"'", 0xDE},
};

constexpr uint32_t kMaxKeyNumber = 0x7FFFFFFF;

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameAsciiText(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

// Removes front from the start of text when it is there, ignoring ASCII case.
bool SkipFront(std::wstring_view& text, std::wstring_view front) {
    if (text.size() < front.size() || !SameAsciiText(text.substr(0, front.size()), front))
        return false;
    text.remove_prefix(front.size());
    return true;
}

bool IsHighSurrogate(uint32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The code point when text is exactly one character (a surrogate pair counts as one).
bool SingleCharacter(std::wstring_view text, uint32_t& code) {
    if (text.size() == 1) {
        code = static_cast<uint32_t>(text[0]);
        return true;
    }
    if (text.size() == 2) {
        const auto high = static_cast<uint32_t>(text[0]);
        const auto low = static_cast<uint32_t>(text[1]);
        if (IsHighSurrogate(high) && IsLowSurrogate(low)) {
            code = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
            return true;
        }
    }
    return false;
}

bool ParseDecimal(std::wstring_view text, uint32_t& value) {
    if (text.empty())
        return false;
    uint64_t result = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        result = result * 10 + static_cast<uint64_t>(c - L'0');
        if (result > kMaxKeyNumber)
            return false;
    }
    value = static_cast<uint32_t>(result);
    return true;
}

// Removes the first occurrence of word from text; true when there was one.
bool RemoveFirst(std::wstring& text, std::wstring_view word) {
    const size_t at = text.find(word);
    if (at == std::wstring::npos)
        return false;
    text.erase(at, word.size());
    return true;
}

} // namespace

bool IsHotKeyName(std::wstring_view name) {
    return name.starts_with(kHotKeyPrefix);
}

HotKeyName ParseHotKeyName(std::wstring_view name) {
    HotKeyName result;
    if (!IsHotKeyName(name))
        return result;
    std::wstring rest(name.substr(kHotKeyPrefix.size()));
    if (rest.empty()) {
        result.kind = HotKeyNameKind::Empty;
        return result;
    }

    struct Modifier {
        std::wstring_view word;
        uint32_t flag;
    };
    constexpr std::array kModifiers{Modifier{L"Shift", kHotKeyShift},
                                    Modifier{L"Ctrl", kHotKeyControl}, Modifier{L"Alt", kHotKeyAlt},
                                    Modifier{L"Win", kHotKeyWin}};
    for (const Modifier& modifier : kModifiers) {
        if (RemoveFirst(rest, modifier.word))
            result.modifiers |= modifier.flag;
    }

    constexpr std::wstring_view kExtended = L"Ext(";
    uint32_t code = 0;
    if (SingleCharacter(rest, code)) {
        result.virtualKey = code;
    } else if (std::wstring_view(rest).starts_with(kExtended)) {
        // The number runs up to, not including, the last character.
        const std::wstring_view number =
            rest.size() > kExtended.size() + 1
                ? std::wstring_view(rest).substr(kExtended.size(),
                                                 rest.size() - kExtended.size() - 1)
                : std::wstring_view();
        if (!ParseDecimal(number, code)) {
            result.kind = HotKeyNameKind::BadKeyNumber;
            result.modifiers = 0;
            return result;
        }
        result.virtualKey = code;
    } else {
        result.virtualKey = KeyNameToVirtualKey(rest);
    }
    result.kind = HotKeyNameKind::Combination;
    return result;
}

uint32_t KeyNameToVirtualKey(std::wstring_view text) {
    while (SkipFront(text, L"Shift+") || SkipFront(text, L"^") || SkipFront(text, L"Ctrl+") ||
           SkipFront(text, L"Alt+")) {
    }
    if (text.empty())
        return 0;

    uint32_t code = 0;
    if (SingleCharacter(text, code)) {
        const auto upper = static_cast<uint32_t>(FoldAscii(text[0]));
        if ((upper >= L'0' && upper <= L'9') || (upper >= L'A' && upper <= L'Z'))
            return upper;
    }
    if (text.size() >= 2 && FoldAscii(text[0]) == L'F') {
        uint32_t number = 0;
        if (text[1] != L'0' && ParseDecimal(text.substr(1), number) && number >= 1 && number <= 24)
            return 0x6F + number;
    }
    if (std::wstring_view digit = text;
        SkipFront(digit, L"Num ") && digit.size() == 1 && digit[0] >= L'0' && digit[0] <= L'9')
        return 0x60 + static_cast<uint32_t>(digit[0] - L'0');
    for (const KeyName& key : kKeyNames) {
        if (SameAsciiText(text, key.name))
            return key.virtualKey;
    }
    return 0;
}

} // namespace zt
