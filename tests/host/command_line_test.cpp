#include "host/command_line.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

StartMode ModeOf(std::vector<std::wstring> args) {
    return ParseStartArguments(args).mode;
}

TEST(StartArguments, ExactSwitchesOnly) {
    EXPECT_EQ(ModeOf({}), StartMode::Normal);
    EXPECT_EQ(ModeOf({L"\\run"}), StartMode::Run);
    EXPECT_EQ(ModeOf({L"\\sleep"}), StartMode::Sleep);
    EXPECT_EQ(ModeOf({L"\\install", L"C:\\a.pzt"}), StartMode::Install);
    EXPECT_EQ(ModeOf({L"\\RUN"}), StartMode::Normal);
    EXPECT_EQ(ModeOf({L"/run"}), StartMode::Normal);
    EXPECT_EQ(ModeOf({L"\\run "}), StartMode::Normal);
    EXPECT_EQ(ModeOf({L"run"}), StartMode::Normal);
}

TEST(StartArguments, OnlyTheFirstArgumentCounts) {
    EXPECT_EQ(ModeOf({L"x", L"\\run"}), StartMode::Normal);
    EXPECT_EQ(ModeOf({L"\\sleep", L"\\run"}), StartMode::Sleep);
}

TEST(StartArguments, InstallTakesTheSecondArgumentOrNothing) {
    EXPECT_EQ(ParseStartArguments({L"\\install", L"D:\\Плагины\\x.pzt"}).installPath,
              L"D:\\Плагины\\x.pzt");
    const StartArguments bare = ParseStartArguments({L"\\install"});
    EXPECT_EQ(bare.mode, StartMode::Install);
    EXPECT_TRUE(bare.installPath.empty());
}

TEST(StartArguments, FileNamePart) {
    EXPECT_EQ(FileNamePart(L"C:\\dir\\sub\\Speech.pzt"), L"Speech.pzt");
    EXPECT_EQ(FileNamePart(L"relative/x.pzt"), L"x.pzt");
    EXPECT_EQ(FileNamePart(L"plain.pzt"), L"plain.pzt");
    EXPECT_EQ(FileNamePart(L"C:\\dir\\"), L"");
}

} // namespace
} // namespace zt
