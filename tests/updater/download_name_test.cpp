#include <gtest/gtest.h>

#include "updater/download_name.h"

namespace zt::uplift {
namespace {

TEST(DownloadFileName, PartAfterLastSlashThenAfterLastBackslash) {
    EXPECT_EQ(FileNameFromAddress(L"http://host/dir/file.zip"), L"file.zip");
    EXPECT_EQ(FileNameFromAddress(L"http://host/dir/sub\\inner.zip"), L"inner.zip");
    EXPECT_EQ(FileNameFromAddress(L"noslash.zip"), L"noslash.zip");
    EXPECT_EQ(FileNameFromAddress(L"http://host/dir/"), L"");
    EXPECT_EQ(FileNameFromAddress(L"http://host/.."), L"..");
}

TEST(DownloadFileName, PlainNamesAreAccepted) {
    for (const auto* name : {L"file.zip", L"Голос.szt", L"a b.txt", L"COM10.zip", L"CONSOLE.txt",
                             L"nul_file", L".hidden"})
        EXPECT_TRUE(CheckFileName(name).Ok()) << name;
}

TEST(DownloadFileName, EmptyAndDotNamesAreRefused) {
    EXPECT_EQ(CheckFileName(L"").problem, FileNameProblem::Missing);
    EXPECT_EQ(CheckFileName(L".").problem, FileNameProblem::NotAName);
    EXPECT_EQ(CheckFileName(L"..").problem, FileNameProblem::NotAName);
}

TEST(DownloadFileName, ForbiddenCharactersAreRefusedAndNamed) {
    for (const auto* name : {L"c:evil", L"a<b", L"a>b", L"a\"b", L"a|b", L"a?b=1", L"a*b", L"a/b",
                             L"a\\b", L"tab\there"})
        EXPECT_FALSE(CheckFileName(name).Ok()) << name;
    EXPECT_EQ(CheckFileName(L"tab\there").problem, FileNameProblem::ControlCharacter);
    const FileNameCheck colon = CheckFileName(L"file.zip:stream");
    EXPECT_EQ(colon.problem, FileNameProblem::ForbiddenCharacter);
    EXPECT_EQ(colon.character, L':');
}

TEST(DownloadFileName, DeviceNamesAreRefusedInAnyCaseAndWithExtension) {
    for (const auto* name : {L"CON", L"con", L"Nul", L"PRN.txt", L"aux.zip", L"COM1", L"com9.bin",
                             L"LPT1", L"lpt3.dat", L"NUL .txt", L"CONIN$", L"COM\u00B9"})
        EXPECT_EQ(CheckFileName(name).problem, FileNameProblem::ReservedDevice) << name;
}

TEST(DownloadFileName, TrailingDotOrBlankAndOverlongNamesAreRefused) {
    EXPECT_EQ(CheckFileName(L"file.").problem, FileNameProblem::TrailingDotOrBlank);
    EXPECT_EQ(CheckFileName(L"file ").problem, FileNameProblem::TrailingDotOrBlank);
    EXPECT_TRUE(CheckFileName(std::wstring(255, L'x')).Ok());
    EXPECT_EQ(CheckFileName(std::wstring(256, L'x')).problem, FileNameProblem::TooLong);
}

TEST(WebAddress, OnlyHttpAndHttpsInAnyCase) {
    EXPECT_TRUE(IsWebAddress(L"http://host/a"));
    EXPECT_TRUE(IsWebAddress(L"HTTPS://host/a"));
    EXPECT_FALSE(IsWebAddress(L"file:///C:/Windows/notepad.exe"));
    EXPECT_FALSE(IsWebAddress(L"C:\\Windows\\notepad.exe"));
    EXPECT_FALSE(IsWebAddress(L"http:/host"));
    EXPECT_FALSE(IsWebAddress(L""));
}

TEST(WebAddress, LoopbackHosts) {
    EXPECT_TRUE(IsLoopbackHost(L"127.0.0.1"));
    EXPECT_TRUE(IsLoopbackHost(L"127.1.2.3"));
    EXPECT_TRUE(IsLoopbackHost(L"LocalHost"));
    EXPECT_TRUE(IsLoopbackHost(L"[::1]"));
    EXPECT_FALSE(IsLoopbackHost(L"127.example.com"));
    EXPECT_FALSE(IsLoopbackHost(L"10.0.0.1"));
    EXPECT_FALSE(IsLoopbackHost(L"localhost.example"));
}

} // namespace
} // namespace zt::uplift
