// The whole engine playing http:// and ftp:// sources from real servers on
// the loopback interface, and stopping while a server stalls.
#include "engine/MpegPlayer.h"
#include "engine/PcmTools.h"
#include "engine/servers/ServerProcess.h"
#include "support/TempDir.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using namespace std::chrono_literals;
using test::ServerProcess;

const std::string kServers = std::string(ZEB_SOURCE_DIR) + "/tests/engine/servers/";
const std::string kFixtures = ZEB_FIXTURES_DIR;
constexpr size_t kTrim = 3500;

std::unique_ptr<ServerProcess> StartHttp(const std::string& mode, size_t cut = 1000) {
    return std::make_unique<ServerProcess>(std::vector<std::string>{
        test::PythonWith("http.server"), kServers + "http_server.py", "--root", kFixtures, "--mode",
        mode, "--cut", std::to_string(cut)});
}

class PlayerNetwork : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("no_proxy", "127.0.0.1", 1);
        ::setenv("NO_PROXY", "127.0.0.1", 1);
        player_.SetOutputKind(1);
        player_.SetWavPath(wav_);
        player_.SetNotify([this] { ++ends_; });
    }
    bool WaitForEnd(std::chrono::seconds limit) {
        for (auto until = std::chrono::steady_clock::now() + limit;
             ends_ == 0 && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(20ms);
        return ends_ > 0;
    }
    // Plays an address to its end into the WAV file and gives the samples.
    std::vector<uint8_t> PlayToEnd(const std::string& url) {
        player_.SetSource(url);
        EXPECT_TRUE(player_.Open()) << url;
        player_.Play();
        EXPECT_TRUE(WaitForEnd(60s)) << url;
        player_.Stop();
        std::string bytes = test::ReadFile(wav_);
        return test::ReadWav(std::vector<uint8_t>(bytes.begin(), bytes.end())).data;
    }
    std::vector<uint8_t> Expected(const std::string& fixture) {
        std::vector<uint8_t> ref = test::ReferenceDecode(kFixtures + "/" + fixture);
        return std::vector<uint8_t>(ref.begin() + long(kTrim), ref.end());
    }

    test::TempDir dir_;
    std::string wav_ = dir_.File("out.wav");
    CMpegPlayer player_;
    std::atomic<int> ends_{0};
};

TEST_F(PlayerNetwork, HttpSourceWithLengthPlaysLikeTheLocalFile) {
    auto server = StartHttp("range");
    std::string url = server->Url("http", "/vbr-xing.mp3");
    player_.SetSource(url);
    ASSERT_TRUE(player_.Open());
    EXPECT_GT(player_.LengthMs(), 0); // the size is known
    EXPECT_TRUE(player_.Params().seekable);
    player_.Stop();
    EXPECT_TRUE(PlayToEnd(url) == Expected("vbr-xing.mp3"));
}

TEST_F(PlayerNetwork, HttpSourceWithoutLengthPlaysWithUnknownLength) {
    auto server = StartHttp("close");
    std::string url = server->Url("http", "/cbr128.mp3");
    player_.SetSource(url);
    ASSERT_TRUE(player_.Open());
    EXPECT_EQ(player_.LengthMs(), 0);
    player_.Stop();
    EXPECT_TRUE(PlayToEnd(url) == Expected("cbr128.mp3"));
}

TEST_F(PlayerNetwork, FtpSourcePlaysFromItsFirstFrameWithoutSeeking) {
    std::string python = test::PythonWith("pyftpdlib");
    ASSERT_FALSE(python.empty()) << "pyftpdlib is not importable: run scripts/install-deps";
    ServerProcess server({python, kServers + "ftp_server.py", "--root", kFixtures});
    std::string url = server.Url("ftp", "/id3v2.mp3");
    player_.SetSource(url);
    ASSERT_TRUE(player_.Open());
    EXPECT_FALSE(player_.Params().seekable);
    EXPECT_EQ(player_.LengthMs(), 0);
    player_.Stop();
    EXPECT_TRUE(PlayToEnd(url) == Expected("id3v2.mp3"));
}

TEST_F(PlayerNetwork, StopReturnsWhileTheServerStalls) {
    auto server = StartHttp("stall-body", 20000); // about a second of audio, then nothing
    player_.SetSource(server->Url("http", "/vbr-xing.mp3"));
    ASSERT_TRUE(player_.Open());
    player_.Play();
    ASSERT_EQ(player_.GetState(), CMpegPlayer::Playing);
    std::this_thread::sleep_for(2s); // the decoding thread now waits for bytes
    auto stop = std::async(std::launch::async, [&] { player_.Stop(); });
    ASSERT_EQ(stop.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(player_.GetState(), CMpegPlayer::Stopped);
    EXPECT_EQ(ends_, 0);
}

// A server that accepts and never answers, and one that stalls after its
// headers: an open running off the caller's thread ends when stopped.
TEST_F(PlayerNetwork, StopAbortsAnOpenThatWaitsForTheServer) {
    for (const char* mode : {"stall-accept", "stall-body"}) {
        auto server = StartHttp(mode, 0);
        player_.SetSource(server->Url("http", "/vbr-xing.mp3"));
        std::promise<void> probed;
        uint64_t ticket = player_.BeginOpen([&] { probed.set_value(); });
        EXPECT_TRUE(player_.IsOpening());
        auto stop = std::async(std::launch::async, [&] { player_.Stop(); });
        ASSERT_EQ(stop.wait_for(5s), std::future_status::ready) << mode;
        EXPECT_EQ(probed.get_future().wait_for(0s), std::future_status::ready) << mode;
        EXPECT_EQ(player_.FinishOpen(ticket), CMpegPlayer::OpenResult::Cancelled) << mode;
        EXPECT_EQ(player_.GetState(), CMpegPlayer::Stopped);
    }
    auto server = StartHttp("range");
    player_.SetSource(server->Url("http", "/cbr128.mp3"));
    std::promise<void> probed;
    uint64_t ticket = player_.BeginOpen([&] { probed.set_value(); });
    ASSERT_EQ(probed.get_future().wait_for(30s), std::future_status::ready);
    ASSERT_EQ(player_.FinishOpen(ticket), CMpegPlayer::OpenResult::Opened);
    player_.Play();
    EXPECT_TRUE(WaitForEnd(60s));
    player_.Stop();
    std::string bytes = test::ReadFile(wav_);
    EXPECT_TRUE(test::ReadWav(std::vector<uint8_t>(bytes.begin(), bytes.end())).data ==
                Expected("cbr128.mp3"));
}

TEST_F(PlayerNetwork, MissingAddressDoesNotOpen) {
    auto server = StartHttp("range");
    player_.SetSource(server->Url("http", "/no-such-file.mp3"));
    EXPECT_FALSE(player_.Open());
    EXPECT_EQ(player_.GetState(), CMpegPlayer::Stopped);
}

} // namespace
} // namespace zeb
