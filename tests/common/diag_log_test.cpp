#include "common/diag_log.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "common/guarded.h"
#include "common/utf.h"
#include "tests/common/debug_log_value.h"

namespace zt {
namespace {

using test::DebugLogValue;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(DiagLog, WritesTheFileOnlyWhileDebugLogIsOne) {
    DebugLogValue value;

    value.Remove();
    DiagLog(L"marker absent");
    value.SetText(L"0");
    DiagLog(L"marker zero");
    value.SetNumber(0);
    DiagLog(L"marker number zero");
    EXPECT_EQ(value.Appended(), "");

    value.SetText(L"1");
    DiagLog(L"marker text one");
    value.SetNumber(1);
    DiagLog(L"marker number one");
    value.Remove();
    DiagLog(L"marker removed again");

    const std::string written = value.Appended();
    EXPECT_TRUE(Contains(written, "marker text one\r\n")) << written;
    EXPECT_TRUE(Contains(written, "marker number one\r\n")) << written;
    EXPECT_FALSE(Contains(written, "marker removed again")) << written;
    EXPECT_FALSE(Contains(written, "marker absent")) << written;
}

TEST(DiagLog, LinesAreUtf8WithTimeAndThread) {
    DebugLogValue value;
    value.SetText(L"1");
    DiagLog(L"Сбой модуля");
    const std::string written = value.Appended();
    ASSERT_TRUE(Contains(written, WideToUtf8(L"Сбой модуля") + "\r\n")) << written;
    // "2024-05-06 07:08:09.010 [1234] " before the text.
    ASSERT_GE(written.size(), 24u);
    EXPECT_EQ(written[4], '-');
    EXPECT_EQ(written[10], ' ');
    EXPECT_EQ(written[13], ':');
    EXPECT_EQ(written[19], '.');
    EXPECT_TRUE(Contains(written, "[" + std::to_string(::GetCurrentThreadId()) + "] ")) << written;
}

TEST(DiagLog, CaughtNamesThePlaceAndTheException) {
    DebugLogValue value;
    value.SetText(L"1");
    try {
        throw std::runtime_error("disk on fire");
    } catch (...) {
        DiagLogCaught(L"loading plug-in");
    }
    try {
        throw 42;
    } catch (...) {
        DiagLogCaught(L"painting");
    }
    const std::string written = value.Appended();
    EXPECT_TRUE(Contains(written, "loading plug-in: disk on fire\r\n")) << written;
    EXPECT_TRUE(Contains(written, "painting: unknown exception\r\n")) << written;
}

int FailingOperation() {
    return Guarded(-7, []() -> int { throw std::runtime_error("no memory left"); });
}

void FailingVoidOperation() {
    Guarded([] { throw std::logic_error("bad state"); });
}

TEST(DiagLog, GuardedReturnsTheFallbackAndLogsTheOperation) {
    DebugLogValue value;
    value.SetText(L"1");
    EXPECT_EQ(FailingOperation(), -7);
    FailingVoidOperation();
    const std::string written = value.Appended();
    EXPECT_TRUE(Contains(written, "FailingOperation")) << written;
    EXPECT_TRUE(Contains(written, ": no memory left\r\n")) << written;
    EXPECT_TRUE(Contains(written, "FailingVoidOperation")) << written;
    EXPECT_TRUE(Contains(written, ": bad state\r\n")) << written;
}

TEST(DiagLog, SystemErrorTextEndsWithTheCode) {
    const std::wstring text = SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(text.ends_with(L"(error 2)")) << WideToUtf8(text);
    EXPECT_GT(text.size(), std::wstring(L"(error 2)").size()) << "the system's text comes first";
    EXPECT_EQ(text.find(L'\n'), std::wstring::npos);
    EXPECT_EQ(SystemErrorText(0xDEADu), L"(error 57005)") << "no system text: the code alone";
}

} // namespace
} // namespace zt
