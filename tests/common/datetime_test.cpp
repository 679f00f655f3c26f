#include "common/datetime.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(DateTime, EpochAndKnownDates) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
}

TEST(DateTime, InvalidFieldsEncodeToZero) {
    EXPECT_EQ(EncodeDate(2023, 2, 29), 0.0);
    EXPECT_EQ(EncodeDate(2024, 13, 1), 0.0);
    EXPECT_EQ(EncodeTime(24, 0, 0, 0), 0.0);
    EXPECT_EQ(EncodeTime(0, 60, 0, 0), 0.0);
}

TEST(DateTime, RoundTripThroughLeapDayAndYearEnd) {
    for (const LocalTime& t :
         {LocalTime{2024, 2, 29, 23, 59, 59, 999, 4}, LocalTime{2026, 12, 31, 23, 59, 59, 0, 4},
          LocalTime{2027, 1, 1, 0, 0, 0, 0, 5}, LocalTime{1600, 3, 1, 12, 30, 15, 500, 3}}) {
        const LocalTime back = DecodeDateTime(EncodeDateTime(t));
        EXPECT_EQ(back.year, t.year);
        EXPECT_EQ(back.month, t.month);
        EXPECT_EQ(back.day, t.day);
        EXPECT_EQ(back.hour, t.hour);
        EXPECT_EQ(back.minute, t.minute);
        EXPECT_EQ(back.second, t.second);
        EXPECT_EQ(back.millisecond, t.millisecond);
        EXPECT_EQ(back.dayOfWeek, t.dayOfWeek);
    }
}

TEST(DateTime, TimeOfDropsTheDate) {
    EXPECT_DOUBLE_EQ(TimeOf(EncodeDate(2026, 12, 8) + 0.5), 0.5);
    EXPECT_DOUBLE_EQ(TimeOf(7.0 / 24), 7.0 / 24);
}

TEST(DateTime, OutOfRangeDecodesToEpoch) {
    const LocalTime t = DecodeDateTime(1e12);
    EXPECT_EQ(t.year, 1899);
    EXPECT_EQ(t.day, 30);
}

} // namespace
} // namespace zt
