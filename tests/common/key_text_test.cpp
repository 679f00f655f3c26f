// The text of a key press in the hot-key field.

#include "common/key_text.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(KeyPressText, ModifiersInBindingOrderThenKeyName) {
    EXPECT_EQ(KeyPressText({false, true, true, false}, 'T', L"T", false), L"CtrlAltT");
    EXPECT_EQ(KeyPressText({true, true, true, true}, 'T', L"T", false), L"ShiftCtrlAltWinT");
    EXPECT_EQ(KeyPressText({}, 0x74, L"F5", false), L"F5");
    EXPECT_EQ(ModifierText({}), L"");
}

TEST(KeyPressText, ModifierKeyShowsOnlyTheModifiers) {
    for (const uint32_t key : {16u, 17u, 18u, 91u, 92u, 160u, 161u, 162u, 163u, 164u, 165u}) {
        EXPECT_EQ(KeyPressText({true, false, false, false}, key, L"Right Shift", true), L"Shift")
            << key;
    }
    // Neighbours of the modifier keys are keys of their own.
    EXPECT_EQ(KeyPressText({true, false, false, false}, 19, L"Pause", false), L"ShiftPause");
    EXPECT_EQ(KeyPressText({}, 93, L"Application", true), L"Application");
    EXPECT_EQ(KeyPressText({}, 166, L"Browser Back", true), L"Browser Back");
}

TEST(KeyPressText, LongNamesAreCutAndNamelessExtendedKeysNumbered) {
    EXPECT_EQ(KeyPressText({}, 0x91, L"Scroll Lock Key Name", false), L"Scroll Lock Key ");
    EXPECT_EQ(KeyPressText({false, true, false, false}, 173, L"", true), L"CtrlExt(173)");
    EXPECT_EQ(KeyPressText({}, 173, L"?", true), L"Ext(173)");
    EXPECT_EQ(KeyPressText({}, 'T', L"T", false), L"T");
    EXPECT_EQ(KeyPressText({}, 0x26, L"Up", true), L"Up");
}

} // namespace
} // namespace zt
