// The SNTP packet codec, timestamps and their eras, the reply checks, the offset and delay
// arithmetic, and one synchronisation run over a fake query.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "sntp_packet.h"
#include "synchronizator.h"

namespace zt {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kUnixEpochTicks = 116'444'736'000'000'000;                      // 1970-01-01
constexpr std::int64_t kEra1Ticks = (4'294'967'296 + 9'435'484'800) * kTicksPerSecond; // 2036

std::int64_t Seconds(double s) {
    return std::llround(s * kTicksPerSecond);
}

TEST(SntpPacketTest, FieldsSitAtTheirOffsetsInNetworkOrder) {
    SntpPacket packet;
    packet.leap = 3;
    packet.version = 4;
    packet.mode = 5;
    packet.stratum = 2;
    packet.poll = -6;
    packet.precision = -20;
    packet.rootDelay = 0x01020304;
    packet.rootDispersion = 0x05060708;
    packet.referenceId = 0x52415445; // "RATE"
    packet.reference = {0x11121314, 0x15161718};
    packet.originate = {0x21222324, 0x25262728};
    packet.receive = {0x31323334, 0x35363738};
    packet.transmit = {0x41424344, 0x45464748};
    const SntpBytes bytes = EncodeSntpPacket(packet);
    EXPECT_EQ(bytes[0], 0xE5);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[2], 0xFA);
    EXPECT_EQ(bytes[3], 0xEC);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(bytes[4 + i], 1 + i);
        EXPECT_EQ(bytes[12 + i], "RATE"[i]);
        EXPECT_EQ(bytes[16 + i], 0x11 + i);
        EXPECT_EQ(bytes[28 + i], 0x25 + i);
        EXPECT_EQ(bytes[44 + i], 0x45 + i);
    }
    EXPECT_EQ(KissCode(packet), "RATE");

    // Extra bytes (an authenticator) are ignored; a short datagram is no packet.
    std::vector<std::uint8_t> received(bytes.begin(), bytes.end());
    received.resize(68, 0xFF);
    SntpPacket decoded;
    ASSERT_TRUE(DecodeSntpPacket(received.data(), received.size(), decoded));
    EXPECT_EQ(EncodeSntpPacket(decoded), bytes);
    EXPECT_FALSE(DecodeSntpPacket(received.data(), kSntpPacketSize - 1, decoded));
}

TEST(SntpPacketTest, RequestIsVersion3ClientWithItsTransmitTime) {
    const SntpBytes bytes = EncodeSntpPacket(MakeSntpRequest({0x01020304, 0x05060708}));
    EXPECT_EQ(bytes[0], 0x1B);
    for (std::size_t i = 1; i < 40; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(bytes[40 + i], 1 + i);
}

TEST(SntpPacketTest, KissCodeKeepsPrintableLettersOnly) {
    SntpPacket packet;
    packet.referenceId = 0x44454E00; // "DEN" and a zero byte
    EXPECT_EQ(KissCode(packet), "DEN");
}

TEST(NtpTimestampTest, ErasFollowTheTopBit) {
    EXPECT_EQ(FileTimeToNtp(kUnixEpochTicks), (NtpTimestamp{2'208'988'800u, 0}));
    EXPECT_EQ(FileTimeToNtp(kUnixEpochTicks + Seconds(0.5)),
              (NtpTimestamp{2'208'988'800u, 0x8000'0000u}));
    // 2036-02-07 06:28:16 UTC starts era 1 at zero; its last second of era 0 has the top bit.
    EXPECT_EQ(FileTimeToNtp(kEra1Ticks), (NtpTimestamp{0, 0}));
    EXPECT_EQ(FileTimeToNtp(kEra1Ticks - kTicksPerSecond), (NtpTimestamp{0xFFFF'FFFFu, 0}));
    EXPECT_EQ(NtpToFileTime({0, 0}), kEra1Ticks);
    EXPECT_EQ(NtpToFileTime({0x7FFF'FFFFu, 0}), kEra1Ticks + Seconds(0x7FFF'FFFF));
    // Era 0 begins at 1968-01-20 03:14:08 UTC under this rule.
    EXPECT_EQ(NtpToFileTime({0x8000'0000u, 0}), kUnixEpochTicks - Seconds(61'505'152));

    for (const std::int64_t ticks : {kUnixEpochTicks + 176'543'211'234'567, kEra1Ticks - 1,
                                     kEra1Ticks + 1, kEra1Ticks + Seconds(123'456'789.25) + 3})
        EXPECT_EQ(NtpToFileTime(FileTimeToNtp(ticks)), ticks);
}

TEST(SntpReplyTest, EachRuleOfTheClientRejectsItsFault) {
    const SntpPacket request = MakeSntpRequest({0xE000'0000u, 0x1234});
    SntpPacket good;
    good.version = 3;
    good.mode = 4;
    good.stratum = 1;
    good.originate = request.transmit;
    good.receive = good.transmit = {0xE000'0001u, 0};
    EXPECT_EQ(CheckSntpReply(request, good), SntpReplyError::None);

    auto with = [&](auto change) {
        SntpPacket reply = good;
        change(reply);
        return CheckSntpReply(request, reply);
    };
    EXPECT_EQ(with([](SntpPacket& p) { p.mode = 5; }), SntpReplyError::None);
    EXPECT_EQ(with([](SntpPacket& p) { p.stratum = 15; }), SntpReplyError::None);
    EXPECT_EQ(with([](SntpPacket& p) { p.originate.fraction ^= 1; }),
              SntpReplyError::NotOurRequest);
    EXPECT_EQ(with([](SntpPacket& p) { p.leap = 3; }), SntpReplyError::LeapAlarm);
    EXPECT_EQ(with([](SntpPacket& p) { p.mode = 3; }), SntpReplyError::BadMode);
    EXPECT_EQ(with([](SntpPacket& p) { p.version = 4; }), SntpReplyError::BadVersion);
    EXPECT_EQ(with([](SntpPacket& p) { p.stratum = 16; }), SntpReplyError::StratumTooHigh);
    EXPECT_EQ(with([](SntpPacket& p) { p.transmit = {}; }), SntpReplyError::ZeroTransmit);
    // A kiss-o'-death comes with LI 3 and is still recognised as one.
    EXPECT_EQ(with([](SntpPacket& p) { p.stratum = 0, p.leap = 3; }), SntpReplyError::KissOfDeath);
}

// T1..T4 as seconds from base (FILETIME ticks).
SntpMeasurement Measure(std::int64_t base, double t1, double t2, double t3, double t4) {
    return MeasureSntp(FileTimeToNtp(base + Seconds(t1)), FileTimeToNtp(base + Seconds(t2)),
                       FileTimeToNtp(base + Seconds(t3)), FileTimeToNtp(base + Seconds(t4)));
}

TEST(SntpMeasureTest, OffsetAndDelayHoldInAndAcrossEras) {
    struct Case {
        const char* name;
        std::int64_t base;
        double t1, t2, t3, t4, offset, delay;
    };
    const Case cases[] = {
        {"server ahead", kUnixEpochTicks, 0, 1.5, 1.6, 0.2, 1.45, 0.1},
        {"server behind", kUnixEpochTicks, 100, 40.01, 40.02, 100.03, -60, 0.02},
        {"era 1", kEra1Ticks + Seconds(1e8), 0, 1.5, 1.6, 0.2, 1.45, 0.1},
        {"client crosses the boundary", kEra1Ticks, -0.3, 4.8, 4.85, 0.1, 4.925, 0.35},
        {"server past it, client before", kEra1Ticks, -2, 1.05, 1.06, -1.9, 3.005, 0.09},
        {"server before it, client past", kEra1Ticks, 2, -0.95, -0.94, 2.1, -2.995, 0.09},
    };
    for (const Case& c : cases) {
        const SntpMeasurement m = Measure(c.base, c.t1, c.t2, c.t3, c.t4);
        EXPECT_NEAR(m.offset, c.offset, 1e-6) << c.name;
        EXPECT_NEAR(m.delay, c.delay, 1e-6) << c.name;
    }
}

// A synchronisation run over recorded queries.
class SynchronizeTest : public ::testing::Test {
protected:
    SynchronizeTest() {
        platform_.query = [this](const SntpServer& server, std::uint16_t timeoutMs) {
            asked_.push_back(server.host + L":" + std::to_wstring(server.port));
            EXPECT_EQ(timeoutMs, record_.ReceiveTimeOutSynch);
            const auto found = answers_.find(server.host);
            if (found == answers_.end())
                return SntpAttempt{SntpFailure::Timeout, {}};
            if (found->second.failure == SntpFailure::NetworkError)
                throw std::runtime_error("query failed");
            return found->second;
        };
        platform_.loadHostList = [this] {
            ++listLoads_;
            return hostList_;
        };
        platform_.now = [] { return 46000.25; };
        platform_.text = [](const std::wstring& key) -> std::wstring {
            static const std::map<std::wstring, std::wstring> texts = {
                {L"rsSuccessStatus", L"Set %s from %s:%d."},
                {L"rsFailedStatus", L"Failed %s at %s:%d, last set %s."},
                {L"rsFailTimeout", L"Timeout."},
                {L"rsFailNetwork", L"Network error."},
                {L"rsFailKiss", L"Kiss-o'-death %s."},
                {L"rsNoHostList", L"No host list."},
            };
            const auto found = texts.find(key);
            return found == texts.end() ? L"[" + key + L"]" : found->second;
        };
        platform_.formatDateTime = [](SyncDateTime value) { return std::to_wstring(value); };
        record_.HostSynch = L"main:1234";
        record_.PortSynch = 124;
        record_.ReceiveTimeOutSynch = 700;
        record_.LastLuckySynch = 45000.5;
    }

    bool Run() { return Synchronize(record_, platform_); }

    SynchronizePlatform platform_;
    TSynchronizator record_;
    std::optional<std::vector<std::wstring>> hostList_ = std::vector<std::wstring>{};
    std::map<std::wstring, SntpAttempt> answers_;
    std::vector<std::wstring> asked_;
    int listLoads_ = 0;
};

TEST(ServerTextTest, PortAfterTheColonReplacesTheDefault) {
    EXPECT_EQ(ParseServerText(L"host:1234", 124), (SntpServer{L"host", 1234}));
    EXPECT_EQ(ParseServerText(L"host:abc", 124), (SntpServer{L"host", 124}));
    EXPECT_EQ(ParseServerText(L"host", 124), (SntpServer{L"host", 124}));
    EXPECT_EQ(ParseServerText(L" host : 99 ", 124), (SntpServer{L"host", 99}));
    EXPECT_EQ(ParseServerText(L"host:0", 124), (SntpServer{L"host", 124}));
    EXPECT_EQ(ParseServerText(L"host:65536", 124), (SntpServer{L"host", 124}));
    EXPECT_EQ(ParseServerText(L"host:12x", 124), (SntpServer{L"host", 124}));
}

TEST(HostListTest, LinesAreTrimmedAndJoinedWithCrLf) {
    const std::vector<std::wstring> lines = {L"a", L"b:5", L"c", L"d"};
    EXPECT_EQ(SplitHostList(L" a \r\nb:5\n\n\tc\rd"), lines);
    EXPECT_EQ(JoinHostList(lines), L"a\r\nb:5\r\nc\r\nd\r\n");
    EXPECT_EQ(SplitHostList(JoinHostList(lines)), lines);
}

TEST_F(SynchronizeTest, WithoutNextSynchOneFailureEndsTheRun) {
    record_.EnableNextSynch = false;
    hostList_ = std::vector<std::wstring>{L"a", L"b"};
    EXPECT_FALSE(Run());
    EXPECT_EQ(asked_, std::vector<std::wstring>{L"main:1234"});
    EXPECT_EQ(listLoads_, 0);
}

TEST_F(SynchronizeTest, HostListIsTriedInFileOrderAfterTheConfiguredServer) {
    hostList_ = std::vector<std::wstring>{L"a", L"b:9999", L"c"};
    EXPECT_FALSE(Run());
    EXPECT_EQ(asked_, (std::vector<std::wstring>{L"main:1234", L"a:124", L"b:9999", L"c:124"}));

    asked_.clear();
    answers_[L"b"] = {};
    EXPECT_TRUE(Run());
    EXPECT_EQ(asked_, (std::vector<std::wstring>{L"main:1234", L"a:124", L"b:9999"}));
}

TEST_F(SynchronizeTest, KissOfDeathServerIsNotAskedAgainInTheRun) {
    record_.HostSynch = L"kiss";
    hostList_ = std::vector<std::wstring>{L"a", L"KISS:124", L"kiss:125", L"b"};
    answers_[L"kiss"] = {SntpFailure::KissOfDeath, "RATE"};
    answers_[L"b"] = {SntpFailure::KissOfDeath, "DENY"};
    EXPECT_FALSE(Run());
    EXPECT_EQ(asked_, (std::vector<std::wstring>{L"kiss:124", L"a:124", L"kiss:125", L"b:124"}));
    EXPECT_EQ(record_.StatusSynch, L"Failed 46000.250000 at b:124, last set 45000.500000. "
                                   L"Kiss-o'-death DENY.");
}

TEST_F(SynchronizeTest, MissingHostListStillAsksTheConfiguredServerAndSaysSo) {
    hostList_.reset();
    EXPECT_FALSE(Run());
    EXPECT_EQ(asked_, std::vector<std::wstring>{L"main:1234"});
    EXPECT_EQ(record_.StatusSynch, L"Failed 46000.250000 at main:1234, last set 45000.500000. "
                                   L"Timeout. No host list.");
}

TEST_F(SynchronizeTest, SuccessSetsLastLuckySynchToLastSynch) {
    answers_[L"main"] = {};
    EXPECT_TRUE(Run());
    EXPECT_EQ(record_.LastSynch, 46000.25);
    EXPECT_EQ(record_.LastLuckySynch, record_.LastSynch);
    EXPECT_EQ(record_.StatusSynch, L"Set 46000.250000 from main:1234.");
}

TEST_F(SynchronizeTest, FailureKeepsLastLuckySynchAndNamesTheReason) {
    record_.EnableNextSynch = false;
    answers_[L"main"] = {SntpFailure::NetworkError, {}}; // the query throws
    EXPECT_FALSE(Run());
    EXPECT_EQ(record_.LastSynch, 46000.25);
    EXPECT_EQ(record_.LastLuckySynch, 45000.5);
    EXPECT_EQ(record_.StatusSynch, L"Failed 46000.250000 at main:1234, last set 45000.500000. "
                                   L"Network error.");
}

} // namespace
} // namespace zt
