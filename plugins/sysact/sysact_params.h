#pragma once
// The parameter strings of the system commands: what each command reads from its parameter
// and what each editor composes. Portable: no <windows.h>.
//
// Splitting a program line and looking up "key=" values are the host API's
// (IZentikAPI::SplitCommandLine, GetParam); the functions here take their results.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// ---- ZT_ExecuteApp, ZT_ShowMessage ---------------------------------------------------

// A program line: the program (in double quotes when it holds a blank), then a blank and
// the arguments when there are any.
std::wstring ComposeProgramLine(std::wstring_view program, std::wstring_view arguments);
// A message: the text in double quotes, then a blank and the sound file when there is one.
std::wstring ComposeMessage(std::wstring_view text, std::wstring_view soundFile);

// ---- ZT_ShutDownWin ------------------------------------------------------------------

// The flags in the order of the dialog's boxes: log off, shut down, reboot, power off,
// force, force if hung.
inline constexpr std::size_t kShutdownFlagCount = 6;
struct ShutdownFlag {
    std::wstring_view text;
    unsigned value; // the ExitWindowsEx flag
};
inline constexpr std::array<ShutdownFlag, kShutdownFlagCount> kShutdownFlags = {{
    {L"\\LOGOFF", 0},
    {L"\\SHUTDOWN", 1},
    {L"\\REBOOT", 2},
    {L"\\POWEROFF", 8},
    {L"\\FORCE", 4},
    {L"\\FORCEIFHUNG", 16},
}};
// Shut down, power off, force if hung: what an empty choice does.
inline constexpr unsigned kDefaultShutdown = 25;
// The reason code handed to ExitWindowsEx.
inline constexpr unsigned kShutdownReason = 4;

using ShutdownChoice = std::array<bool, kShutdownFlagCount>;

// The flags named in param: a flag counts when the trimmed text, with a blank appended,
// holds it followed by a blank.
ShutdownChoice ShutdownFlagsIn(std::wstring_view param);
// The ExitWindowsEx flags for param: the sum of those named, kDefaultShutdown for none.
unsigned ExitWindowsFlags(std::wstring_view param);
// The flags chosen, in box order, separated by blanks; empty for none.
std::wstring ComposeShutdownFlags(const ShutdownChoice& choice);

enum class BoxState { Unchecked, Checked, Grayed };
// What the boxes show: with nothing chosen the default flags show grayed.
std::array<BoxState, kShutdownFlagCount> ShutdownBoxStates(const ShutdownChoice& choice);

// ---- ZT_FlashClock -------------------------------------------------------------------

inline constexpr int kFlashCountMin = 0, kFlashCountMax = 10000, kFlashCountDefault = 21;
inline constexpr int kFlashPeriodMin = 10, kFlashPeriodMax = 10000, kFlashPeriodDefault = 100;
inline constexpr int kFlashPeriodStep = 10;

struct FlashParams {
    int count = kFlashCountDefault;
    int period = kFlashPeriodDefault; // milliseconds
    bool operator==(const FlashParams&) const = default;
};

// "count|period". Without "|" both take their defaults; a part that is not a number takes
// its default; numbers are clamped to count 0..10000 and period 10..10000.
FlashParams ParseFlash(std::wstring_view param);
// Clamps both values to their ranges.
FlashParams ClampFlash(FlashParams params);
std::wstring ComposeFlash(const FlashParams& params);

// The clock window's visibility after each step of a flash of count steps that starts
// with the window visible or hidden; the last entry is the final state, which is the
// starting one.
std::vector<bool> FlashSteps(int count, bool startVisible);

// ---- ZT_DoCommand --------------------------------------------------------------------

inline constexpr std::wstring_view kCommandKey = L"CMND=";
inline constexpr std::wstring_view kContainKey = L"CONTAIN";
inline constexpr std::wstring_view kNotContainKey = L"NOT_CONTAIN";

struct DoCommandParts {
    std::wstring condition; // the text before "CMND="
    std::wstring command;   // the command line after it
};
// Splits at the first "CMND="; without one there is no command.
DoCommandParts SplitDoCommand(std::wstring_view param);

struct TitleCondition {
    bool mustContain = false; // else the title must not contain text
    std::wstring text;
    bool operator==(const TitleCondition&) const = default;
};
// The condition from the condition part and its looked-up "NOT_CONTAIN" and "CONTAIN"
// values: a NOT_CONTAIN value wins; an empty condition part always passes; otherwise the
// title must contain the CONTAIN value (an empty one never matches).
TitleCondition ChooseTitleCondition(std::wstring_view conditionPart, std::wstring_view notContain,
                                    std::wstring_view contain);
bool TitleConditionHolds(const TitleCondition& condition, std::wstring_view title);

// The editor's choice: radio item 0 (contains), 1 (does not contain), 2 (no condition).
struct DoCommandChoice {
    int item = 0;
    std::wstring title;
    bool operator==(const DoCommandChoice&) const = default;
};
inline constexpr int kNoConditionItem = 2;
// How the editor opens: NOT_CONTAIN's value selects item 1, an empty condition part item 2,
// otherwise item 0 with the CONTAIN value.
DoCommandChoice InitialDoCommandChoice(std::wstring_view conditionPart,
                                       std::wstring_view notContain, std::wstring_view contain);
// "CONTAIN=title; " or "NOT_CONTAIN=title; " (items 0 and 1, nothing for others), then
// "CMND=" and the command line.
std::wstring ComposeDoCommand(const DoCommandChoice& choice, std::wstring_view command);

} // namespace zt
