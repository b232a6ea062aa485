// Network sources against real HTTP and FTP servers on 127.0.0.1.

#include "engine/UrlSource.h"

#include "engine/EngineError.h"
#include "engine/InputStream.h"
#include "engine/servers/ServerProcess.h"
#include "support/TempDir.h"

#include <arpa/inet.h>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>

namespace zeb {
namespace {

using namespace std::chrono_literals;
using test::ServerProcess;

const std::string kServers = ZEB_SOURCE_DIR "/tests/engine/servers/";
constexpr size_t kBigSize = 3 * 1024 * 1024; // beyond the replay cap

// The folder every server serves: cbr128.mp3 from the fixtures, and big.bin,
// seeded pseudo-random bytes (any misplaced byte shows).
class Content {
public:
    static const Content& Get() {
        static Content content;
        return content;
    }
    std::string dir;
    std::string mp3;
    std::string big;

private:
    Content() {
        dir = folder_.Path().string();
        mp3 = test::ReadFile(ZEB_FIXTURES_DIR "/cbr128.mp3");
        std::mt19937 random(20240607);
        big.resize(kBigSize);
        for (char& c : big)
            c = static_cast<char>(random() >> 24);
        test::WriteFile(folder_.File("cbr128.mp3"), mp3);
        test::WriteFile(folder_.File("big.bin"), big);
    }
    test::TempDir folder_;
};

std::unique_ptr<ServerProcess> StartHttp(const std::string& mode, size_t cut = 1000) {
    return std::make_unique<ServerProcess>(std::vector<std::string>{
        test::PythonWith("http.server"), kServers + "http_server.py", "--root", Content::Get().dir,
        "--mode", mode, "--cut", std::to_string(cut)});
}

// The number of file requests the HTTP server has seen, asked over a socket
// of our own so that the count does not depend on the code under test.
int RequestCount(const ServerProcess& server) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(server.Port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string request = "GET /_requests HTTP/1.0\r\n\r\n";
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) > 0) {
            char buffer[512];
            ssize_t got;
            while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
                answer.append(buffer, static_cast<size_t>(got));
        }
    }
    ::close(fd);
    size_t body = answer.find("\r\n\r\n");
    return body == std::string::npos ? -1 : std::atoi(answer.c_str() + body + 4);
}

std::string ReadN(ByteSource& source, size_t n) {
    std::string out(n, '\0');
    ssize_t got = source.Read(out.data(), n);
    out.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return out;
}

// Everything up to the end of the data, in reads of chunk bytes; a failed
// read fails the test.
std::string ReadRest(ByteSource& source, size_t chunk = 10000) {
    std::string out;
    std::string buffer(chunk, '\0');
    for (;;) {
        ssize_t got = source.Read(buffer.data(), chunk);
        if (got < 0) {
            ADD_FAILURE() << "read failed after " << out.size() << " bytes";
            break;
        }
        out.append(buffer.data(), static_cast<size_t>(got));
        if (got == 0)
            break;
    }
    return out;
}

// Everything up to the end of the data through frame-body reads; the
// zero-filled tail of the last one is cut off by the stream's offset.
std::string ReadRest(CInputStream& stream) {
    std::string out;
    uint8_t buffer[4000];
    uint64_t start = stream.Offset();
    while (stream.ReadBody(buffer, sizeof buffer))
        out.append(reinterpret_cast<char*>(buffer), sizeof buffer);
    out.resize(static_cast<size_t>(stream.Offset() - start));
    return out;
}

std::string Slice(const std::string& data, size_t at, size_t n) {
    return data.substr(at, n);
}

// Byte comparison that names the first difference instead of printing megabytes.
::testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
    if (got == want)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    return ::testing::AssertionFailure()
           << got.size() << " bytes instead of " << want.size() << ", first difference at " << at;
}

std::unique_ptr<UrlSource> OpenOrFail(const std::string& url,
                                      const UrlSourceOptions& options = {}) {
    std::unique_ptr<UrlSource> source = UrlSource::Open(url, options);
    EXPECT_NE(source, nullptr) << url;
    return source;
}

TEST(UrlRule, SchemeLettersInAnyCaseAndTheSeparatorExactly) {
    EXPECT_TRUE(IsUrlName("HTTP://host/x.mp3"));
    EXPECT_TRUE(IsUrlName("Ftp://host/x.mp3"));
    EXPECT_TRUE(IsUrlName("http://127.0.0.1/x.mp3"));
    EXPECT_FALSE(IsUrlName("http:/host"));
    EXPECT_FALSE(IsUrlName("httpx://host"));
    EXPECT_FALSE(IsUrlName("/music/http://x.mp3"));
}

// ---------------------------------------------------------------------------
// A server with Content-Length and Range.

class HttpRangeTest : public ::testing::Test {
protected:
    void SetUp() override { server_ = StartHttp("range"); }
    std::string Url(const std::string& path) const { return server_->Url("http", path); }
    std::unique_ptr<ServerProcess> server_;
    const Content& content_ = Content::Get();
};

TEST_F(HttpRangeTest, InputStreamReadsExactlyTheFileWithItsSize) {
    CInputStream stream;
    stream.Open(server_->Url("HTTP", "/cbr128.mp3")); // scheme letters in any case
    EXPECT_TRUE(stream.IsUrl());
    EXPECT_EQ(stream.Size(), content_.mp3.size());
    EXPECT_TRUE(stream.Seekable());
    EXPECT_TRUE(SameBytes(ReadRest(stream), content_.mp3));
    uint32_t word = 0;
    EXPECT_FALSE(stream.ReadWord(word));
}

TEST_F(HttpRangeTest, InputStreamSeekAndSkipLandOnTheRightBytes) {
    const std::string& mp3 = content_.mp3;
    CInputStream stream;
    stream.Open(Url("/cbr128.mp3"));
    uint8_t buffer[1000];
    size_t middle = mp3.size() / 2;
    ASSERT_TRUE(stream.SeekTo(middle));
    ASSERT_TRUE(stream.ReadBody(buffer, sizeof buffer));
    EXPECT_TRUE(SameBytes(std::string(reinterpret_cast<char*>(buffer), sizeof buffer),
                          Slice(mp3, middle, sizeof buffer)));
    ASSERT_TRUE(stream.Skip(3000));
    ASSERT_TRUE(stream.ReadBody(buffer, 500));
    EXPECT_TRUE(SameBytes(std::string(reinterpret_cast<char*>(buffer), 500),
                          Slice(mp3, middle + 4000, 500)));
    ASSERT_TRUE(stream.SeekTo(10));
    uint32_t word = 0;
    ASSERT_TRUE(stream.ReadWord(word));
    EXPECT_EQ(word, uint32_t(uint8_t(mp3[10])) << 24 | uint32_t(uint8_t(mp3[11])) << 16 |
                        uint32_t(uint8_t(mp3[12])) << 8 | uint8_t(mp3[13]));
    EXPECT_TRUE(SameBytes(ReadRest(stream), mp3.substr(14)));
}

TEST_F(HttpRangeTest, RewindAfterAProbeNeedsNoNewRequest) {
    auto source = OpenOrFail(Url("/big.bin"));
    ASSERT_TRUE(source);
    EXPECT_TRUE(source->SeekTo(0)); // right after the open
    EXPECT_TRUE(SameBytes(ReadN(*source, 100000), Slice(content_.big, 0, 100000)));
    ASSERT_TRUE(source->SeekTo(0));
    EXPECT_TRUE(SameBytes(ReadN(*source, 300000), Slice(content_.big, 0, 300000)));
    ASSERT_TRUE(source->SeekTo(7));
    EXPECT_TRUE(SameBytes(ReadN(*source, 10), Slice(content_.big, 7, 10)));
    EXPECT_EQ(RequestCount(*server_), 1);
}

TEST_F(HttpRangeTest, FarMovesAreNewTransfersFromTheOffset) {
    const std::string& big = content_.big;
    auto source = OpenOrFail(Url("/big.bin"));
    ASSERT_TRUE(source);
    ASSERT_TRUE(SameBytes(ReadN(*source, 2500000), Slice(big, 0, 2500000))); // past the replay cap
    ASSERT_TRUE(source->SeekTo(1000));
    EXPECT_TRUE(SameBytes(ReadN(*source, 5000), Slice(big, 1000, 5000)));
    ASSERT_TRUE(source->SeekTo(1000000));
    EXPECT_TRUE(SameBytes(ReadN(*source, 5000), Slice(big, 1000000, 5000)));
    ASSERT_TRUE(source->Skip(900000));
    EXPECT_TRUE(SameBytes(ReadRest(*source), big.substr(1905000)));
    EXPECT_EQ(RequestCount(*server_), 4);
}

TEST_F(HttpRangeTest, SmallSkipsReadOnWithoutNewRequests) {
    const std::string& big = content_.big;
    auto source = OpenOrFail(Url("/big.bin"));
    ASSERT_TRUE(source);
    size_t at = 0;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(SameBytes(ReadN(*source, 333), Slice(big, at, 333)));
        at += 333;
        ASSERT_TRUE(source->Skip(UrlSource::kDiscardLimit));
        at += UrlSource::kDiscardLimit;
    }
    EXPECT_TRUE(SameBytes(ReadN(*source, 1000), Slice(big, at, 1000)));
    EXPECT_EQ(RequestCount(*server_), 1);
}

TEST_F(HttpRangeTest, MovesPastTheEndAreRefusedAndKeepThePosition) {
    auto source = OpenOrFail(Url("/cbr128.mp3"));
    ASSERT_TRUE(source);
    ASSERT_TRUE(SameBytes(ReadN(*source, 100), Slice(content_.mp3, 0, 100)));
    EXPECT_FALSE(source->SeekTo(content_.mp3.size() + 1));
    EXPECT_FALSE(source->Skip(content_.mp3.size()));
    EXPECT_TRUE(SameBytes(ReadN(*source, 100), Slice(content_.mp3, 100, 100)));
}

TEST_F(HttpRangeTest, RedirectIsFollowed) {
    CInputStream stream;
    stream.Open(Url("/redirect/cbr128.mp3"));
    EXPECT_EQ(stream.Size(), content_.mp3.size());
    EXPECT_TRUE(SameBytes(ReadRest(stream), content_.mp3));
}

TEST_F(HttpRangeTest, MissingFileFailsToOpen) {
    EXPECT_EQ(UrlSource::Open(Url("/missing.mp3")), nullptr);
    CInputStream stream;
    try {
        stream.Open(Url("/missing.mp3"));
        ADD_FAILURE() << "a 404 address opened";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), EngineError::SourceOpen);
    }
    EXPECT_FALSE(stream.IsOpen());
}

TEST_F(HttpRangeTest, ReceivedDataStaysBoundedWhileTheReaderIsSlow) {
    auto source = OpenOrFail(Url("/big.bin"));
    ASSERT_TRUE(source);
    std::string got;
    size_t most = 0;
    while (got.size() < kBigSize) {
        std::string piece = ReadN(*source, 8192);
        ASSERT_FALSE(piece.empty()) << "data ended at " << got.size();
        got += piece;
        most = std::max(most, source->BufferedBytes());
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(SameBytes(got, content_.big));
    EXPECT_EQ(ReadN(*source, 10), "");
    // One more delivery of curl (at most 16 KB) may come after the threshold.
    EXPECT_LE(most, UrlSource::kPauseThreshold + 64 * 1024);
}

TEST(HttpCutTest, ABrokenTransferIsContinuedFromWhereItBroke) {
    auto server = StartHttp("cut", 1500000);
    auto source = OpenOrFail(server->Url("http", "/big.bin"));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Size(), kBigSize);
    EXPECT_TRUE(SameBytes(ReadRest(*source, 65536), Content::Get().big));
    EXPECT_EQ(RequestCount(*server), 2);
}

// ---------------------------------------------------------------------------
// Servers that give no Content-Length.

class HttpNoLengthTest : public ::testing::TestWithParam<std::string> {};

TEST_P(HttpNoLengthTest, SizeIsZeroAndAllBytesCome) {
    auto server = StartHttp(GetParam());
    CInputStream stream;
    stream.Open(server->Url("http", "/cbr128.mp3"));
    EXPECT_EQ(stream.Size(), 0u);
    EXPECT_TRUE(stream.Seekable());
    EXPECT_TRUE(SameBytes(ReadRest(stream), Content::Get().mp3));

    auto source = OpenOrFail(server->Url("http", "/big.bin"));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Size(), 0u);
    EXPECT_TRUE(SameBytes(ReadRest(*source, 3000), Content::Get().big));
}

INSTANTIATE_TEST_SUITE_P(Codings, HttpNoLengthTest, ::testing::Values("chunked", "close"));

// ---------------------------------------------------------------------------
// A server that ignores Range and always answers 200 with the whole file.

class HttpNoRangeTest : public HttpRangeTest {
protected:
    void SetUp() override { server_ = StartHttp("norange"); }
};

TEST_F(HttpNoRangeTest, NearMovesAreServedWithoutRanges) {
    const std::string& mp3 = content_.mp3;
    CInputStream stream;
    stream.Open(Url("/cbr128.mp3"));
    EXPECT_EQ(stream.Size(), mp3.size());
    ASSERT_TRUE(stream.SeekTo(30000));
    uint8_t buffer[1000];
    ASSERT_TRUE(stream.ReadBody(buffer, sizeof buffer));
    EXPECT_TRUE(SameBytes(std::string(reinterpret_cast<char*>(buffer), sizeof buffer),
                          Slice(mp3, 30000, 1000)));
    ASSERT_TRUE(stream.SeekTo(5));
    EXPECT_TRUE(SameBytes(ReadRest(stream), mp3.substr(5)));
    EXPECT_EQ(RequestCount(*server_), 1);
}

TEST_F(HttpNoRangeTest, FarForwardMoveReadsOnAfterTheRefusedRange) {
    const std::string& big = content_.big;
    auto source = OpenOrFail(Url("/big.bin"));
    ASSERT_TRUE(source);
    EXPECT_TRUE(source->Seekable()); // not known yet
    ASSERT_TRUE(SameBytes(ReadN(*source, 10), Slice(big, 0, 10)));
    ASSERT_TRUE(source->SeekTo(2000000));
    EXPECT_FALSE(source->Seekable());
    EXPECT_TRUE(SameBytes(ReadN(*source, 5000), Slice(big, 2000000, 5000)));
    ASSERT_TRUE(source->Skip(500000));
    EXPECT_TRUE(SameBytes(ReadRest(*source), big.substr(2505000)));
    EXPECT_EQ(RequestCount(*server_), 2); // the open and the one refused range
}

TEST_F(HttpNoRangeTest, MoveBackNearTheStartRestartsTheTransfer) {
    const std::string& big = content_.big;
    auto source = OpenOrFail(Url("/big.bin"));
    ASSERT_TRUE(source);
    ASSERT_TRUE(SameBytes(ReadN(*source, 2500000), Slice(big, 0, 2500000))); // past the replay cap
    ASSERT_TRUE(source->SeekTo(1000));
    EXPECT_TRUE(SameBytes(ReadN(*source, 5000), Slice(big, 1000, 5000)));
    EXPECT_FALSE(source->Seekable());
    // The new transfer from the start keeps its own replay again.
    ASSERT_TRUE(source->SeekTo(0));
    EXPECT_TRUE(SameBytes(ReadN(*source, 10), Slice(big, 0, 10)));
}

TEST_F(HttpNoRangeTest, FarMoveBackIsRefusedAndThePositionKept) {
    const std::string& big = content_.big;
    auto source = OpenOrFail(Url("/big.bin"));
    ASSERT_TRUE(source);
    ASSERT_TRUE(SameBytes(ReadN(*source, 2500000), Slice(big, 0, 2500000)));
    EXPECT_FALSE(source->SeekTo(1000000));
    EXPECT_TRUE(SameBytes(ReadN(*source, 5000), Slice(big, 2500000, 5000)));
    EXPECT_FALSE(source->SeekTo(0)); // no more range attempts, nothing replayable
    EXPECT_TRUE(SameBytes(ReadRest(*source), big.substr(2505000)));
}

// ---------------------------------------------------------------------------
// FTP through pyftpdlib.

class FtpTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string python = test::PythonWith("pyftpdlib");
        ASSERT_FALSE(python.empty()) << "pyftpdlib is not importable: run scripts/install-deps";
        server_ = std::make_unique<ServerProcess>(
            std::vector<std::string>{python, kServers + "ftp_server.py", "--root", content_.dir});
    }
    std::string Url(const std::string& path) const { return server_->Url("ftp", path); }
    std::unique_ptr<ServerProcess> server_;
    const Content& content_ = Content::Get();
};

TEST_F(FtpTest, InputStreamReadsTheWholeFileWithoutSizeOrSeeking) {
    CInputStream stream;
    stream.Open(server_->Url("Ftp", "/cbr128.mp3"));
    EXPECT_TRUE(stream.IsUrl());
    EXPECT_EQ(stream.Size(), 0u);
    EXPECT_FALSE(stream.Seekable());
    EXPECT_TRUE(SameBytes(ReadRest(stream), content_.mp3));
}

TEST_F(FtpTest, RewindAfterAProbeIsServedFromTheFirstBytes) {
    CInputStream stream;
    stream.Open(Url("/cbr128.mp3"));
    uint8_t buffer[4096];
    ASSERT_TRUE(stream.ReadBody(buffer, sizeof buffer));
    ASSERT_TRUE(stream.SeekTo(0));
    EXPECT_EQ(stream.Offset(), 0u);
    EXPECT_TRUE(SameBytes(ReadRest(stream), content_.mp3));
}

TEST_F(FtpTest, ForwardMovesDiscardAndFarMovesBackAreRefused) {
    const std::string& big = content_.big;
    auto source = OpenOrFail(Url("/big.bin"));
    ASSERT_TRUE(source);
    EXPECT_FALSE(source->Seekable());
    EXPECT_EQ(source->Size(), 0u);
    ASSERT_TRUE(source->Skip(300000));
    EXPECT_TRUE(SameBytes(ReadN(*source, 1000), Slice(big, 300000, 1000)));
    ASSERT_TRUE(source->SeekTo(2500000));
    EXPECT_FALSE(source->SeekTo(0));
    EXPECT_FALSE(source->SeekTo(2400000));
    EXPECT_TRUE(SameBytes(ReadN(*source, 1000), Slice(big, 2500000, 1000)));
    // Dropped with the transfer still running: must not wait for the server.
}

TEST_F(FtpTest, MissingFileFailsToOpen) {
    EXPECT_EQ(UrlSource::Open(Url("/missing.mp3")), nullptr);
}

// ---------------------------------------------------------------------------
// Servers that stop answering.

TEST(StalledServerTest, OpenGivesUpWhenTheServerNeverAnswers) {
    auto server = StartHttp("stall-accept");
    UrlSourceOptions options;
    options.openTimeout = 1s;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(UrlSource::Open(server->Url("http", "/cbr128.mp3"), options), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

// The server sends the headers and the first 1000 bytes, then nothing more.
class StalledBodyTest : public ::testing::Test {
protected:
    void SetUp() override { server_ = StartHttp("stall-body", 1000); }
    std::string Url() const { return server_->Url("http", "/cbr128.mp3"); }
    std::unique_ptr<ServerProcess> server_;
};

TEST_F(StalledBodyTest, AbortEndsABlockedReadAndEveryLaterOne) {
    UrlSourceOptions options;
    options.stallTimeout = 20s; // only a fallback so that the test cannot hang
    auto source = OpenOrFail(Url(), options);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Size(), Content::Get().mp3.size());
    ASSERT_TRUE(SameBytes(ReadN(*source, 1000), Slice(Content::Get().mp3, 0, 1000)));
    auto blocked = std::async(std::launch::async, [&] {
        char buffer[4096];
        return source->Read(buffer, sizeof buffer);
    });
    EXPECT_EQ(blocked.wait_for(300ms), std::future_status::timeout);
    source->Abort();
    ASSERT_EQ(blocked.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(blocked.get(), -1);
    char byte;
    EXPECT_EQ(source->Read(&byte, 1), -1);
    EXPECT_FALSE(source->SeekTo(0));
}

TEST_F(StalledBodyTest, ClosingTheInputStreamEndsABlockedRead) {
    CInputStream stream;
    stream.Open(Url());
    uint8_t buffer[1000];
    ASSERT_TRUE(stream.ReadBody(buffer, sizeof buffer));
    auto blocked = std::async(std::launch::async, [&] {
        uint32_t word = 0;
        return stream.ReadWord(word);
    });
    EXPECT_EQ(blocked.wait_for(300ms), std::future_status::timeout);
    stream.Close();
    ASSERT_EQ(blocked.wait_for(2s), std::future_status::ready);
    EXPECT_FALSE(blocked.get());
    EXPECT_FALSE(stream.IsOpen());
}

TEST_F(StalledBodyTest, ReadFailsWhenNoDataComesForTheStallTimeout) {
    UrlSourceOptions options;
    options.stallTimeout = 500ms;
    auto source = OpenOrFail(Url(), options);
    ASSERT_TRUE(source);
    char buffer[4096];
    EXPECT_EQ(source->Read(buffer, 1000), 1000);
    auto blocked = std::async(std::launch::async, [&] { return source->Read(buffer, 4096); });
    ASSERT_EQ(blocked.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(blocked.get(), -1);
}

} // namespace
} // namespace zeb
