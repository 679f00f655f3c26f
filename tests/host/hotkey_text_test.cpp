// Hot-key binding names: modifier words, single characters, "Ext(" numbers, key names.

#include <gtest/gtest.h>

#include <string>

#include "common/utf.h"
#include "host/hotkey_text.h"

namespace zt {
namespace {

constexpr uint32_t kShift = kHotKeyShift, kCtrl = kHotKeyControl, kAlt = kHotKeyAlt,
                   kWin = kHotKeyWin;

struct Case {
    const wchar_t* name;
    uint32_t modifiers;
    uint32_t key;
};

void ExpectCombinations(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const HotKeyName parsed = ParseHotKeyName(c.name);
        const std::string label = WideToUtf8(c.name);
        EXPECT_EQ(parsed.kind, HotKeyNameKind::Combination) << label;
        EXPECT_EQ(parsed.modifiers, c.modifiers) << label;
        EXPECT_EQ(parsed.virtualKey, c.key) << label;
    }
}

TEST(HotKeyNameTest, ModifierWordsAnywhereAndInAnyOrder) {
    ExpectCombinations({
        {L"HotKey_CtrlAltT", kCtrl | kAlt, 'T'},
        {L"HotKey_AltCtrlT", kCtrl | kAlt, 'T'},
        {L"HotKey_AltTCtrl", kCtrl | kAlt, 'T'},
        {L"HotKey_WinShiftCtrlAlt9", kShift | kCtrl | kAlt | kWin, '9'},
        {L"HotKey_ShiftA", kShift, 'A'},
        {L"HotKey_WinA", kWin, 'A'},
        {L"HotKey_Q", 0, 'Q'},
    });
}

TEST(HotKeyNameTest, FirstOccurrenceRemovedInShiftCtrlAltWinOrder) {
    ExpectCombinations({
        {L"HotKey_CtrlCtrl", kCtrl, 0x11}, // the second "Ctrl" names the Ctrl key
        {L"HotKey_AltAltA", kAlt, 0},      // "AltA" is no key name
        {L"HotKey_ctrlT", 0, 0},           // case-sensitive words
        {L"HotKey_ShiCtrlftA", kCtrl, 0},  // "Shift" only appears after Shift's turn
        {L"HotKey_AlWintX", kWin, 0},      // likewise "Alt" after Win is removed
        {L"HotKey_AWinlt", kWin, 0x12},    // leaving the key name "Alt"
    });
}

TEST(HotKeyNameTest, OneCharacterIsItsCharacterCode) {
    ExpectCombinations({
        {L"HotKey_Ctrl0", kCtrl, '0'},
        {L"HotKey_Ctrla", kCtrl, 0x61}, // a numeric-pad key, as the code says
        {L"HotKey_Alt;", kAlt, ';'},
        {L"HotKey_Alt ", kAlt, ' '},
        {L"HotKey_Win\u042F", kWin, 0x042F},
    });
    // A character outside the basic plane counts once, whatever the size of wchar_t.
    std::wstring name = L"HotKey_Ctrl";
    if constexpr (sizeof(wchar_t) == 2)
        name += {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    else
        name += static_cast<wchar_t>(0x1F600);
    EXPECT_EQ(ParseHotKeyName(name).virtualKey, 0x1F600u);
}

TEST(HotKeyNameTest, ExtendedKeyNumber) {
    ExpectCombinations({
        {L"HotKey_WinExt(65)", kWin, 65},
        {L"HotKey_Ext(255)Shift", kShift, 255},
        {L"HotKey_CtrlExt(7]", kCtrl, 7},
        {L"HotKey_Ext(123", 0, 12}, // the last character closes, whatever it is
        {L"HotKey_Ext(0009)", 0, 9},
        {L"HotKey_Ext(2147483647)", 0, 2147483647u},
        {L"HotKey_ext(65)", 0, 0}, // not "Ext(": an unknown key name
    });
    for (const wchar_t* name :
         {L"HotKey_WinExt(x41)", L"HotKey_Ext($41)", L"HotKey_Ext()", L"HotKey_Ext(",
          L"HotKey_Ext(-5)", L"HotKey_Ext(+5)", L"HotKey_Ext( 5)", L"HotKey_Ext(6 5)",
          L"HotKey_Ext(2147483648)", L"HotKey_Ext(99999999999999999999999)"})
        EXPECT_EQ(ParseHotKeyName(name).kind, HotKeyNameKind::BadKeyNumber) << WideToUtf8(name);
}

TEST(HotKeyNameTest, KeyNamesAndUnknownText) {
    ExpectCombinations({
        {L"HotKey_ShiftF5", kShift, 0x74},
        {L"HotKey_F5Shift", kShift, 0x74},
        {L"HotKey_CtrlAltDel", kCtrl | kAlt, 0x2E},
        {L"HotKey_WinScroll Lock", kWin, 0x91},
        {L"HotKey_CtrlNoSuchKey", kCtrl, 0},
        {L"HotKey_Shift+F5", kShift, 0}, // "+F5" names no key
        {L"HotKey_CtrlAltWinShift", 15, 0},
    });
}

TEST(HotKeyNameTest, NamesThatAreNotHotKeys) {
    EXPECT_EQ(ParseHotKeyName(L"HotKey_").kind, HotKeyNameKind::Empty);
    for (const wchar_t* name : {L"", L"HotKey", L"hotkey_CtrlT", L"ClickMainLeft", L" HotKey_T"}) {
        EXPECT_EQ(ParseHotKeyName(name).kind, HotKeyNameKind::NotHotKey) << WideToUtf8(name);
        EXPECT_FALSE(IsHotKeyName(name)) << WideToUtf8(name);
    }
}

TEST(KeyNameTest, NamedKeysIgnoringAsciiCase) {
    const std::pair<const wchar_t*, uint32_t> cases[] = {
        {L"BkSp", 0x08},
        {L"tab", 0x09},
        {L"Enter", 0x0D},
        {L"Esc", 0x1B},
        {L"Space", 0x20},
        {L"PgUp", 0x21},
        {L"PGDN", 0x22},
        {L"End", 0x23},
        {L"Home", 0x24},
        {L"Left", 0x25},
        {L"Up", 0x26},
        {L"Right", 0x27},
        {L"Down", 0x28},
        {L"Ins", 0x2D},
        {L"Del", 0x2E},
        {L"F1", 0x70},
        {L"f12", 0x7B},
        {L"F24", 0x87},
        {L"Num 0", 0x60},
        {L"Num 9", 0x69},
        {L"Num *", 0x6A},
        {L"Num /", 0x6F},
        {L"caps lock", 0x14},
        {L"Pause", 0x13},
        {L"Print Screen", 0x2C},
        {L"Num Lock", 0x90},
        {L"/", 0xBF},
        {L"\\", 0xDC},
        {L"A", 0x41},
        {L"z", 0x5A},
        {L"7", 0x37},
        // Leading shortcut prefixes are skipped; their flags are not part of the key.
        {L"Shift+F5", 0x74},
        {L"ctrl+alt+Del", 0x2E},
        {L"^a", 0x41},
        {L"Alt+^Shift+Home", 0x24},
    };
    for (const auto& [text, key] : cases)
        EXPECT_EQ(KeyNameToVirtualKey(text), key) << WideToUtf8(text);
}

TEST(KeyNameTest, TextThatNamesNoKey) {
    for (const wchar_t* text :
         {L"", L"Shift+", L"^", L"F0", L"F25", L"F05", L"F1x", L"Num", L"Num 10", L"Num  1",
          L"Space ", L" Space", L"Escape", L"PageUp", L"\u00E9", L"F99999999999999999999"})
        EXPECT_EQ(KeyNameToVirtualKey(text), 0u) << WideToUtf8(text);
}

} // namespace
} // namespace zt
