#include "common/format_text.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(FormatTextTest, PlaceholdersTakeArgumentsInOrder) {
    EXPECT_EQ(FormatText(L"%s at %s, port %d", {L"ok", L"host", L"123"}), L"ok at host, port 123");
    EXPECT_EQ(FormatText(L"100%% of %s", {L"it"}), L"100% of it");
}

TEST(FormatTextTest, MismatchedCountsNeitherCrashNorInvent) {
    EXPECT_EQ(FormatText(L"%s and %s", {L"one"}), L"one and %s");
    EXPECT_EQ(FormatText(L"plain", {L"unused"}), L"plain");
    EXPECT_EQ(FormatText(L"ends with %", {}), L"ends with %");
    // An argument that looks like a placeholder is not formatted again.
    EXPECT_EQ(FormatText(L"%s|%s", {L"%s", L"b"}), L"%s|b");
}

} // namespace
} // namespace zt
