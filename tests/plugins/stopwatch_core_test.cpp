// The Stopwatch's display format and its time arithmetic with injected tick counts.

#include <gtest/gtest.h>

#include <cstdint>

#include "plugins/stopwatch/stopwatch_core.h"

namespace zt {
namespace {

TEST(FormatElapsed, FieldsWithLeadingZeros) {
    EXPECT_EQ(FormatElapsed(0), L"00:00:00.000");
    EXPECT_EQ(FormatElapsed(3723004), L"01:02:03.004");
    EXPECT_EQ(FormatElapsed(59999), L"00:00:59.999");
    EXPECT_EQ(FormatElapsed(60000), L"00:01:00.000");
    EXPECT_EQ(FormatElapsed(36000010), L"10:00:00.010");
}

TEST(FormatElapsed, SecondsWrapAfter65536) {
    EXPECT_EQ(FormatElapsed(65535999), L"18:12:15.999");
    EXPECT_EQ(FormatElapsed(65536000), L"00:00:00.000");
    EXPECT_EQ(FormatElapsed(65537001), L"00:00:01.001");
    // 4 294 967 s modulo 65 536 is 35 127 s: 9 h 45 min 27 s.
    EXPECT_EQ(FormatElapsed(UINT32_MAX), L"09:45:27.295");
}

TEST(StopwatchCounter, StartsStoppedAtZero) {
    StopwatchCounter counter;
    counter.Reset();
    EXPECT_FALSE(counter.Running());
    EXPECT_EQ(counter.Elapsed(123456), 0u);
    EXPECT_EQ(counter.StartTick(), 0u);
    EXPECT_EQ(counter.StopTick(), 0u);
}

TEST(StopwatchCounter, RunsAddUpAndTheTimeStandsBetweenThem) {
    StopwatchCounter counter;
    counter.SwitchOn();
    counter.Start(10000);
    EXPECT_TRUE(counter.Running());
    EXPECT_EQ(counter.Elapsed(10700), 700u);
    counter.Stop(11500);
    EXPECT_EQ(counter.StopTick(), 11500u);
    EXPECT_EQ(counter.Elapsed(20000), 1500u);
    counter.Start(30000);
    EXPECT_EQ(counter.Elapsed(31000), 2500u);
    counter.Stop(32000);
    EXPECT_EQ(counter.Accumulated(), 3500u);
    EXPECT_EQ(FormatElapsed(counter.Elapsed(99999)), L"00:00:03.500");
}

TEST(StopwatchCounter, ClearRestartsARunningCountAndZeroesAStoppedOne) {
    StopwatchCounter counter;
    counter.SwitchOn();
    counter.Start(1000);
    counter.Clear(5000);
    EXPECT_TRUE(counter.Running());
    EXPECT_EQ(counter.Elapsed(5000), 0u);
    EXPECT_EQ(counter.Elapsed(5250), 250u);
    counter.Stop(6000);
    EXPECT_EQ(counter.Elapsed(6000), 1000u);
    counter.Clear(7000);
    EXPECT_EQ(counter.Elapsed(9000), 0u);
    counter.Start(9000);
    EXPECT_EQ(counter.Elapsed(9100), 100u);
}

TEST(StopwatchCounter, SwitchingOffKeepsTheTimeAndOnAgainStartsFromZero) {
    StopwatchCounter counter;
    counter.SwitchOn();
    counter.Start(0);
    counter.Stop(800);
    counter.Start(1000);
    counter.SwitchOff(); // the run in progress is not added
    EXPECT_FALSE(counter.Running());
    EXPECT_EQ(counter.Accumulated(), 800u);
    counter.SwitchOn();
    EXPECT_EQ(counter.Elapsed(5000), 0u);
}

TEST(StopwatchCounter, TickCountWrapIsHarmless) {
    StopwatchCounter counter;
    counter.SwitchOn();
    counter.Start(UINT32_MAX - 999); // 1000 ms before the wrap
    EXPECT_EQ(counter.Elapsed(500), 1500u);
    counter.Stop(500);
    EXPECT_EQ(counter.Accumulated(), 1500u);
}

TEST(StopwatchCounter, DisplayWrapsWhileTheRunContinues) {
    StopwatchCounter counter;
    counter.SwitchOn();
    counter.Start(0);
    EXPECT_EQ(FormatElapsed(counter.Elapsed(65535500)), L"18:12:15.500");
    EXPECT_EQ(FormatElapsed(counter.Elapsed(65536250)), L"00:00:00.250");
    EXPECT_TRUE(counter.Running());
}

} // namespace
} // namespace zt
