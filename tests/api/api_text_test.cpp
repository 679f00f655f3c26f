#include <gtest/gtest.h>

#include <string>

#include "api/api_text.h"
#include "api/roll_frames.h"

namespace {

using zt::GetParam;
using zt::RollFrame;
using zt::RollFrames;

TEST(GetParam, LongerKeyBeforeShorterKeyFindsItsOwnItem) {
    EXPECT_EQ(GetParam(L"CMND", L"NOT_CONTAIN=spam;CMND=pm_TalkTime;"), L"pm_TalkTime");
}

TEST(GetParam, ShortKeyMatchesInsideALongerKey) {
    EXPECT_EQ(GetParam(L"CONTAIN", L"NOT_CONTAIN=spam;"), L"spam");
}

TEST(GetParam, FirstOccurrenceWins) {
    EXPECT_EQ(GetParam(L"A", L"A=1;A=2;"), L"1");
}

TEST(GetParam, IsCaseSensitive) {
    EXPECT_EQ(GetParam(L"cmnd", L"CMND=x;"), L"");
}

TEST(GetParam, MissingKeyGivesEmpty) {
    EXPECT_EQ(GetParam(L"HOST", L"CMND=x;PORT=123;"), L"");
    EXPECT_EQ(GetParam(L"HOST", L""), L"");
    // The key needs its '='.
    EXPECT_EQ(GetParam(L"HOST", L"HOST;"), L"");
}

TEST(GetParam, TrimsBlanksAndControlCharacters) {
    EXPECT_EQ(GetParam(L"CMND", L"CMND=  zt_CloseZentik \t;"), L"zt_CloseZentik");
    EXPECT_EQ(GetParam(L"CMND", L"CMND=\r\n a b \r\n;X=1"), L"a b");
    EXPECT_EQ(GetParam(L"CMND", L"CMND=   ;"), L"");
}

TEST(GetParam, LastItemWithoutSemicolonRunsToTheEnd) {
    EXPECT_EQ(GetParam(L"PORT", L"HOST=a;PORT=123"), L"123");
    EXPECT_EQ(GetParam(L"PORT", L"PORT="), L"");
}

TEST(GetParam, KeepsNonAsciiText) {
    EXPECT_EQ(GetParam(L"T", L"T=\u0412\u0440\u0435\u043c\u044f;"),
              L"\u0412\u0440\u0435\u043c\u044f");
}

struct Split {
    std::wstring program;
    std::wstring params;
};

Split SplitLine(const std::wstring& line) {
    const zt::ProgramLine result = zt::SplitCommandLine(line);
    return {result.program, result.params};
}

TEST(SplitCommandLine, QuotedPathWithArguments) {
    const Split s = SplitLine(L"  \"C:\\Program Files\\Tool\\tool.exe\" -a \"b c\"  ");
    EXPECT_EQ(s.program, L"C:\\Program Files\\Tool\\tool.exe");
    EXPECT_EQ(s.params, L"-a \"b c\"");
}

TEST(SplitCommandLine, QuotedPathAlone) {
    const Split s = SplitLine(L"\"C:\\My Files\\a.txt\"");
    EXPECT_EQ(s.program, L"C:\\My Files\\a.txt");
    EXPECT_EQ(s.params, L"");
}

TEST(SplitCommandLine, SkipsExactlyOneCharacterAfterTheClosingQuote) {
    EXPECT_EQ(SplitLine(L"\"a\"xyz").params, L"yz");
    EXPECT_EQ(SplitLine(L"\"a\"  b").params, L" b");
}

TEST(SplitCommandLine, SingleWord) {
    const Split s = SplitLine(L" notepad.exe ");
    EXPECT_EQ(s.program, L"notepad.exe");
    EXPECT_EQ(s.params, L"");
}

TEST(SplitCommandLine, UnquotedProgramSplitsAtTheFirstBlank) {
    const Split s = SplitLine(L"notepad.exe  C:\\a.txt b");
    EXPECT_EQ(s.program, L"notepad.exe");
    EXPECT_EQ(s.params, L" C:\\a.txt b");
}

TEST(SplitCommandLine, UnclosedQuoteGivesEverythingAfterItAsParams) {
    const Split s = SplitLine(L"\"C:\\Program Files\\x.exe -y");
    EXPECT_EQ(s.program, L"");
    EXPECT_EQ(s.params, L"C:\\Program Files\\x.exe -y");
    const Split lone = SplitLine(L"\"");
    EXPECT_EQ(lone.program, L"");
    EXPECT_EQ(lone.params, L"");
}

TEST(SplitCommandLine, EmptyAndBlankLines) {
    EXPECT_EQ(SplitLine(L"").program, L"");
    EXPECT_EQ(SplitLine(L"   ").program, L"");
    EXPECT_EQ(SplitLine(L"   ").params, L"");
}

TEST(SplitCommand, NameAndParameterAtTheFirstBlank) {
    const zt::CommandCall call = zt::SplitCommand(L"pm_Say  it now ");
    EXPECT_EQ(call.name, L"pm_Say");
    EXPECT_EQ(call.param, L" it now ");
}

TEST(SplitCommand, NameAloneHasAnEmptyParameter) {
    const zt::CommandCall call = zt::SplitCommand(L"pm_TalkTime");
    EXPECT_EQ(call.name, L"pm_TalkTime");
    EXPECT_EQ(call.param, L"");
}

TEST(SplitCommand, LeadingBlankGivesAnEmptyName) {
    const zt::CommandCall call = zt::SplitCommand(L" pm_TalkTime");
    EXPECT_EQ(call.name, L"");
    EXPECT_EQ(call.param, L"pm_TalkTime");
}

TEST(RollFrames, ClockSizedWindowClosesVerticallyThenHorizontally) {
    const auto frames = RollFrames(129, 39);
    ASSERT_EQ(frames.size(), 17u);
    // Nine vertical steps: tops 2, 4, ..., 18, full width.
    for (int i = 0; i < 9; ++i) {
        const int top = 2 * (i + 1);
        EXPECT_EQ(frames[i], (RollFrame{0, top, 129, 39 - top})) << "frame " << i;
    }
    // Eight horizontal steps on the strip 18..21: x = 8, 16, ..., 64.
    for (int i = 9; i < 17; ++i) {
        const int x = 8 * (i - 8);
        EXPECT_EQ(frames[i], (RollFrame{x, 18, 129 - x, 21})) << "frame " << i;
    }
    EXPECT_EQ(frames.back().right - frames.back().left, 1);
}

TEST(RollFrames, EveryFrameLiesInsideThePreviousOne) {
    const auto frames = RollFrames(300, 120);
    ASSERT_FALSE(frames.empty());
    RollFrame outer{0, 0, 300, 120};
    for (const RollFrame& f : frames) {
        EXPECT_GE(f.left, outer.left);
        EXPECT_GE(f.top, outer.top);
        EXPECT_LE(f.right, outer.right);
        EXPECT_LE(f.bottom, outer.bottom);
        EXPECT_NE(f, outer);
        outer = f;
    }
}

TEST(RollFrames, TinyAndDegenerateSizes) {
    // Too narrow for a horizontal step and too low for a vertical one.
    EXPECT_TRUE(RollFrames(12, 4).empty());
    EXPECT_TRUE(RollFrames(0, 0).empty());
    EXPECT_TRUE(RollFrames(-50, -50).empty());
    // Low but wide: only horizontal steps on the full height.
    const auto flat = RollFrames(40, 3);
    ASSERT_EQ(flat.size(), 2u);
    EXPECT_EQ(flat[0], (RollFrame{8, 0, 32, 3}));
    EXPECT_EQ(flat[1], (RollFrame{16, 0, 24, 3}));
}

TEST(RollFrames, TooManyFramesGiveNone) {
    // 599 vertical steps and one horizontal step reach the bound of 600.
    EXPECT_TRUE(RollFrames(20, 2400).empty());
    EXPECT_TRUE(RollFrames(2147483647, 2147483647).empty());
    // 598 vertical steps and one horizontal step stay below it.
    EXPECT_EQ(RollFrames(20, 2396).size(), 599u);
}

} // namespace
