// The SNTP client over UDP: against the fake server on loopback, and against chronyd (run by
// netkit_chrony_test.sh, which serves chronyd and passes its own measurements).

#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "plugins/sntp_fake_server.h"
#include "sntp_client.h"

namespace zt {
namespace {

using test::FakeSntpReply;
using test::SntpFakeServer;

std::int64_t Ticks(const SYSTEMTIME& time) {
    FILETIME file{};
    EXPECT_TRUE(::SystemTimeToFileTime(&time, &file));
    return static_cast<std::int64_t>(std::uint64_t{file.dwHighDateTime} << 32 | file.dwLowDateTime);
}

class NetkitClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Started()); }

    // The real clock, and a setter that records instead of setting.
    SntpClientPlatform Recording() {
        SntpClientPlatform platform = DefaultSntpClientPlatform();
        platform.setClock = [this](const SYSTEMTIME& utc) {
            set_.push_back(utc);
            return S_OK;
        };
        return platform;
    }
    SntpServer Server() const { return {L"127.0.0.1", server_.Port()}; }

    SntpFakeServer server_;
    std::vector<SYSTEMTIME> set_;
};

struct BadReply {
    const char* name;
    FakeSntpReply reply;
    SntpFailure failure;
};

class NetkitBadReplyTest : public NetkitClientTest,
                           public ::testing::WithParamInterface<BadReply> {};

TEST_P(NetkitBadReplyTest, IsRejectedAndTheClockIsNotSet) {
    server_.SetReply(GetParam().reply, 0, "RATE");
    const SntpAttempt attempt = SynchronizeClock(Server(), 1000, Recording());
    EXPECT_EQ(attempt.failure, GetParam().failure);
    EXPECT_EQ(attempt.kissCode, GetParam().failure == SntpFailure::KissOfDeath ? "RATE" : "");
    EXPECT_EQ(server_.Requests(), 1);
    EXPECT_TRUE(set_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, NetkitBadReplyTest,
    ::testing::Values(
        BadReply{"LeapAlarm", FakeSntpReply::LeapAlarm, SntpFailure::LeapAlarm},
        BadReply{"ClientMode", FakeSntpReply::ClientMode, SntpFailure::BadMode},
        BadReply{"KissOfDeath", FakeSntpReply::KissOfDeath, SntpFailure::KissOfDeath},
        BadReply{"Stratum16", FakeSntpReply::Stratum16, SntpFailure::StratumTooHigh},
        BadReply{"ZeroTransmit", FakeSntpReply::ZeroTransmit, SntpFailure::ZeroTransmit},
        BadReply{"WrongOriginate", FakeSntpReply::WrongOriginate, SntpFailure::NotOurRequest},
        BadReply{"WrongVersion", FakeSntpReply::WrongVersion, SntpFailure::BadVersion},
        BadReply{"OtherPort", FakeSntpReply::OtherPort, SntpFailure::WrongSource},
        BadReply{"Short", FakeSntpReply::Short, SntpFailure::Malformed},
        BadReply{"Oversized", FakeSntpReply::Oversized, SntpFailure::Malformed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NetkitClientTest, SilentServerFailsAfterTheReceiveTimeout) {
    server_.SetReply(FakeSntpReply::Silent);
    const auto start = std::chrono::steady_clock::now();
    const SntpQueryResult result = QuerySntp(Server(), 500, Recording());
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::cout << "silent server: gave up after " << elapsed.count() << " ms (timeout 500 ms)\n";
    EXPECT_EQ(result.attempt.failure, SntpFailure::Timeout);
    EXPECT_EQ(server_.Requests(), 1);
    EXPECT_GE(elapsed.count(), 500);
    EXPECT_LT(elapsed.count(), 2000);
}

TEST_F(NetkitClientTest, GoodReplyGivesItsOffsetAndTheClockIsSetToNowPlusOffset) {
    server_.SetReply(FakeSntpReply::Good, 3.25);
    const SntpQueryResult result = QuerySntp(Server(), 2000, Recording());
    ASSERT_TRUE(result.attempt.Succeeded());
    // The server stamps receive and transmit alike, so the true offset lies within half
    // the round trip of the measured one (plus the rounding of the timestamps).
    EXPECT_GE(result.measurement.delay, -1e-6);
    EXPECT_NEAR(result.measurement.offset, 3.25, result.measurement.delay / 2 + 1e-3);

    // The clock is read twice for the measurement; the moment of setting comes a minute
    // later, so "send time + offset + delay" would miss by that minute.
    SntpClientPlatform platform = Recording();
    int reads = 0;
    std::int64_t lastRead = 0;
    platform.utcNow = [&, real = platform.utcNow] {
        lastRead = real() + (++reads > 2 ? 600'000'000 : 0);
        return lastRead;
    };
    ASSERT_TRUE(SynchronizeClock(Server(), 2000, platform).Succeeded());
    ASSERT_EQ(set_.size(), 1u);
    EXPECT_EQ(reads, 3);
    // Off by half a loopback round trip at most, far from the minute.
    EXPECT_NEAR(static_cast<double>(Ticks(set_[0]) - lastRead) / 1e7, 3.25, 0.25);
}

std::vector<double> Numbers(const char* text) {
    std::vector<double> numbers;
    std::istringstream in(text ? text : "");
    for (double value; in >> value;)
        numbers.push_back(value);
    return numbers;
}

struct Spread {
    double median = 0;
    double worst = 0;
};

Spread Differences(const std::vector<double>& ours, const std::vector<double>& theirs) {
    std::vector<double> differences;
    for (std::size_t i = 0; i < ours.size() && i < theirs.size(); ++i)
        differences.push_back(std::abs(ours[i] - theirs[i]));
    if (differences.empty())
        return {};
    std::sort(differences.begin(), differences.end());
    const std::size_t n = differences.size();
    return {(differences[(n - 1) / 2] + differences[n / 2]) / 2, differences.back()};
}

// ZT_CHRONY_PORT: chronyd's port on 127.0.0.1 ("none" when chronyd is not installed);
// ZT_CHRONY_OFFSETS, ZT_CHRONY_DELAYS: chronyd -Q's own measurements, in seconds.
TEST(NetkitChronyTest, OffsetsAgreeWithChronyd) {
    const char* port = std::getenv("ZT_CHRONY_PORT");
    ASSERT_NE(port, nullptr) << "netkit_chrony_test.sh runs this test with chronyd serving";
    if (std::string(port) == "none")
        GTEST_SKIP() << "chronyd is not installed";
    const std::vector<double> chronyOffsets = Numbers(std::getenv("ZT_CHRONY_OFFSETS"));
    const std::vector<double> chronyDelays = Numbers(std::getenv("ZT_CHRONY_DELAYS"));
    ASSERT_GE(chronyOffsets.size(), 20u);
    ASSERT_EQ(chronyDelays.size(), chronyOffsets.size());

    const SntpServer server{L"127.0.0.1", static_cast<std::uint16_t>(std::atoi(port))};
    std::vector<double> offsets, delays;
    for (std::size_t i = 0; i < chronyOffsets.size(); ++i) {
        const SntpQueryResult result = QuerySntp(server, 2000, DefaultSntpClientPlatform());
        ASSERT_TRUE(result.attempt.Succeeded()) << "query " << i;
        offsets.push_back(result.measurement.offset);
        delays.push_back(result.measurement.delay);
    }
    const Spread offset = Differences(offsets, chronyOffsets);
    const Spread delay = Differences(delays, chronyDelays);
    std::cout << "netkit vs chronyd -Q, " << offsets.size() << " queries each (ms):\n"
              << "  offset difference: median " << offset.median * 1e3 << ", worst "
              << offset.worst * 1e3 << "\n"
              << "  delay difference:  median " << delay.median * 1e3 << ", worst "
              << delay.worst * 1e3 << "\n";
    RecordProperty("offset_difference_median_ms", std::to_string(offset.median * 1e3));
    RecordProperty("offset_difference_worst_ms", std::to_string(offset.worst * 1e3));
    RecordProperty("delay_difference_median_ms", std::to_string(delay.median * 1e3));
    RecordProperty("delay_difference_worst_ms", std::to_string(delay.worst * 1e3));
    // The sample with the least delay is the most accurate (RFC 4330: the error of an offset is
    // at most half its round trip); a loaded machine delays single queries, not all of them.
    std::vector<double> sorted = chronyOffsets;
    std::sort(sorted.begin(), sorted.end());
    const double reference = sorted[sorted.size() / 2];
    const std::size_t best =
        static_cast<std::size_t>(std::min_element(delays.begin(), delays.end()) - delays.begin());
    std::cout << "  least delay " << delays[best] * 1e3 << " ms, its offset " << offsets[best] * 1e3
              << " ms, chronyd's median offset " << reference * 1e3 << " ms\n";
    EXPECT_LT(std::abs(offsets[best] - reference), 0.001);
    for (std::size_t i = 0; i < offsets.size(); ++i)
        EXPECT_LE(std::abs(offsets[i] - reference), delays[i] / 2 + 0.0005) << "query " << i;
}

} // namespace
} // namespace zt
