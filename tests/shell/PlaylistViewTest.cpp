// The playlist window's logic over the real controller, model and engine
// (writing WAV files); the window around it is a recording stand-in.
#include "shell/PlaylistView.h"

#include "playlist/PlaylistReader.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "support/DeferredJobs.h"
#include "support/PlayerFixtures.h"
#include "support/QuietHost.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace zeb {
namespace {

namespace fs = std::filesystem;

class ViewHost : public test::QuietHost {
public:
    void RefillPlaylistWindow(bool appended) override {
        if (view)
            view->Refill(appended);
    }
    void CloseInfoWindow() override { ++infoWindowCloses; }
    // Folder scans wait until the test finishes them, as a thread would
    // finish them some time later.
    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
        jobs.Add(std::move(work), std::move(done));
    }
    bool FinishOldestJob() { return jobs.FinishOldest(); }

    PlaylistView* view = nullptr;
    int infoWindowCloses = 0;
    test::DeferredJobs jobs;
};

class RecordingListener : public PlaylistViewListener {
public:
    void RowsChanged() override { ++rowChanges; }
    void StatusChanged() override { ++statusChanges; }
    void InfoChangedFromScanner() override { ++scannerNotices; }

    std::atomic<int> scannerNotices{0};
    int rowChanges = 0;
    int statusChanges = 0;
};

class PlaylistViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::UseWavOutput(wnd_, dir_);
        wnd_.AutoPlay = 0;
        host_.view = &view_;
    }
    void TearDown() override {
        host_.view = nullptr;
        wnd_.Player().Stop();
    }

    std::string Track(const std::string& relative) { return test::CopyFixture(dir_, relative); }
    // Entries that need no files, with the info lines given ("" unknown).
    void Fill(const std::vector<std::string>& infos) {
        wnd_.BeginLoad(false);
        for (size_t i = 0; i < infos.size(); ++i) {
            wnd_.Model().Append("/nowhere/t" + std::to_string(i) + ".mp3");
            wnd_.Model().SetInfoAt(int(i), infos[i]);
        }
        view_.Refill();
    }
    void FillNumbered(int n) {
        std::vector<std::string> infos;
        for (int i = 0; i < n; ++i)
            infos.push_back("Song " + std::to_string(i) + " (00:10)");
        Fill(infos);
    }
    std::vector<std::string> Infos() { return wnd_.Model().InfoLines(); }
    int State() { return wnd_.Player().GetState(); }

    test::TempDir dir_;
    ViewHost host_;
    CMainWnd wnd_{host_, 4321u};
    RecordingListener listener_;
    PlaylistView view_{wnd_, listener_};
};

TEST_F(PlaylistViewTest, FindTakesALeadingNumberAsTheRowElseTheFirstMatchingInfoLine) {
    FillNumbered(5);
    wnd_.Model().SetInfoAt(1, "");
    wnd_.Model().SetInfoAt(2, "Three Doors Down - KRYPTONITE (03:53)");
    wnd_.Model().SetInfoAt(3, "Ærø Øl - Любовь (02:00)");
    view_.SetPageRows(2);

    view_.Find("4");
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{3});
    EXPECT_EQ(view_.Caret(), 3);
    EXPECT_EQ(view_.TopRow(), 3); // as far as a full last page allows
    view_.Find("3 doors");        // a row number, not the words
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{2});
    view_.Find("9 doors"); // past the last row: the text is looked for
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{2});
    view_.Find("kryptonite");
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{2});
    view_.Find("ЛЮБОВЬ");
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{3});
    view_.Find("kryptonite");
    view_.Find("ÆRØ");
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{3});
    view_.Find("t1"); // only the path of row 1 holds it, and its info line is empty
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{3});
    view_.Find("0"); // not a row number: text
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(view_.StatusPath(), "/nowhere/t0.mp3");
}

TEST_F(PlaylistViewTest, ShiftAndCtrlExtendOrToggleTheSelection) {
    FillNumbered(10);
    view_.LeftPress(2, false, false);
    view_.LeftPress(5, true, false); // range from the caret
    EXPECT_EQ(view_.SelectedRows(), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(view_.Caret(), 2);
    view_.LeftPress(4, false, true); // Ctrl toggles and moves the caret
    EXPECT_EQ(view_.SelectedRows(), (std::vector<int>{2, 3, 5}));
    EXPECT_EQ(view_.Caret(), 4);
    view_.LeftPress(8, false, true);
    EXPECT_EQ(view_.SelectedCount(), 4);
    view_.LeftPress(-1, false, false); // outside the rows: nothing stays selected
    EXPECT_EQ(view_.SelectedCount(), 0);
    EXPECT_EQ(view_.FirstSelected(), -1);
    EXPECT_EQ(view_.StatusPath(), "");

    view_.RightPress(7, false, false);
    view_.RightPress(6, false, true); // Ctrl on the right button adds
    EXPECT_EQ(view_.SelectedRows(), (std::vector<int>{6, 7}));

    // Keyboard: Shift remembers the caret; moving selects the range to it.
    view_.SetPageRows(4);
    view_.ShiftDown();
    view_.Navigate(PlaylistView::NavKey::Down);
    view_.Navigate(PlaylistView::NavKey::Down);
    EXPECT_EQ(view_.SelectedRows(), (std::vector<int>{6, 7, 8}));
    view_.Navigate(PlaylistView::NavKey::Home);
    EXPECT_EQ(view_.SelectedCount(), 7);
    EXPECT_EQ(view_.TopRow(), 0);
    view_.ShiftUp();
    view_.Navigate(PlaylistView::NavKey::PageDown);
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{3});
    view_.Navigate(PlaylistView::NavKey::End);
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{9});
    EXPECT_EQ(view_.TopRow(), 6);

    view_.LeftPress(1, false, false);
    view_.InvertSelection();
    EXPECT_EQ(view_.SelectedCount(), 9);
    EXPECT_FALSE(view_.IsSelected(1));
    EXPECT_EQ(view_.Caret(), 1);
    EXPECT_GT(listener_.statusChanges, 0);
}

TEST_F(PlaylistViewTest, DraggingMovesTheSelectedBlockInOrderAndTheCurrentEntryFollows) {
    FillNumbered(8);
    wnd_.SetCurrentIndex(2);
    view_.LeftPress(3, false, false);
    view_.LeftPress(5, false, true);
    view_.BeginDrag(5);
    // Up by two: the block 3, 5 becomes 1, 3; the current entry was passed twice.
    EXPECT_TRUE(view_.DragTo(3));
    EXPECT_EQ(Infos()[1], "Song 3 (00:10)");
    EXPECT_EQ(Infos()[3], "Song 5 (00:10)");
    EXPECT_EQ(view_.SelectedRows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(wnd_.CurrentIndex(), 4);
    EXPECT_EQ(Infos()[4], "Song 2 (00:10)");
    EXPECT_EQ(Infos()[2], "Song 1 (00:10)");
    EXPECT_EQ(wnd_.Model().PathAt(2), "/nowhere/t1.mp3"); // paths travel with their lines

    // Far past the top: the first selected row stops at 0, the order stays.
    EXPECT_TRUE(view_.DragTo(0));
    EXPECT_EQ(view_.SelectedRows(), (std::vector<int>{0, 2}));
    EXPECT_EQ(Infos()[0], "Song 3 (00:10)");
    EXPECT_EQ(Infos()[2], "Song 5 (00:10)");
    EXPECT_FALSE(view_.DragTo(0));
    view_.BeginDrag(2);
    EXPECT_FALSE(view_.DragTo(1)); // row 0 is selected: no further up

    // Down far past the end: the last selected row stops at the last row.
    wnd_.SetCurrentIndex(0); // Song 3, which moves
    EXPECT_TRUE(view_.DragTo(7));
    EXPECT_EQ(view_.SelectedRows(), (std::vector<int>{5, 7}));
    EXPECT_EQ(Infos()[5], "Song 3 (00:10)");
    EXPECT_EQ(Infos()[7], "Song 5 (00:10)");
    EXPECT_EQ(wnd_.CurrentIndex(), 5);
    std::vector<std::string> order;
    for (const std::string& info : Infos())
        order.push_back(info.substr(5, 1));
    EXPECT_EQ(order, (std::vector<std::string>{"0", "1", "2", "4", "6", "3", "7", "5"}));
}

TEST_F(PlaylistViewTest, RemovingRowsKeepsTheCurrentEntryOrStopsItAndFallsBackToEntryZero) {
    std::vector<std::string> tracks = {Track("r/a.mp3"), Track("r/b.mp3"), Track("r/c.mp3"),
                                       Track("r/d.mp3")};
    view_.AddFiles(tracks);
    view_.Activate(2);
    ASSERT_EQ(State(), CMpegPlayer::Playing);
    EXPECT_TRUE(view_.Row(2).current);

    view_.LeftPress(0, false, false);
    view_.OnCommand(ID_PL_REMOVE); // before the current entry
    EXPECT_EQ(wnd_.Count(), 3);
    EXPECT_EQ(wnd_.CurrentIndex(), 1);
    EXPECT_EQ(wnd_.Model().PathAt(1), tracks[2]);
    EXPECT_EQ(State(), CMpegPlayer::Playing);
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{0}); // the row now at the old place

    view_.LeftPress(1, false, false);
    view_.LeftPress(2, true, false);
    view_.OnCommand(ID_PL_REMOVE); // the current entry and the last row
    EXPECT_EQ(wnd_.Count(), 1);
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    EXPECT_EQ(wnd_.Title(), "b");
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{0}); // the row before the old place
    EXPECT_EQ(host_.infoWindowCloses, 0);

    view_.OnCommand(ID_PL_REMOVE_ALL);
    EXPECT_EQ(wnd_.Count(), 0);
    EXPECT_EQ(view_.SelectedCount(), 0);
    EXPECT_EQ(host_.infoWindowCloses, 1);
    EXPECT_FALSE(view_.CommandEnabled(ID_PL_REMOVE_ALL));
    EXPECT_FALSE(view_.CommandEnabled(ID_PL_SAVE));
    EXPECT_TRUE(view_.CommandEnabled(ID_PL_ADD_FILES));
}

TEST_F(PlaylistViewTest, SortsAndShuffleCarryMarksCaretAndCurrentWithTheirEntries) {
    std::vector<std::string> infos;
    for (int i = 0; i < 40; ++i)
        infos.push_back("Title " + std::to_string(100 - i) + " (00:01)");
    Fill(infos);
    wnd_.SetCurrentIndex(7);
    view_.SetPageRows(5);
    view_.LeftPress(3, false, false);
    view_.LeftPress(30, false, true);
    auto selectedInfos = [&] {
        std::vector<std::string> out;
        for (int row : view_.SelectedRows())
            out.push_back(Infos()[size_t(row)]);
        std::sort(out.begin(), out.end());
        return out;
    };
    const std::vector<std::string> before = selectedInfos();
    const std::string caretInfo = Infos()[30], currentInfo = Infos()[7];

    for (int id : {ID_PL_SORT_BY_NAME, ID_PL_RANDOM_ORDER, ID_PL_SORT_BY_PATH}) {
        ASSERT_TRUE(view_.OnCommand(id));
        EXPECT_EQ(selectedInfos(), before) << id;
        EXPECT_EQ(Infos()[size_t(view_.Caret())], caretInfo) << id;
        EXPECT_EQ(Infos()[size_t(wnd_.CurrentIndex())], currentInfo) << id;
        EXPECT_EQ(view_.TopRow(), std::min(view_.FirstSelected(), 35)) << id;
    }
    EXPECT_EQ(Infos()[0], "Title 100 (00:01)"); // by path: t0 first
}

TEST_F(PlaylistViewTest, TitleSumsSelectedAndTotalTimesWithHoursPastOneHour) {
    const std::string prefix(UiString(wnd_.Language, 6));
    Fill({});
    EXPECT_EQ(view_.Title(), prefix + "00:00 / 00:00");

    Fill({"A (59:30)", "B (00:29)", "", "C (xx:yy)"});
    EXPECT_EQ(view_.Title(), prefix + "00:00 / 59:59");
    view_.LeftPress(1, false, false);
    EXPECT_EQ(view_.Title(), prefix + "00:29 / 59:59");
    wnd_.Model().SetInfoAt(3, "C (x:01)");
    EXPECT_EQ(view_.Title(), prefix + "00:00:29 / 01:00:00");

    wnd_.Model().SetInfoAt(2, "Live (Part 2) (01:02)");
    view_.LeftPress(2, false, true);
    EXPECT_EQ(view_.Title(), prefix + "00:01:31 / 01:01:02");

    EXPECT_EQ(view_.Row(2).text, "Live (Part 2)");
    EXPECT_EQ(view_.Row(2).length, "01:02");
    wnd_.Model().SetInfoAt(2, "");
    EXPECT_EQ(view_.Row(2).text, "t2");
    EXPECT_EQ(view_.Row(2).length, "");
}

TEST_F(PlaylistViewTest, AddingFilesToAnEmptyListStartsAtTheFirstEntryThatPlays) {
    std::string missing = (dir_.Path() / "gone.mp3").string();
    std::string a = Track("add/a.mp3"), b = Track("add/b.mp3");
    wnd_.AutoPlay = 1;
    view_.AddFiles({missing, a});
    EXPECT_EQ(wnd_.Count(), 2);
    EXPECT_EQ(wnd_.CurrentIndex(), 1);
    EXPECT_EQ(State(), CMpegPlayer::Playing);
    EXPECT_EQ(wnd_.InitDir, (dir_.Path() / "add").string() + "/");

    // Appending to a list that plays changes nothing of what plays.
    view_.LeftPress(0, false, false);
    view_.AddFiles({b});
    EXPECT_EQ(wnd_.Count(), 3);
    EXPECT_EQ(wnd_.CurrentIndex(), 1);
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(view_.NumberDigits(), 1);
}

TEST_F(PlaylistViewTest, ADroppedPlaylistReplacesTheListAndTheOtherItemsFollowSortedByPath) {
    std::string a = Track("p/a.mp3"), b = Track("p/b.mp3");
    std::string z = Track("d/z.mp3"), y = Track("d/y.mp3"), x = Track("d/sub/x.mp3");
    std::string list = dir_.File("p/list.m3u");
    test::WriteFile(list, "b.mp3\na.mp3\n");
    FillNumbered(3);
    view_.LeftPress(1, false, false);

    view_.AddDropped({z, list, y, (dir_.Path() / "d/sub").string()});
    ASSERT_TRUE(host_.FinishOldestJob());
    std::vector<std::string> expected = {b, a, x, y};
    EXPECT_EQ(wnd_.Model().Paths(), expected);
    EXPECT_EQ(view_.SelectedCount(), 0);

    // The writer and the reader agree; info lines come along in the extended format.
    wnd_.ExtPlaylistFormat = 1;
    view_.LeftPress(2, false, false);
    view_.LeftPress(3, false, true);
    std::string saved = dir_.File("out/sel.m3u");
    ASSERT_TRUE(view_.SavePlaylist(saved, true));
    std::vector<PlaylistEntry> read;
    ASSERT_TRUE(ReadPlaylistFile(saved, read, {}));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].path, x);
    EXPECT_EQ(read[1].path, y);
    EXPECT_FALSE(read[1].info.empty());
    EXPECT_EQ(wnd_.Model().InfoAt(3), read[1].info);
    EXPECT_EQ(wnd_.Recent[0], saved);
    EXPECT_FALSE(view_.SavePlaylist(dir_.File("no/such/folder/l.m3u"), false));
}

TEST_F(PlaylistViewTest, ADroppedFolderIsScannedOffTheUiThreadAndLaterAddsWaitForIt) {
    std::string b = Track("f/b.mp3"), a = Track("f/a.mp3"), loose = Track("loose.mp3");
    std::string later = Track("later/z.mp3");
    view_.AddDropped({(dir_.Path() / "f").string(), loose});
    view_.AddFiles({later});
    EXPECT_EQ(wnd_.Count(), 0); // nothing before the scan ends
    EXPECT_TRUE(wnd_.FolderScanRunning());

    ASSERT_TRUE(host_.FinishOldestJob());
    std::vector<std::string> expected = {a, b, loose, later};
    EXPECT_EQ(wnd_.Model().Paths(), expected);
    EXPECT_EQ(view_.Count(), 4);
    EXPECT_EQ(wnd_.CurrentIndex(), 0); // the list was empty: the start rule ran once
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    view_.SelectAll();
    EXPECT_EQ(view_.SelectedCount(), 4);
    EXPECT_FALSE(host_.FinishOldestJob());
}

TEST_F(PlaylistViewTest, AFolderDroppedOnAListKeepsTheMarksOfTheRowsThere) {
    std::string first = Track("m/a.mp3"), second = Track("m/b.mp3");
    std::string dropped = Track("d/c.mp3");
    view_.AddFiles({first, second});
    view_.LeftPress(1, false, false);
    view_.AddDropped({(dir_.Path() / "d").string()});
    ASSERT_TRUE(host_.FinishOldestJob());
    ASSERT_EQ(view_.Count(), 3);
    EXPECT_EQ(view_.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(view_.StatusPath(), second);
}

TEST_F(PlaylistViewTest, TheScannerTellsOnceUntilTheTitleIsReadAgain) {
    std::vector<std::string> tracks = {Track("s/a.mp3"), Track("s/b.mp3"), Track("s/c.mp3")};
    view_.AddFiles(tracks); // starts the scanner
    auto waitForScanner = [&] {
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (wnd_.Model().InfoScannerRunning() && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !wnd_.Model().InfoScannerRunning();
    };
    ASSERT_TRUE(waitForScanner());
    EXPECT_EQ(listener_.scannerNotices, 1);
    // Three tracks of a few seconds each.
    EXPECT_NE(view_.Title(), std::string(UiString(wnd_.Language, 6)) + "00:00 / 00:00");

    view_.OnCommand(ID_PL_REREAD_TAGS);
    ASSERT_TRUE(waitForScanner());
    EXPECT_EQ(listener_.scannerNotices, 2);
    EXPECT_FALSE(wnd_.Model().InfoAt(1).empty());
}

} // namespace
} // namespace zeb
