#include <gtest/gtest.h>

#include "updater/http_grabber.h"
#include "updater/loopback_http_server.h"
#include "updater/win_test_support.h"
#include "support/pump.h"

namespace zt::uplift {
namespace {

using test::LoopbackHttpServer;
using test::ScratchFolder;
using zt::test::PumpFor;
using zt::test::PumpUntil;

class HttpGrabberTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Running());
        THttpGrabber::Events events;
        events.onRequestSending = [this] { Record("sending"); };
        events.onRequestSent = [this] { Record("sent"); };
        events.onProgress = [this](uint64_t received, uint64_t total) {
            lastReceived = received;
            lastTotal = total;
            Record("progress");
        };
        events.onDoneStream = [this](std::string data) {
            stream = std::move(data);
            Record("stream");
        };
        events.onDoneFile = [this](const std::wstring& name) {
            file = name;
            Record("file");
        };
        events.onError = [this](const std::wstring& text) {
            error = text;
            Record("error");
        };
        grabber.SetEvents(std::move(events));
    }

    void Record(const std::string& event) {
        log.push_back(event);
        threads.push_back(::GetCurrentThreadId());
    }

    bool Finished() const {
        return !log.empty() &&
               (log.back() == "stream" || log.back() == "file" || log.back() == "error");
    }

    void Run(const std::string& path, THttpGrabber::Mode mode) {
        grabber.SetMode(mode);
        grabber.SetUrl(server.Url(path));
        grabber.SetFileName((folder.Path() / L"target.bin").wstring());
        grabber.Start();
        ASSERT_TRUE(PumpUntil([this] { return Finished(); }));
    }

    LoopbackHttpServer server;
    ScratchFolder folder;
    THttpGrabber grabber;
    std::vector<std::string> log;
    std::vector<DWORD> threads;
    uint64_t lastReceived = 0;
    uint64_t lastTotal = 0;
    std::string stream;
    std::wstring file;
    std::wstring error;
};

TEST_F(HttpGrabberTest, StreamModeSendsHttp10GetWithUserAgentAndDeliversOnCallerThread) {
    server.Serve("/list.dat", test::Ok("a|1|2|http://h/a\r\n"));
    Run("/list.dat", THttpGrabber::Mode::Stream);

    EXPECT_EQ(stream, "a|1|2|http://h/a\r\n");
    EXPECT_EQ(error, L"");
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "sending");
    EXPECT_EQ(log[1], "sent");
    EXPECT_EQ(log[2], "progress");
    EXPECT_EQ(log.back(), "stream");
    EXPECT_EQ(lastReceived, 18u);
    EXPECT_EQ(lastTotal, 18u);
    for (const DWORD thread : threads)
        EXPECT_EQ(thread, ::GetCurrentThreadId());
    EXPECT_FALSE(grabber.Busy());

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("GET /list.dat HTTP/1.0\r\n", 0), 0u) << requests[0];
    EXPECT_NE(requests[0].find("User-Agent: Zentik AutoUpdate service\r\n"), std::string::npos)
        << requests[0];
}

TEST_F(HttpGrabberTest, FileModeRenamesTheCompleteBodyIntoPlace) {
    const std::string body = test::PatternBody(300 * 1024);
    server.Serve("/big.bin", test::Ok(body));
    Run("/big.bin", THttpGrabber::Mode::File);

    ASSERT_EQ(error, L"");
    EXPECT_EQ(file, (folder.Path() / L"target.bin").wstring());
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / L"target.bin"), body);
    EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"target.bin"});
    EXPECT_EQ(lastReceived, body.size());
}

TEST_F(HttpGrabberTest, ReplyWithoutContentLengthIsAnError) {
    server.Serve("/nolength", test::Ok("data").WithoutLength());
    Run("/nolength", THttpGrabber::Mode::File);
    EXPECT_EQ(log.back(), "error");
    EXPECT_EQ(error, L"Сервер не сообщил размер данных");
    EXPECT_TRUE(folder.Files().empty());
}

TEST_F(HttpGrabberTest, ConnectionClosedWithoutReplyIsAnError) {
    server.Serve("/silent", test::Silent());
    Run("/silent", THttpGrabber::Mode::File);
    EXPECT_EQ(log.back(), "error");
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(folder.Files().empty());
}

TEST_F(HttpGrabberTest, AddressThatIsNoWebAddressIsAnError) {
    grabber.SetUrl(L"file:///C:/Windows/win.ini");
    grabber.Start();
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }));
    EXPECT_EQ(log.back(), "error");
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(HttpGrabberTest, StopEndsTheTransferSilentlyAndRemovesThePartialFile) {
    server.Serve("/slow.bin", test::Ok(test::PatternBody(400 * 1024)).InPieces(4096, 10));
    grabber.SetMode(THttpGrabber::Mode::File);
    grabber.SetUrl(server.Url("/slow.bin"));
    grabber.SetFileName((folder.Path() / L"slow.bin").wstring());
    grabber.Start();
    ASSERT_TRUE(PumpUntil([this] { return lastReceived > 0; }));
    ASSERT_TRUE(grabber.Busy());

    grabber.Stop();
    EXPECT_FALSE(grabber.Busy());
    EXPECT_TRUE(folder.Files().empty());
    const size_t events = log.size();
    PumpFor(300);
    EXPECT_EQ(log.size(), events);
    EXPECT_FALSE(Finished());
}

TEST_F(HttpGrabberTest, StartingAgainDropsTheEventsOfTheEarlierTransfer) {
    server.Serve("/slow.bin", test::Ok(test::PatternBody(200 * 1024)).InPieces(4096, 5));
    server.Serve("/quick.txt", test::Ok("quick"));
    grabber.SetMode(THttpGrabber::Mode::Stream);
    grabber.SetUrl(server.Url("/slow.bin"));
    grabber.Start();
    grabber.SetUrl(server.Url("/quick.txt"));
    grabber.Start();
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }));
    EXPECT_EQ(stream, "quick");
    PumpFor(200);
    EXPECT_EQ(std::count(log.begin(), log.end(), "stream"), 1);
}

} // namespace
} // namespace zt::uplift
