#include <gtest/gtest.h>

#include "updater/session_log.h"

namespace zt::uplift {
namespace {

TEST(LogLines, ExactTexts) {
    EXPECT_EQ(StartLine(L"01.02.2024 10:11:12"), L"  Обновление запущенно: 01.02.2024 10:11:12");
    EXPECT_EQ(EndLine(L"01.02.2024 10:20:00"), L"  Обновление завершенно:01.02.2024 10:20:00");
    EXPECT_EQ(DownloadStartLine(L"http://h/f.zip", L"10:12"),
              L"Закачка: http://h/f.zip начало в 10:12");
    EXPECT_EQ(DownloadDoneLine(L"C:\\U\\f.zip", L"10:13"),
              L"Закачка: C:\\U\\f.zip завершенна в 10:13");
    EXPECT_EQ(CancelLine(L"10:14"), L"Отменено пользователем  в 10:14");
    EXPECT_EQ(ErrorLine(L"Сервер ответил: 404 Not Found", L"http://h/x", L"10:15"),
              L"Ошибка: Сервер ответил: 404 Not Found; URL: http://h/x; Time: 10:15");
}

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
    log.Add(ErrorLine(L"bad\r\n[ end ZentikUpd.dat ]", L"http://h", L"1:00"));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.ToUtf8(), "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0: bad  [ end "
                            "ZentikUpd.dat ]; URL: http://h; Time: 1:00\r\n");
}

} // namespace
} // namespace zt::uplift
