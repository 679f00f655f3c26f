#include "host/help_file.h"

#include <gtest/gtest.h>

#include <set>

namespace zt {
namespace {

std::wstring Choose(const std::wstring& code, const std::set<std::wstring>& files) {
    return ChooseHelpFile(L"C:\\Zentik", code,
                          [&](const std::wstring& path) { return files.count(path) > 0; });
}

TEST(HelpFile, TheLanguagesOwnHelpElseTheBuiltInOne) {
    const std::wstring builtIn = L"C:\\Zentik\\help_zentik.chm";
    const std::wstring english = L"C:\\Zentik\\Language\\en\\help_zentik.chm";
    EXPECT_EQ(Choose(L"en", {builtIn, english}), english);
    EXPECT_EQ(Choose(L"de", {builtIn, english}), builtIn);
    EXPECT_EQ(Choose(L"", {builtIn, english}), builtIn);
    EXPECT_EQ(Choose(L"en", {english}), english);
    EXPECT_EQ(Choose(L"ru", {english}), L"");
}

TEST(HelpFile, ACodeThatIsAPathIsNotFollowed) {
    const std::wstring builtIn = L"C:\\Zentik\\help_zentik.chm";
    EXPECT_EQ(Choose(L"..\\..", {builtIn, L"C:\\Zentik\\Language\\..\\..\\help_zentik.chm"}),
              builtIn);
}

} // namespace
} // namespace zt
