// The system commands' parameter strings: shut-down flags and the dialog's box states,
// flash count and period with their limits and steps, the title condition of ZT_DoCommand,
// and what each editor composes from its fields.

#include <gtest/gtest.h>

#include "sysact_params.h"

namespace zt {
namespace {

using B = BoxState;

TEST(SysactShutdown, FlagsAddUpAndNoneMeansShutDownPowerOffForceIfHung) {
    EXPECT_EQ(ExitWindowsFlags(L""), 25u);
    EXPECT_EQ(ExitWindowsFlags(L"\\REBOOT \\FORCE"), 6u);
    EXPECT_EQ(ExitWindowsFlags(L"  \\FORCEIFHUNG\\POWEROFF "), 8u) << "a blank must follow";
    EXPECT_EQ(ExitWindowsFlags(L"\\LOGOFF"), 0u) << "log off alone";
    EXPECT_EQ(ExitWindowsFlags(L"\\FORCEIFHUNG"), 16u) << "\\FORCE is not inside it";
    EXPECT_EQ(ExitWindowsFlags(L"\\reboot"), 25u) << "flags are upper case";
}

TEST(SysactShutdown, TheDialogGraysTheDefaultsWhileNothingIsCheckedAndComposesInBoxOrder) {
    EXPECT_EQ(ShutdownBoxStates({}), (std::array{B::Unchecked, B::Grayed, B::Unchecked, B::Grayed,
                                                 B::Unchecked, B::Grayed}));
    const ShutdownChoice choice = ShutdownFlagsIn(L" \\FORCE \\REBOOT");
    EXPECT_EQ(ShutdownBoxStates(choice), (std::array{B::Unchecked, B::Unchecked, B::Checked,
                                                     B::Unchecked, B::Checked, B::Unchecked}));
    EXPECT_EQ(ComposeShutdownFlags(choice), L"\\REBOOT \\FORCE");
    EXPECT_EQ(ComposeShutdownFlags({true, true, true, true, true, true}),
              L"\\LOGOFF \\SHUTDOWN \\REBOOT \\POWEROFF \\FORCE \\FORCEIFHUNG");
    EXPECT_EQ(ComposeShutdownFlags({}), L"");
}

TEST(SysactFlash, CountAndPeriodTakeDefaultsAndAreClampedToTheDialogsLimits) {
    EXPECT_EQ(ParseFlash(L""), (FlashParams{21, 100}));
    EXPECT_EQ(ParseFlash(L"3 200"), (FlashParams{21, 100})) << "no bar";
    EXPECT_EQ(ParseFlash(L" 3|200 "), (FlashParams{3, 200}));
    EXPECT_EQ(ParseFlash(L"x|5"), (FlashParams{21, 10})) << "not a number; below the limit";
    EXPECT_EQ(ParseFlash(L"-4|99999999999999999999"), (FlashParams{0, 10000}));
    EXPECT_EQ(ParseFlash(L"10001|"), (FlashParams{10000, 100}));
    EXPECT_EQ(ComposeFlash(ParseFlash(L"")), L"21|100");
}

TEST(SysactFlash, AVisibleWindowHidesOnEvenStepsAndEndsVisibleAHiddenOneTheReverse) {
    EXPECT_EQ(FlashSteps(3, true), (std::vector<bool>{false, true, false, true, true}));
    EXPECT_EQ(FlashSteps(2, true), (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(FlashSteps(2, false), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(FlashSteps(0, false), (std::vector<bool>{false}));
}

TEST(SysactDoCommand, TheConditionComesFromTheTextBeforeCmnd) {
    const DoCommandParts parts = SplitDoCommand(L"CONTAIN=Notepad; CMND=zt_CloseZentik now");
    EXPECT_EQ(parts.condition, L"CONTAIN=Notepad; ");
    EXPECT_EQ(parts.command, L"zt_CloseZentik now");
    EXPECT_EQ(SplitDoCommand(L"zt_CloseZentik").command, L"");

    const TitleCondition contain = ChooseTitleCondition(parts.condition, L"", L"Notepad");
    EXPECT_TRUE(TitleConditionHolds(contain, L"a.txt - Notepad"));
    EXPECT_FALSE(TitleConditionHolds(contain, L"Calculator"));
    const TitleCondition notContain = ChooseTitleCondition(L"NOT_CONTAIN=Note;", L"Note", L"");
    EXPECT_FALSE(TitleConditionHolds(notContain, L"a.txt - Notepad"));
    EXPECT_TRUE(TitleConditionHolds(notContain, L"Calculator"));
    // Nothing before CMND= always runs; an empty CONTAIN never does.
    EXPECT_TRUE(TitleConditionHolds(ChooseTitleCondition(L" ", L"", L""), L"any"));
    EXPECT_FALSE(TitleConditionHolds(ChooseTitleCondition(L"CONTAIN=; ", L"", L""), L"any"));
}

TEST(SysactEditors, EachEditorComposesWhatItsCommandReadsBack) {
    EXPECT_EQ(ComposeProgramLine(L"C:\\Program Files\\App\\app.exe", L"/a \"b c\""),
              L"\"C:\\Program Files\\App\\app.exe\" /a \"b c\"");
    EXPECT_EQ(ComposeProgramLine(L"C:\\Программы\\app.exe", L""), L"C:\\Программы\\app.exe");
    EXPECT_EQ(ComposeMessage(L"Пора!", L"C:\\bell.wav"), L"\"Пора!\" C:\\bell.wav");
    EXPECT_EQ(ComposeMessage(L"Hello", L""), L"\"Hello\"");

    EXPECT_EQ(InitialDoCommandChoice(L"NOT_CONTAIN=Pad; ", L"Pad", L"Pad"),
              (DoCommandChoice{1, L"Pad"}));
    EXPECT_EQ(InitialDoCommandChoice(L"CONTAIN=Pad; ", L"", L"Pad"), (DoCommandChoice{0, L"Pad"}));
    EXPECT_EQ(InitialDoCommandChoice(L"", L"", L""), (DoCommandChoice{kNoConditionItem, L""}));
    EXPECT_EQ(ComposeDoCommand({0, L"Pad"}, L"zt_CloseZentik"),
              L"CONTAIN=Pad; CMND=zt_CloseZentik");
    EXPECT_EQ(ComposeDoCommand({1, L"Pad"}, L"x"), L"NOT_CONTAIN=Pad; CMND=x");
    EXPECT_EQ(ComposeDoCommand({kNoConditionItem, L"Pad"}, L"x"), L"CMND=x");
}

} // namespace
} // namespace zt
