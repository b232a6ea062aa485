// Automation runs over a real folder tree of encoded files: what vanished
// goes, what appeared in a watched folder arrives sorted, and a run never
// starts playback.
#include "shell/MainWnd.h"
#include "shell/PlaylistView.h"
#include "support/PlayerFixtures.h"

#include <deque>
#include <filesystem>
#include <gtest/gtest.h>

namespace zeb {
namespace {

namespace fs = std::filesystem;

// The windows around the controller. Background work waits in a queue until
// the test lets it run, as a busy worker thread would.
class QueueingHost : public MainWndHost {
public:
    void UpdateStatus(bool) override {}
    void ShowMessage(int, MessageIcon) override {}
    void PostToUiThread(std::function<void()> call) override { posted.push_back(std::move(call)); }
    void RunAfter(int, std::function<void()> call) override { posted.push_back(std::move(call)); }
    void ExitProgram() override {}
    void RequestPowerOff() override {}
    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
        background.push_back({std::move(work), std::move(done)});
    }
    void RefillPlaylistWindow(bool appended) override {
        refills.push_back(appended);
        if (view)
            view->Refill(appended);
    }
    void PlaylistSorted() override {
        ++sorted;
        if (view)
            view->ShowSorted();
    }

    // Runs the oldest background work and then its ending; false when none waits.
    bool RunBackground() {
        if (background.empty())
            return false;
        auto [work, done] = std::move(background.front());
        background.pop_front();
        work();
        done();
        return true;
    }

    std::deque<std::pair<std::function<void()>, std::function<void()>>> background;
    std::deque<std::function<void()>> posted;
    std::vector<bool> refills;
    int sorted = 0;
    PlaylistView* view = nullptr; // the playlist window's logic, when open
};

struct SilentListener : PlaylistViewListener {
    void RowsChanged() override {}
    void StatusChanged() override {}
    void InfoChangedFromScanner() override {}
};

class AutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::UseWavOutput(wnd_, dir_);
        wnd_.AutoPlay = 1; // a run must not play even then
    }
    void TearDown() override { wnd_.Player().Stop(); }

    std::string Track(const std::string& relative) { return test::CopyFixture(dir_, relative); }
    std::string Folder(const std::string& relative) {
        return (dir_.Path() / relative).string() + "/";
    }
    void Load(const std::vector<std::string>& paths) {
        int old = wnd_.BeginLoad(false);
        for (const auto& p : paths)
            wnd_.Model().Append(p);
        wnd_.StartLoadedList(old, false, false, false, -1, true);
    }
    void RunToEnd() {
        wnd_.RunAutomation();
        while (host_.RunBackground()) {
        }
        ASSERT_FALSE(wnd_.AutomationRunning());
    }
    std::vector<std::string> Paths() const { return wnd_.Model().Paths(); }
    int State() { return wnd_.Player().GetState(); }

    test::TempDir dir_;
    QueueingHost host_;
    CMainWnd wnd_{host_, 777u};
};

TEST_F(AutomationTest, VanishedAndDuplicateEntriesGoAndNewFilesArriveSortedBetweenRuns) {
    const std::string kept = Track("other/kept.mp3");
    const std::string b = Track("watched/b.mp3");
    const std::string gone = Track("watched/sub/gone.mp3");
    Load({kept, b, gone, b});
    wnd_.SetCurrentIndex(1);
    wnd_.AutRemove = 1;
    wnd_.AutRemovedup = 1;
    wnd_.AutRescan = 1;
    wnd_.AutDirs = {Folder("watched")};

    fs::remove(gone);
    const std::string z = Track("watched/z.mp3");
    const std::string a = Track("watched/sub/a.mp3");
    const std::string c = Track("watched/c.mp3");
    host_.refills.clear();
    RunToEnd();
    // The new files follow the list in path order (a subfolder's files before
    // its folder's); the list itself keeps its order.
    EXPECT_EQ(Paths(), (std::vector<std::string>{kept, b, a, c, z}));
    EXPECT_EQ(wnd_.Model().PathAt(wnd_.CurrentIndex()), b);
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    EXPECT_FALSE(host_.refills.empty());
    EXPECT_FALSE(host_.refills.front()) << "a removal clears the window's selection";

    fs::remove(z);
    fs::remove(kept);
    const std::string d = Track("watched/sub/d.mp3");
    RunToEnd();
    EXPECT_EQ(Paths(), (std::vector<std::string>{b, a, c, d}));

    // A missing watched folder adds nothing and removes nothing.
    wnd_.AutDirs.push_back(Folder("not-there"));
    RunToEnd();
    EXPECT_EQ(Paths(), (std::vector<std::string>{b, a, c, d}));
}

TEST_F(AutomationTest, FilesListedUnderAnotherLetterCaseAreNotAddedButOtherFilesAre) {
    const std::string listed = Track("Music/song.mp3");
    fs::create_directory_symlink(dir_.Path() / "Music", dir_.Path() / "music");
    const std::string sameFileOtherCase = (dir_.Path() / "music/song.mp3").string();
    Load({sameFileOtherCase});
    wnd_.AutRescan = 1;
    wnd_.AutDirs = {Folder("Music")};
    RunToEnd();
    EXPECT_EQ(Paths(), (std::vector<std::string>{sameFileOtherCase}));

    // On a file system that tells letter cases apart, SONG.mp3 is a file of its own.
    const std::string otherFile = Track("Music/SONG.mp3");
    RunToEnd();
    EXPECT_EQ(Paths(), (std::vector<std::string>{sameFileOtherCase, otherFile}));
    // The same folder watched twice adds its files once.
    wnd_.AutDirs.push_back(Folder("Music"));
    fs::remove(otherFile);
    wnd_.AutRemove = 1;
    const std::string late = Track("Music/late.mp3");
    RunToEnd();
    EXPECT_EQ(Paths(), (std::vector<std::string>{sameFileOtherCase, late}));
}

TEST_F(AutomationTest, ARunOnAnEmptyListFillsItAndLeavesTheFirstEntryCurrentAndStopped) {
    Track("w/2.mp3");
    const std::string first = Track("w/1.mp3");
    std::FILE* f = std::fopen((dir_.Path() / "w/0-not-audio.mp3").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not an mp3 file at all, yet named like one", f);
    std::fclose(f);
    wnd_.AutRescan = 1;
    wnd_.AutDirs = {Folder("w")};
    RunToEnd();
    ASSERT_EQ(wnd_.Count(), 3);
    // The entry that does not open is passed over.
    EXPECT_EQ(wnd_.Model().PathAt(wnd_.CurrentIndex()), first);
    EXPECT_NE(State(), CMpegPlayer::Playing);
    EXPECT_EQ(wnd_.ShuffleStart(), -1);
    EXPECT_TRUE(host_.posted.empty()) << "nothing waits to start playback";

    // With a random first entry, the shuffle starts at the current entry.
    wnd_.BeginLoad(false);
    wnd_.RandomFirst = 1;
    RunToEnd();
    ASSERT_EQ(wnd_.Count(), 3);
    EXPECT_EQ(wnd_.ShuffleStart(), wnd_.CurrentIndex());
    EXPECT_NE(State(), CMpegPlayer::Playing);
}

TEST_F(AutomationTest, SortingAloneKeepsTheCurrentEntryAndItsPlayback) {
    const std::string c = Track("c.mp3");
    const std::string a = Track("a.mp3");
    const std::string b = Track("b.mp3");
    Load({c, a, b});
    wnd_.SetCurrentIndex(0);
    wnd_.Play();
    ASSERT_EQ(State(), CMpegPlayer::Playing);
    // Paused, the engine's state cannot change by itself while the run goes on.
    wnd_.Pause();
    ASSERT_EQ(State(), CMpegPlayer::Paused);
    wnd_.AutSort = 1;
    RunToEnd();
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(wnd_.CurrentIndex(), 2);
    EXPECT_EQ(State(), CMpegPlayer::Paused);
    EXPECT_EQ(host_.sorted, 1);
    wnd_.Pause();
    EXPECT_EQ(State(), CMpegPlayer::Playing);
}

TEST_F(AutomationTest, ThePlaylistWindowShowsTheSortedSelectionAndLosesItWithRemovals) {
    std::vector<std::string> paths;
    for (int i = 20; i > 0; --i)
        paths.push_back(Track("w/t" + std::to_string(100 + i) + ".mp3"));
    Load(paths);
    SilentListener listener;
    PlaylistView view(wnd_, listener);
    host_.view = &view;
    view.SetPageRows(5);
    view.SelectOnly(19); // t101, at the bottom
    ASSERT_GT(view.TopRow(), 0);
    wnd_.AutSort = 1;
    RunToEnd();
    // Sorted, t101 is the first row: still selected, and at the top.
    EXPECT_TRUE(view.IsSelected(0));
    EXPECT_EQ(view.SelectedCount(), 1);
    EXPECT_EQ(view.TopRow(), 0);

    fs::remove(paths[3]);
    wnd_.AutSort = 0;
    wnd_.AutRemove = 1;
    RunToEnd();
    EXPECT_EQ(wnd_.Count(), 19);
    EXPECT_EQ(view.SelectedCount(), 0) << "a removal clears the selection";
    host_.view = nullptr;
}

TEST_F(AutomationTest, RunsAskedForDuringARunAreMergedIntoOneThatFollowsIt) {
    const std::string a = Track("w/a.mp3");
    wnd_.AutRescan = 1;
    wnd_.AutDirs = {Folder("w")};
    std::vector<std::string> order;
    wnd_.RunAutomation([&] { order.push_back("first"); });
    ASSERT_EQ(host_.background.size(), 1u);
    const std::string b = Track("w/b.mp3");
    wnd_.RunAutomation([&] { order.push_back("second"); });
    wnd_.RunAutomation([&] { order.push_back("third"); });
    // A load asked for meanwhile waits for the run.
    const std::string appended = Track("x/appended.mp3");
    wnd_.AppendFiles({appended});
    EXPECT_EQ(host_.background.size(), 1u) << "never two runs at once";
    EXPECT_EQ(wnd_.Count(), 0);

    ASSERT_TRUE(host_.RunBackground());
    EXPECT_EQ(order, (std::vector<std::string>{"first"}));
    EXPECT_TRUE(wnd_.AutomationRunning());
    ASSERT_TRUE(host_.RunBackground());
    EXPECT_FALSE(host_.RunBackground()) << "the merged requests made one run";
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b, appended}));
}

} // namespace
} // namespace zeb
