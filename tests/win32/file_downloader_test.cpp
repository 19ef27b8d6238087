// Transfers against the fixture server (tools/fixture_server.py) that the tier
// runs on 127.0.0.3:80 as files.karvelo.example. Nothing listens on 127.0.0.4
// (refused.karvelo.example), and nowhere.karvelo.example does not resolve.
#include "net/downloader_listener.h"
#include "net/file_downloader.h"
#include "net/receive_watchdog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kHost[] = "files.karvelo.example";

std::string Pattern(size_t size)
{
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>(i % 251);
    return body;
}

struct RecordingListener : DownloaderListener {
    bool OnRecv(const std::string& block) override
    {
        blocks.push_back(block.size());
        body += block;
        if (cancel_on_block)
            cancel_on_block->Cancel();
        return refuse_block != static_cast<int>(blocks.size());
    }
    void OnFinished() override { End("finished"); }
    void OnCanceled() override { End("canceled"); }
    void OnError(const TransferError& what) override
    {
        error = what;
        End("error");
    }
    void End(const char* event)
    {
        ends.push_back(event);
        if (done)
            SetEvent(done);
    }

    std::vector<size_t> blocks;
    std::string body;
    std::vector<std::string> ends;
    TransferError error = TransferError::None();
    int refuse_block = 0;
    FileDownloader* cancel_on_block = nullptr;
    HANDLE done = nullptr;
};

// One blocking transfer, with time-outs of `timeout_ms` when given; returns
// what OpenConnection said.
bool Fetch(RecordingListener& listener, const std::string& path, const char* host = kHost, DWORD timeout_ms = 0)
{
    FileDownloader downloader(&listener, host);
    if (timeout_ms)
        downloader.SetTimeout(timeout_ms);
    const bool sent = downloader.OpenConnection(path);
    downloader.Start(true);
    return sent;
}

// The raw head of the logged request whose target starts with `target`.
std::string LoggedHead(const std::string& target)
{
    RecordingListener listener;
    Fetch(listener, "/_log");
    const std::string needle = "GET " + target + " ";
    const size_t start = listener.body.find(needle);
    if (start == std::string::npos)
        return std::string();
    return listener.body.substr(start, listener.body.find("\r\n\r\n", start) - start);
}

} // namespace

TEST(FileDownloader, EmptyBodyFinishesWithoutBlocks)
{
    RecordingListener listener;
    EXPECT_TRUE(Fetch(listener, "/size/0"));
    EXPECT_TRUE(listener.blocks.empty());
    EXPECT_EQ(listener.ends, std::vector<std::string>{"finished"});
}

TEST(FileDownloader, DeliversTheBodyInBlocksOfAtMost64KiBWithZeroBytes)
{
    RecordingListener listener;
    Fetch(listener, "/size/300000");
    ASSERT_FALSE(listener.blocks.empty());
    EXPECT_LE(*std::max_element(listener.blocks.begin(), listener.blocks.end()), 65536u);
    EXPECT_EQ(listener.body, Pattern(300000));
    EXPECT_EQ(listener.ends, std::vector<std::string>{"finished"});
}

TEST(FileDownloader, SendsPathAgentAndAccept)
{
    RecordingListener listener;
    Fetch(listener, "size/10?headers=1");
    const std::string head = LoggedHead("/size/10?headers=1");
    ASSERT_FALSE(head.empty()) << "the request line lacks the leading slash";
    EXPECT_NE(head.find("\r\nUser-Agent: Downloader1.1\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("\r\nAccept: */*\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("\r\nHost: files.karvelo.example\r\n"), std::string::npos) << head;
}

TEST(FileDownloader, BodiesWithoutContentLengthEndWhenTheServerSaysSo)
{
    for (const char* path : {"/close/3000", "/chunked/3000"}) {
        RecordingListener listener;
        FileDownloader downloader(&listener, kHost);
        ASSERT_TRUE(downloader.OpenConnection(path));
        EXPECT_EQ(downloader.GetContentLength(), -1) << path;
        downloader.Start(true);
        EXPECT_EQ(listener.body, Pattern(3000)) << path;
        EXPECT_EQ(listener.ends, std::vector<std::string>{"finished"}) << path;
    }
}

TEST(FileDownloader, ContentLengthIsReadLikeAtoi)
{
    RecordingListener listener;
    FileDownloader downloader(&listener, kHost);
    EXPECT_EQ(downloader.GetContentLength(), -1);
    downloader.OpenConnection("/size/77");
    EXPECT_EQ(downloader.GetContentLength(), 77);
    downloader.OpenConnection("/length/12345abc");
    EXPECT_EQ(downloader.GetContentLength(), 12345);
    // Above 2 GiB, and longer than any small buffer.
    downloader.OpenConnection("/length/5000000000");
    EXPECT_EQ(downloader.GetContentLength(), 5000000000LL);
    downloader.OpenConnection("/length/000000000000000000000000000000000000000042");
    EXPECT_EQ(downloader.GetContentLength(), 42);
}

TEST(FileDownloader, BodyBelowALengthAboveTwoGigabytesIsCutShort)
{
    RecordingListener listener;
    Fetch(listener, "/length/3000000000");
    EXPECT_EQ(listener.ends, std::vector<std::string>{"error"});
    EXPECT_TRUE(listener.error.Is(TransferError::Kind::kOwn, TransferError::kBodyCutShort));
}

// A status is never mistaken for a platform error of the same number, and
// the log names it as what it is.
TEST(FileDownloader, ErrorStatusesEndInErrorWithoutDeliveringThePage)
{
    for (int status : {404, 500}) {
        RecordingListener listener;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(Fetch(listener, "/status/" + std::to_string(status)));
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(listener.blocks.empty()) << status;
        EXPECT_EQ(listener.ends, std::vector<std::string>{"error"});
        EXPECT_TRUE(listener.error.Is(TransferError::Kind::kHttpStatus, status)) << listener.error.Describe();
        EXPECT_NE(log.find("HttpSendRequestA \"http://files.karvelo.example/status/" + std::to_string(status)
                           + "\" failed: HTTP status " + std::to_string(status)),
                  std::string::npos)
            << log;
    }
}

TEST(FileDownloader, FollowsRedirects)
{
    RecordingListener listener;
    EXPECT_TRUE(Fetch(listener, "/redirect/300"));
    EXPECT_EQ(listener.body, Pattern(300));
    EXPECT_EQ(listener.ends, std::vector<std::string>{"finished"});
}

TEST(FileDownloader, RefusedBlockEndsAtOnceWithMinusOne)
{
    RecordingListener listener;
    listener.refuse_block = 1;
    Fetch(listener, "/size/5000");
    EXPECT_EQ(listener.blocks.size(), 1u);
    EXPECT_EQ(listener.ends, std::vector<std::string>{"error"});
    EXPECT_TRUE(listener.error.Is(TransferError::Kind::kOwn, TransferError::kListenerRefused));
}

// The code reaches the listener and the log, with the call that failed.
TEST(FileDownloader, UnreachableHostsEndInErrorWithThePlatformCode)
{
    RecordingListener refused;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(Fetch(refused, "/size/10", "refused.karvelo.example"));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(refused.ends, std::vector<std::string>{"error"});
    EXPECT_TRUE(refused.error.Is(TransferError::Kind::kPlatform, ERROR_INTERNET_CANNOT_CONNECT))
        << refused.error.Describe();
    EXPECT_TRUE(refused.blocks.empty());
    EXPECT_NE(log.find("HttpSendRequestA \"http://refused.karvelo.example/size/10\" failed: 12029"), std::string::npos)
        << log;

    RecordingListener unknown;
    EXPECT_FALSE(Fetch(unknown, "/size/10", "nowhere.karvelo.example"));
    EXPECT_EQ(unknown.ends, std::vector<std::string>{"error"});
    EXPECT_TRUE(unknown.error.Is(TransferError::Kind::kPlatform, ERROR_INTERNET_NAME_NOT_RESOLVED))
        << unknown.error.Describe();
}

TEST(FileDownloader, BodyCutShortIsAnError)
{
    for (const char* path : {"/short/5000/3000", "/reset/5000/3000"}) {
        RecordingListener listener;
        Fetch(listener, path);
        EXPECT_EQ(listener.ends, std::vector<std::string>{"error"}) << path;
        EXPECT_LE(listener.body.size(), 3000u) << path;
        if (std::string(path).find("short") != std::string::npos) {
            EXPECT_TRUE(listener.error.Is(TransferError::Kind::kOwn, TransferError::kBodyCutShort));
        }
    }
}

TEST(FileDownloader, SlowBodiesArriveWhole)
{
    RecordingListener listener;
    Fetch(listener, "/drip/1500/20");
    EXPECT_EQ(listener.body, Pattern(1500));
    EXPECT_EQ(listener.ends, std::vector<std::string>{"finished"});
}

TEST(FileDownloader, StalledTransferFailsAfterTheTimeout)
{
    RecordingListener listener;
    Fetch(listener, "/stall/5000/1024", kHost, 1500);
    EXPECT_EQ(listener.ends, std::vector<std::string>{"error"});
    EXPECT_TRUE(listener.error.Is(TransferError::Kind::kPlatform, WSAETIMEDOUT)
                || listener.error.Is(TransferError::Kind::kPlatform, ERROR_INTERNET_TIMEOUT))
        << listener.error.Describe();
    EXPECT_LE(listener.body.size(), 1024u);
}

TEST(FileDownloader, TrickleFailsWithATimeOutOnceAWindowBringsLessThanOneKiB)
{
    RecordingListener listener;
    // 500 bytes a second: every wait for data is short, the whole body would
    // take 40 s.
    Fetch(listener, "/drip/20000/200", kHost, 1500);
    EXPECT_EQ(listener.ends, std::vector<std::string>{"error"});
    EXPECT_TRUE(listener.error.Is(TransferError::Kind::kPlatform, ERROR_INTERNET_TIMEOUT)) << listener.error.Describe();
    EXPECT_LT(listener.body.size(), 20000u);
}

// Every window brings more than its KiB, yet the whole body comes slower than
// the least average rate: the attempt ends at its deadline, here 1.5 s of
// grace and 40,000 bytes at 20,000 a second (rounded up to 3 s), long before
// the 8 s the body takes.
TEST(FileDownloader, ACrawlingBodyEndsAtItsDeadline)
{
    RecordingListener listener;
    testing::internal::CaptureStdout();
    FileDownloader downloader(&listener, kHost);
    downloader.SetTimeout(1500);
    downloader.SetLeastAverageRate(20000);
    ASSERT_TRUE(downloader.OpenConnection("/drip/40000/20"));
    downloader.Start(true);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(listener.ends, std::vector<std::string>{"error"});
    EXPECT_TRUE(listener.error.Is(TransferError::Kind::kPlatform, ERROR_INTERNET_TIMEOUT)) << listener.error.Describe();
    EXPECT_LT(listener.body.size(), 40000u);
    EXPECT_NE(log.find("the body did not arrive within its deadline of 4 s"), std::string::npos) << log;
}

TEST(ReceiveWatchdog, TheDeadlineIsTheGraceAndTheBytesAtTheRate)
{
    EXPECT_EQ(ReceiveWatchdog::Deadline(-1, 60000, 2048), INFINITE);
    EXPECT_EQ(ReceiveWatchdog::Deadline(0, 60000, 2048), 61000u);
    EXPECT_EQ(ReceiveWatchdog::Deadline(100000000, 60000, 2048), 60000u + 48829u * 1000u);
    // Never INFINITE, which would mean none.
    EXPECT_EQ(ReceiveWatchdog::Deadline(INT64_MAX, 60000, 2048), INFINITE - 1);
}

// WinInet's time-outs apply to each read: a head that brings a byte now and
// then would keep the send going for ever, were the watchdog not already
// watching it.
TEST(FileDownloader, AHeadThatTricklesFailsWithATimeOut)
{
    RecordingListener listener;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(Fetch(listener, "/slowhead/300", kHost, 1500));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(listener.ends, std::vector<std::string>{"error"});
    EXPECT_TRUE(listener.error.Is(TransferError::Kind::kPlatform, ERROR_INTERNET_TIMEOUT)) << listener.error.Describe();
    EXPECT_TRUE(listener.blocks.empty());
    EXPECT_NE(log.find("HttpSendRequestA \"http://files.karvelo.example/slowhead/300\" failed: 12002"),
              std::string::npos)
        << log;
}

TEST(FileDownloader, CancelEndsBeforeTheNextRead)
{
    RecordingListener listener;
    FileDownloader downloader(&listener, kHost);
    listener.cancel_on_block = &downloader;
    downloader.OpenConnection("/size/5000");
    downloader.Start(true);
    EXPECT_EQ(listener.blocks.size(), 1u);
    EXPECT_EQ(listener.ends, std::vector<std::string>{"canceled"});
}

TEST(FileDownloader, OpenConnectionClearsAnEarlierCancel)
{
    RecordingListener listener;
    FileDownloader downloader(&listener, kHost);
    downloader.Cancel();
    downloader.OpenConnection("/size/100");
    downloader.Start(true);
    EXPECT_EQ(listener.ends, std::vector<std::string>{"finished"});
}

TEST(FileDownloader, SecondRequestOnOneObjectReplacesTheFirst)
{
    RecordingListener listener;
    FileDownloader downloader(&listener, kHost);
    EXPECT_TRUE(downloader.OpenConnection("/size/4000?first"));
    EXPECT_TRUE(downloader.OpenConnection("/size/600?second"));
    downloader.Start(true);
    EXPECT_EQ(listener.body, Pattern(600));
    EXPECT_FALSE(LoggedHead("/size/4000?first").empty());
}

TEST(FileDownloader, BackgroundStartRunsTheLoopOnItsOwnThread)
{
    RecordingListener listener;
    listener.done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    FileDownloader downloader(&listener, kHost);
    downloader.OpenConnection("/size/3000");
    downloader.Start(false);
    ASSERT_EQ(WaitForSingleObject(listener.done, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(listener.body, Pattern(3000));
    EXPECT_EQ(listener.ends, std::vector<std::string>{"finished"});
    CloseHandle(listener.done);
}
