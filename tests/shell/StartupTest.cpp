// The command line, paths arriving at start and from second instances, and
// the display commands, with the real engine writing WAV files.
#include "platform/HandoverRecord.h"
#include "platform/MountPoint.h"
#include "resources/ResourceIds.h"
#include "shell/CommandLine.h"
#include "shell/MainWnd.h"
#include "support/DeferredJobs.h"
#include "support/PlayerFixtures.h"
#include "support/QuietHost.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace zeb {
namespace {

TEST(CommandLineTest, OptionsAreExactAndTheFirstOtherArgumentIsThePath) {
    CommandLine line = ParseCommandLine({"-a", "/m/one.mp3", "-g", "/m/two.mp3", "-c", "-x"});
    EXPECT_TRUE(line.add);
    EXPECT_TRUE(line.cd);
    EXPECT_TRUE(line.shared);
    EXPECT_TRUE(line.exit);
    EXPECT_EQ(line.path, "/m/one.mp3");

    CommandLine odd = ParseCommandLine({"-A", "-add", "--x", "-"});
    EXPECT_FALSE(odd.add);
    EXPECT_FALSE(odd.exit);
    EXPECT_FALSE(odd.path.has_value()); // every one of them is an option, none known

    EXPECT_FALSE(ParseCommandLine({}).path.has_value());
}

TEST(CommandLineTest, RelativePathsBecomeAbsolute) {
    CommandLine line = ParseCommandLine({"../music/./a.mp3"});
    MakePathAbsolute(line, "/home/u/dl");
    EXPECT_EQ(line.path, "/home/u/music/a.mp3");

    CommandLine absolute = ParseCommandLine({"/x/y.mp3"});
    MakePathAbsolute(absolute, "/home/u");
    EXPECT_EQ(absolute.path, "/x/y.mp3");
}

class HandoverHost : public test::QuietHost {
public:
    void PostToUiThread(std::function<void()> call) override { posted.push_back(std::move(call)); }
    void ShowMessage(int stringId, MessageIcon) override { messages.push_back(stringId); }
    void StartHandoverTimer() override { timerRunning = true; }
    void StopHandoverTimer() override { timerRunning = false; }

    std::vector<std::function<void()>> posted;
    std::vector<int> messages;
    bool timerRunning = false;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::UseWavOutput(wnd_, dir_);
        wnd_.AutoPlay = 0;
    }
    void TearDown() override { wnd_.Player().Stop(); }

    std::string Track(const std::string& relative) { return test::CopyFixture(dir_, relative); }
    int32_t Handover(HandoverMode mode, const std::string& path) {
        std::vector<uint8_t> record = *EncodeHandoverRecord(mode, path);
        return wnd_.OnHandover(record);
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (int i = 0; i < wnd_.Count(); ++i)
            paths.push_back(wnd_.Model().PathAt(i));
        return paths;
    }

    test::TempDir dir_;
    HandoverHost host_;
    CMainWnd wnd_{host_, 3u};
};

TEST_F(StartupTest, HandoversAreRefusedUntilInitialisedAndNeedTheRecordSize) {
    std::string a = Track("a.mp3");
    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, a), 0);
    EXPECT_EQ(wnd_.Count(), 0);

    wnd_.SetInitialised();
    std::vector<uint8_t> record = *EncodeHandoverRecord(HandoverMode::OpenAndPlay, a);
    std::vector<uint8_t> tooLong = record;
    tooLong.resize(kMaxHandoverRecordSize + 1);
    EXPECT_EQ(wnd_.OnHandover(tooLong), 0);
    EXPECT_EQ(wnd_.OnHandover(std::span(record).first(267)), 0);
    EXPECT_EQ(wnd_.Count(), 0);
    EXPECT_EQ(wnd_.OnHandover(record), 1);
    EXPECT_EQ(Paths(), std::vector<std::string>{a});

    // A path longer than the classic record arrives in a longer one.
    std::string deep = Track(std::string(120, 'd') + "/" + std::string(120, 'e') + "/" +
                             std::string(100, 'f') + ".mp3");
    ASSERT_GT(deep.size(), kHandoverPathSize);
    EXPECT_EQ(Handover(HandoverMode::Add, deep), 1);
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, deep}));
}

TEST_F(StartupTest, FilesArrivingTogetherFormOneListStartingWithTheFirst) {
    wnd_.SetInitialised();
    std::string old = Track("old.mp3");
    wnd_.OpenSingleFile(old, false, false);
    std::string a = Track("x/a.mp3"), b = Track("x/b.mp3"), c = Track("x/c.mp3");

    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, a), 1);
    EXPECT_TRUE(wnd_.InHandoverWindow());
    EXPECT_TRUE(host_.timerRunning);
    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, b), 1);
    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, c), 1);
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    EXPECT_EQ(wnd_.Recent[0], c);
    EXPECT_EQ(wnd_.Recent[2], a);

    // After the window a new file replaces the list again.
    wnd_.EndHandoverWindow();
    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, old), 1);
    EXPECT_EQ(Paths(), std::vector<std::string>{old});
}

TEST_F(StartupTest, AddModeAppendsAndMissingPathsAreIgnored) {
    wnd_.SetInitialised();
    std::string a = Track("a.mp3"), b = Track("b.mp3");
    wnd_.OpenSingleFile(a, false, false);
    EXPECT_EQ(Handover(HandoverMode::Add, b), 1);
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(wnd_.CurrentIndex(), 0);

    wnd_.EndHandoverWindow();
    std::string recent0 = wnd_.Recent[0];
    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, dir_.File("gone.mp3")), 1);
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(wnd_.Recent[0], recent0);
    EXPECT_FALSE(wnd_.InHandoverWindow());
}

TEST_F(StartupTest, AMissingPathInsideTheWindowKeepsTheWindowRunning) {
    wnd_.SetInitialised();
    std::string a = Track("a.mp3");
    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, a), 1);
    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, dir_.File("gone.mp3")), 1);
    // The window still ends by the timer instead of staying open for good.
    EXPECT_TRUE(wnd_.InHandoverWindow());
    EXPECT_TRUE(host_.timerRunning);
}

TEST_F(StartupTest, FoldersAndPlaylistsArriveByKind) {
    wnd_.SetInitialised();
    std::string b = Track("album/b.mp3"), a = Track("album/a.mp3");
    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, dir_.File("album")), 1);
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b})); // sorted folder scan

    wnd_.EndHandoverWindow();
    std::string list = dir_.File("list.m3u");
    test::WriteFile(list, "album/b.mp3\n");
    EXPECT_EQ(Handover(HandoverMode::OpenAndPlay, list), 1);
    EXPECT_EQ(Paths(), std::vector<std::string>{b});
    EXPECT_EQ(wnd_.Recent[0], list);
}

// The answer does not wait for the CD mode, whose message would hold it.
TEST_F(StartupTest, TheCdRequestAnswersOneAndThenFindsNoDrive) {
    wnd_.SetInitialised();
    wnd_.CDLetter.clear();
    std::vector<uint8_t> record = *EncodeHandoverRecord(HandoverMode::PlayAudioCd, "");
    EXPECT_EQ(wnd_.OnHandover(record), 1);
    ASSERT_EQ(host_.posted.size(), 1u);
    EXPECT_TRUE(host_.messages.empty());
    host_.posted.front()();
    EXPECT_EQ(host_.messages, std::vector<int>{IDS_NO_CD_DRIVE});
    EXPECT_FALSE(wnd_.InCdMode());
    EXPECT_EQ(wnd_.Count(), 0);
}

TEST_F(StartupTest, AnUnknownModeOpensLikeModeZero) {
    wnd_.SetInitialised();
    std::string a = Track("a.mp3"), b = Track("b.mp3");
    wnd_.OpenSingleFile(a, false, false);
    std::vector<uint8_t> record = *EncodeHandoverRecord(HandoverMode::OpenAndPlay, b);
    record[0] = 9;
    EXPECT_EQ(wnd_.OnHandover(record), 1);
    EXPECT_EQ(Paths(), std::vector<std::string>{b});
}

TEST_F(StartupTest, TheCommandLinePathOpensTheHandoverWindow) {
    std::string a = Track("a.mp3"), b = Track("b.mp3");
    wnd_.OpenSingleFile(a, false, false);
    wnd_.OpenCommandLinePath(b, true);
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));
    EXPECT_TRUE(wnd_.InHandoverWindow());
    EXPECT_EQ(wnd_.Recent[0], b);

    EXPECT_EQ(wnd_.OpenStartPath(dir_.Path().string(), true, false), CMainWnd::StartPath::Opened);
    EXPECT_EQ(wnd_.OpenStartPath(dir_.File("none"), true, false), CMainWnd::StartPath::Missing);
}

TEST(MountPointTest, MountPointsStandForDriveRoots) {
    EXPECT_TRUE(IsMountPoint("/"));
    EXPECT_TRUE(IsMountPoint("/proc"));
    EXPECT_TRUE(IsMountPoint("/proc/"));
    EXPECT_FALSE(IsMountPoint("/proc/self/fd"));
    test::TempDir dir;
    EXPECT_FALSE(IsMountPoint(dir.Path().string()));
    EXPECT_FALSE(IsMountPoint(dir.File("missing")));
    EXPECT_FALSE(IsMountPoint(""));
}

// Folder scans finish only when the test says so, as a thread finishes them
// some time after they were started.
class DeferringHost : public HandoverHost {
public:
    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
        jobs.Add(std::move(work), std::move(done));
    }
    bool FinishOldestJob() { return jobs.FinishOldest(); }
    test::DeferredJobs jobs;
};

std::vector<std::string> PathsOf(const CMainWnd& wnd) {
    return wnd.Model().Paths();
}

TEST(FolderScanOffThread, TheListChangesWhenTheScanEndsAndLaterLoadsFollowIt) {
    test::TempDir dir;
    DeferringHost host;
    auto wnd = std::make_unique<CMainWnd>(host, 3u);
    test::UseWavOutput(*wnd, dir);
    wnd->AutoPlay = 0;
    wnd->SetInitialised();
    std::string old = test::CopyFixture(dir, "old.mp3");
    std::string b = test::CopyFixture(dir, "album/b.mp3");
    std::string a = test::CopyFixture(dir, "album/a.mp3");
    std::string single = test::CopyFixture(dir, "single.mp3");
    wnd->OpenSingleFile(old, false, false);

    // A folder arrives and a file right after it: the file waits for the
    // folder, so the list holds both in the order they came.
    auto handOver = [&](const std::string& path) {
        return wnd->OnHandover(*EncodeHandoverRecord(HandoverMode::OpenAndPlay, path));
    };
    EXPECT_EQ(handOver(dir.File("album")), 1);
    EXPECT_EQ(handOver(single), 1);
    // What waits for the loads sees the list they made.
    int countSeen = -1;
    wnd->RunAfterLoads([&] { countSeen = wnd->Count(); });
    EXPECT_TRUE(wnd->FolderScanRunning());
    EXPECT_EQ(PathsOf(*wnd), std::vector<std::string>{old});
    EXPECT_EQ(countSeen, -1);
    ASSERT_TRUE(host.FinishOldestJob());
    EXPECT_FALSE(wnd->FolderScanRunning());
    EXPECT_EQ(PathsOf(*wnd), (std::vector<std::string>{a, b, single}));
    EXPECT_EQ(countSeen, 3);
    EXPECT_EQ(wnd->CurrentIndex(), 0);

    // Two folders in a row: the second scan starts once the first is done.
    wnd->EndHandoverWindow();
    wnd->AddFolder(dir.File("album"), false, false, false);
    wnd->AddFolder(dir.File("album"), false, true, false);
    EXPECT_EQ(host.jobs.size(), 1u);
    ASSERT_TRUE(host.FinishOldestJob());
    ASSERT_TRUE(host.FinishOldestJob());
    EXPECT_EQ(PathsOf(*wnd), (std::vector<std::string>{a, b, a, b}));

    // A cancelled scan changes nothing, nor do the loads that waited for it.
    wnd->AddFolder(dir.File("album"), false, false, false);
    wnd->OpenSingleFile(old, true, false);
    wnd->CancelFolderScan();
    ASSERT_TRUE(host.FinishOldestJob());
    EXPECT_EQ(PathsOf(*wnd), (std::vector<std::string>{a, b, a, b}));
    wnd->OpenSingleFile(old, false, false);
    EXPECT_EQ(PathsOf(*wnd), std::vector<std::string>{old});

    // A window that goes before its scan ends is left alone by the scan.
    wnd->AddFolder(dir.File("album"), false, false, false);
    wnd->Player().Stop();
    wnd.reset();
    EXPECT_TRUE(host.FinishOldestJob());
}

TEST_F(StartupTest, DisplayCommandsSetTheirSettings) {
    EXPECT_TRUE(wnd_.OnCommand(ID_SHOW_TIME_LEFT));
    EXPECT_EQ(wnd_.ShowRemainingTime, 1);
    EXPECT_TRUE(wnd_.OnCommand(ID_SHOW_TIME_PLAYED));
    EXPECT_EQ(wnd_.ShowRemainingTime, 0);
    wnd_.OnCommand(ID_SHOW_TOTAL_TIME);
    EXPECT_EQ(wnd_.ShowTTT, 1);
    wnd_.OnCommand(ID_SHOW_TOTAL_TIME);
    EXPECT_EQ(wnd_.ShowTTT, 0);
    wnd_.OnCommand(ID_SHOW_FILE_NAME);
    EXPECT_EQ(wnd_.ShowingMode, 2);
    wnd_.OnCommand(ID_SHOW_ARTIST_TITLE);
    EXPECT_EQ(wnd_.ShowingMode, 1);
    wnd_.OnCommand(ID_SHOW_TITLE);
    EXPECT_EQ(wnd_.ShowingMode, 0);
    wnd_.OnCommand(ID_FOLLOW_ACTIVE_WINDOW);
    EXPECT_EQ(wnd_.DockMinibar, 1);
    wnd_.OnCommand(ID_TOGGLE_LANGUAGE);
    EXPECT_EQ(wnd_.Language, 1);
    wnd_.OnCommand(ID_TOGGLE_LANGUAGE);
    EXPECT_EQ(wnd_.Language, 0);
}

} // namespace
} // namespace zeb
