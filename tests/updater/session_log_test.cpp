#include <gtest/gtest.h>

#include "updater/session_log.h"

namespace zt::uplift {
namespace {

TEST(SessionLogText, ListBetweenMarkersAndCrLfAfterEveryLine) {
    SessionLog log;
    log.Add(L"start");
    log.AddList({L"a|1|2|http://h/a", L"Я"});
    const std::vector<std::wstring> expected = {
        L"start", L"[ begin ZentikUpd.dat ]", L"a|1|2|http://h/a", L"Я", L"[ end ZentikUpd.dat ]"};
    EXPECT_EQ(log.Lines(), expected);
    EXPECT_EQ(log.ToUtf8(), "start\r\n[ begin ZentikUpd.dat ]\r\na|1|2|http://h/a\r\n\xD0\xAF\r\n"
                            "[ end ZentikUpd.dat ]\r\n");
}

TEST(SessionLogText, LineBreaksInsideAnEntryCannotForgeLines) {
    SessionLog log;
    log.Add(L"Error: bad\r\n[ end ZentikUpd.dat ]; URL: http://h");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.ToUtf8(), "Error: bad  [ end ZentikUpd.dat ]; URL: http://h\r\n");
}

} // namespace
} // namespace zt::uplift
