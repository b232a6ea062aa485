#include "cd/CddbClient.h"

#include "cd/CdTitleDatabase.h"
#include "cd/CddbProtocol.h"
#include "cd/DiscToc.h"
#include "cd/MciDevice.h"
#include "engine/servers/ServerProcess.h"
#include "platform/IniFile.h"
#include "resources/ResourceIds.h"
#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace zeb {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kServerScript = ZEB_SOURCE_DIR "/tests/cd/cddb_server.py";
const std::string kIdentity = "1234567";
const std::string kEmail = "me@example.org";

// The disc the fake drive holds, worked out by hand:
//   track 1 starts 00:02:00, length 05:08:20 = 23120 frames
//   track 2 starts 05:10:20, length 03:50:54 = 17304 frames
//   track 3 starts 09:00:74, length 04:00:01 = 18001 frames
// Offsets (absolute frames) 150, 23270, 40574. Lead-out
// ((4 + 9) * 60 + 0 + 0) * 75 + 1 + 74 + 1 = 58576 frames = 13:01:01 = 781 s.
// Disc id: the start seconds 2, 310, 540 have the digit sums 2 + 4 + 9 = 15 =
// 0x0f; playing time 781 - 2 = 779 s = 0x030b; three tracks: 0f030b03.
const std::string kQuery = "cddb+query+0f030b03+3+150+23270+40574+781";

// An MCI CD drive answering the table-of-contents commands for the disc
// above. Track addresses are only given in MSF, as the real device answers
// in the time format it was set to.
class FakeCdDrive : public MciDevice {
public:
    explicit FakeCdDrive(int tracks = 3) : tracks_(tracks) {}

    MciReply Send(const std::string& command) override {
        std::lock_guard lock(mutex_);
        if (command == "set zeb time format msf" || command == "set zeb time format tmsf") {
            format_ = command.substr(command.rfind(' ') + 1);
            return {};
        }
        if (command == "status zeb number of tracks")
            return {0, std::to_string(tracks_)};
        if (command == "info zeb identity")
            return {0, kIdentity};
        static const std::map<std::string, std::string> kMsf = {
            {"position track 1", "00:02:00"}, {"length track 1", "05:08:20"},
            {"position track 2", "05:10:20"}, {"length track 2", "03:50:54"},
            {"position track 3", "09:00:74"}, {"length track 3", "04:00:01"}};
        auto found = kMsf.find(command.substr(std::string("status zeb ").size()));
        if (format_ == "msf" && found != kMsf.end())
            return {0, found->second};
        return {kMciErrUnrecognizedCommand, {}};
    }
    bool IsAudioTrack(const std::string&, int) override { return true; }
    void SetNotifyCallback(NotifyCallback) override {}

    std::string Format() {
        std::lock_guard lock(mutex_);
        return format_;
    }

private:
    std::mutex mutex_;
    int tracks_;
    std::string format_ = "tmsf";
};

class CddbClientTest : public ::testing::Test {
protected:
    CddbClientTest()
        : database_(folder_.File("CDPLAYER.INI")), key_(CdTitleDatabase::DiscKey(kIdentity)) {}

    void StartServer(const std::string& mode) {
        server_ = std::make_unique<test::ServerProcess>(
            std::vector<std::string>{test::PythonWith("http.server"), kServerScript, "--mode", mode,
                                     "--query", kQuery, "--hello", "me+example.org+ZEB"});
    }

    std::unique_ptr<CddbClient> MakeClient(CddbHttpLimits limits = {}) {
        return std::make_unique<CddbClient>(
            database_,
            [this](int id) {
                std::lock_guard lock(mutex_);
                messages_.push_back(id);
            },
            limits);
    }

    // Runs one lookup against the server and waits for the worker to end.
    void LookUp(CddbClient& client) {
        ASSERT_TRUE(client.Start(drive_, Settings()));
        ASSERT_TRUE(WaitUntilEnded(client, 60s));
    }

    CddbClient::Settings Settings() const {
        return {"127.0.0.1:" + std::to_string(server_->Port()), kEmail};
    }

    static bool WaitUntilEnded(const CddbClient& client, std::chrono::seconds bound) {
        auto deadline = Clock::now() + bound;
        while (client.Running() && Clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        return !client.Running();
    }

    std::vector<int> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

    std::string Stored(const std::string& name) {
        return IniFile(database_.Path()).GetString(key_, name, "<none>");
    }

    test::TempDir folder_;
    CdTitleDatabase database_;
    std::string key_;
    FakeCdDrive drive_;
    std::unique_ptr<test::ServerProcess> server_;
    std::mutex mutex_;
    std::vector<int> messages_;
};

TEST_F(CddbClientTest, ExactMatchStoresTheNamesAndLeavesTheDriveInTrackFormat) {
    StartServer("exact");
    auto client = MakeClient();
    LookUp(*client);

    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(database_.Artist(key_, false), "Nordic Band");
    EXPECT_EQ(database_.Title(key_, false), "Long Evenings");
    EXPECT_EQ(database_.TrackName(key_, 1), "Snow");
    EXPECT_EQ(database_.TrackName(key_, 2), "Ice");
    EXPECT_EQ(database_.TrackName(key_, 3), "Thaw");
    EXPECT_EQ(Stored("NumTracks"), "3");
    EXPECT_EQ(drive_.Format(), "tmsf");
}

TEST_F(CddbClientTest, InexactMatchesReadTheChosenOneAndADeclinedChoiceStaysSilent) {
    StartServer("inexact");
    auto client = MakeClient();
    LookUp(*client);
    EXPECT_EQ(database_.Title(key_, false), "First Disc");
    EXPECT_EQ(database_.TrackName(key_, 3), "Three");

    std::vector<std::string> offered;
    client->SetMatchChooser([&](const std::vector<CddbMatch>& matches) -> std::optional<size_t> {
        for (const CddbMatch& m : matches)
            offered.push_back(m.category + " " + m.discId + " " + m.title);
        return 1;
    });
    LookUp(*client);
    EXPECT_EQ(offered, (std::vector<std::string>{"rock 1a2b3c03 First Band / First Disc",
                                                 "jazz 4d5e6f03 Second Band / Second Disc"}));
    EXPECT_EQ(database_.Artist(key_, false), "Second Band");
    EXPECT_EQ(database_.TrackName(key_, 1), "Uno");

    std::filesystem::remove(database_.Path());
    client->SetMatchChooser([](const std::vector<CddbMatch>&) { return std::nullopt; });
    LookUp(*client);
    EXPECT_EQ(Stored("Title"), "<none>");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CddbClientTest, FailedLookupsWriteNothingAndReportTheFailure) {
    for (const char* mode : {"nomatch", "malformed-query", "malformed-read"}) {
        SCOPED_TRACE(mode);
        StartServer(mode);
        auto client = MakeClient();
        LookUp(*client);
        EXPECT_EQ(Stored("Title"), "<none>");
        EXPECT_EQ(Messages().size(), 1u);
        messages_.clear();
    }
    // A server that is not there.
    CddbClient::Settings gone = Settings();
    server_.reset();
    auto client = MakeClient();
    ASSERT_TRUE(client->Start(drive_, gone));
    ASSERT_TRUE(WaitUntilEnded(*client, 60s));
    EXPECT_EQ(Messages(), std::vector<int>{IDS_CDDB_FAILED});
    EXPECT_EQ(Stored("Title"), "<none>");
}

TEST_F(CddbClientTest, Latin1NamesAreStoredAsUtf8AndSplitTitlesJoined) {
    StartServer("latin1");
    auto client = MakeClient();
    LookUp(*client);
    EXPECT_EQ(database_.Artist(key_, false), "Bj\u00f6rk");
    EXPECT_EQ(database_.Title(key_, false), "Homog\u00e9nic");
    EXPECT_EQ(database_.TrackName(key_, 2), "J\u00f3ga");
    EXPECT_EQ(database_.TrackName(key_, 3),
              "A very long title that the server continues on a second line");
    EXPECT_EQ(Stored("NumTracks"), "3");
}

TEST_F(CddbClientTest, SilentServerNeverHoldsALookup) {
    StartServer("stall");
    auto bounded = MakeClient({std::chrono::milliseconds(2000), std::chrono::milliseconds(1500)});
    LookUp(*bounded);
    EXPECT_EQ(Messages(), std::vector<int>{IDS_CDDB_FAILED});
    messages_.clear();

    auto patient =
        MakeClient({std::chrono::milliseconds(300000), std::chrono::milliseconds(300000)});
    ASSERT_TRUE(patient->Start(drive_, Settings()));
    EXPECT_TRUE(patient->Running());
    auto stopStart = Clock::now();
    patient->Stop();
    EXPECT_LT(Clock::now() - stopStart, 10s); // far below the request's own bound
    EXPECT_FALSE(patient->Running());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Stored("Title"), "<none>");

    // A new lookup while one hangs ends the old one and runs on its own.
    ASSERT_TRUE(patient->Start(drive_, Settings()));
    std::unique_ptr<test::ServerProcess> stalling = std::move(server_);
    StartServer("exact");
    LookUp(*patient);
    EXPECT_EQ(database_.Title(key_, false), "Long Evenings");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CddbClientTest, DiscWithoutTracksStartsNothing) {
    FakeCdDrive empty(0);
    auto client = MakeClient();
    EXPECT_FALSE(client->Start(empty, {"127.0.0.1:9", kEmail}));
    EXPECT_FALSE(client->Running());
}

} // namespace
} // namespace zeb
