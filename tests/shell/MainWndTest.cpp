// The player's controller with the real engine writing WAV files and the
// real playlist model; the windows around it are a recording stand-in.
#include "shell/MainWnd.h"

#include "engine/servers/ServerProcess.h"
#include "platform/IniFile.h"
#include "resources/ResourceIds.h"
#include "support/PlayerFixtures.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <set>

namespace zeb {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class RecordingHost : public MainWndHost {
public:
    void UpdateStatus(bool) override { ++updates; }
    void ShowMessage(int stringId, MessageIcon) override { messages.push_back(stringId); }
    void PostToUiThread(std::function<void()> call) override {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(call));
        cv_.notify_all();
    }
    // The step after the gap comes in the queue like any other call.
    void RunAfter(int ms, std::function<void()> call) override {
        delays.push_back(ms);
        PostToUiThread(std::move(call));
    }
    void ExitProgram() override { ++exits; }
    void RequestPowerOff() override { ++powerOffs; }

    // Waits until a call was posted; false when none came in time.
    bool WaitPosted(std::chrono::seconds limit = 30s) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, limit, [&] { return !posted_.empty(); });
    }
    // Runs the next call posted from another thread; false when none came in time.
    bool RunPosted(std::chrono::seconds limit = 30s) {
        if (!WaitPosted(limit))
            return false;
        std::function<void()> call;
        {
            std::lock_guard lock(mutex_);
            call = std::move(posted_.front());
            posted_.pop_front();
        }
        call();
        return true;
    }

    int updates = 0;
    std::vector<int> delays;
    int exits = 0;
    int powerOffs = 0;
    std::vector<int> messages;

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> posted_;
};

class MainWndTest : public ::testing::Test {
protected:
    void SetUp() override { test::UseWavOutput(wnd_, dir_); }
    void TearDown() override { wnd_.Player().Stop(); }

    // Copies of a real MP3 under the test folder.
    std::string Track(const std::string& relative, const std::string& fixture = "mpeg25-8000.mp3") {
        return test::CopyFixture(dir_, relative, fixture);
    }
    void Load(const std::vector<std::string>& paths) {
        int old = wnd_.BeginLoad(false);
        for (const auto& p : paths)
            wnd_.Model().Append(p);
        wnd_.AutoPlay = 0;
        wnd_.StartLoadedList(old, false, false, false);
        wnd_.AutoPlay = 1;
    }
    std::vector<std::string> Names(int n) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i)
            paths.push_back("/nowhere/t" + std::to_string(i) + ".mp3");
        return paths;
    }
    int State() { return wnd_.Player().GetState(); }

    test::TempDir dir_;
    RecordingHost host_;
    CMainWnd wnd_{host_, 12345u};
};

// ------------------------------------------------------------- shuffle

TEST_F(MainWndTest, ShuffleVisitsEveryEntryOnceBeforeReturningToItsStart) {
    Load(Names(7));
    wnd_.ShuffleMode = 1;
    int start = wnd_.NextShuffleIndex(true, true);
    wnd_.SetCurrentIndex(start);
    std::set<int> seen{start};
    for (int i = 0; i < 6; ++i) {
        int v = wnd_.NextShuffleIndex(true, false);
        wnd_.SetCurrentIndex(v);
        EXPECT_TRUE(seen.insert(v).second) << "entry " << v << " came twice";
    }
    EXPECT_EQ(wnd_.NextShuffleIndex(true, false), start);
}

TEST_F(MainWndTest, TogglingShuffleKeepsTheOrderAndItsStart) {
    Load(Names(9));
    wnd_.SetCurrentIndex(0); // the search for a playable entry left the last one current
    CMainWnd other(host_, 12345u);
    for (auto& p : Names(9))
        other.Model().Append(p);
    wnd_.ShuffleMode = other.ShuffleMode = 1;
    std::vector<int> a, b;
    for (int i = 0; i < 9; ++i) {
        if (i == 4) {
            wnd_.OnCommand(ID_SHUFFLE);
            wnd_.OnCommand(ID_SHUFFLE);
        }
        a.push_back(wnd_.NextShuffleIndex(true, false));
        wnd_.SetCurrentIndex(a.back());
        b.push_back(other.NextShuffleIndex(true, false));
        other.SetCurrentIndex(b.back());
    }
    EXPECT_EQ(a, b);
    EXPECT_EQ(wnd_.ShuffleStart(), other.ShuffleStart());
}

TEST_F(MainWndTest, ShuffleWithRepeatOffStopsWhenEveryEntryHasPlayed) {
    std::vector<std::string> tracks = {Track("s/a.mp3"), Track("s/b.mp3"), Track("s/c.mp3")};
    Load(tracks);
    wnd_.ShuffleMode = 1;
    wnd_.SelectTrack(1);
    ASSERT_EQ(State(), CMpegPlayer::Playing);
    std::set<int> played{wnd_.CurrentIndex()};
    int ends = 0;
    while (State() == CMpegPlayer::Playing && ends < 10) {
        ASSERT_TRUE(host_.RunPosted());
        ++ends;
        if (State() == CMpegPlayer::Playing)
            played.insert(wnd_.CurrentIndex());
    }
    EXPECT_EQ(ends, 3);
    EXPECT_EQ(played.size(), 3u);
    EXPECT_EQ(wnd_.CurrentIndex(), wnd_.ShuffleStart());
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
}

// ------------------------------------------------------------- album range

TEST_F(MainWndTest, AlbumRangeJoinsFoldersThatDifferOnlyInLetterCase) {
    Load({"/m/Rock/1.mp3", "/m/rock/2.mp3", "/m/ROCK/3.mp3", "/m/Pop/4.mp3", "/m/pop/5.mp3",
          "6.mp3"});
    int first = -1, last = -1;
    wnd_.GetAlbumRange(first, last, false, 1);
    EXPECT_EQ(first, 0); // album mode off: the whole list
    EXPECT_EQ(last, 5);
    wnd_.AlbumStop = 1;
    wnd_.GetAlbumRange(first, last, false, 1);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 2);
    wnd_.GetAlbumRange(first, last, false, 4);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 4);
    wnd_.AlbumStop = 0;
    wnd_.GetAlbumRange(first, last, true, 5);
    EXPECT_EQ(first, 5);
    EXPECT_EQ(last, 5);
}

TEST_F(MainWndTest, AlbumModeStopsAtTheEndOfTheFoldersRun) {
    std::vector<std::string> tracks = {Track("a/1.mp3"), Track("a/2.mp3"), Track("b/3.mp3")};
    Load(tracks);
    wnd_.AlbumStop = 1;
    wnd_.SelectTrack(0);
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(wnd_.CurrentIndex(), 1);
    EXPECT_EQ(State(), CMpegPlayer::Playing);
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(wnd_.CurrentIndex(), 0); // back to the album's first entry, not into b/
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
}

// ------------------------------------------------------------- end of list

TEST_F(MainWndTest, EndOfListStopsOnTheFirstEntryUnlessRepeatIsOn) {
    std::vector<std::string> tracks = {Track("l/1.mp3"), Track("l/2.mp3")};
    Load(tracks);
    wnd_.SelectTrack(1);
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    EXPECT_EQ(wnd_.Title(), "1");

    wnd_.Repeat = 1;
    wnd_.SelectTrack(1);
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    EXPECT_EQ(State(), CMpegPlayer::Playing);
}

// An end the engine reported before a command was handled belongs to the
// play that command ended: it must not step once more.
TEST_F(MainWndTest, AnEndQueuedBeforeNextOrStopIsDropped) {
    Load({Track("q/1.mp3"), Track("q/2.mp3"), Track("q/3.mp3")});
    wnd_.SelectTrack(0);
    ASSERT_TRUE(host_.WaitPosted()); // the first track ended; its end waits
    wnd_.OnCommand(ID_NEXT);
    ASSERT_EQ(wnd_.CurrentIndex(), 1);
    EXPECT_EQ(State(), CMpegPlayer::Playing) << "for the user the list was still playing";
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(wnd_.CurrentIndex(), 1) << "the first track's end stepped again";

    ASSERT_TRUE(host_.WaitPosted()); // the second track ended
    wnd_.OnCommand(ID_STOP);
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(wnd_.CurrentIndex(), 1);
    EXPECT_EQ(State(), CMpegPlayer::Stopped) << "playback went on after Stop";
}

TEST_F(MainWndTest, GapWaitsOnATimerOfAtMostTenSecondsThatACommandCancels) {
    Load({Track("g/1.mp3"), Track("g/2.mp3"), Track("g/3.mp3")});
    wnd_.Gap = 2147483647;
    wnd_.SelectTrack(0);
    ASSERT_TRUE(host_.RunPosted()); // the end starts the gap
    EXPECT_EQ(host_.delays, std::vector<int>{10000});
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    ASSERT_TRUE(host_.RunPosted()); // the gap is over
    EXPECT_EQ(wnd_.CurrentIndex(), 1);
    EXPECT_EQ(State(), CMpegPlayer::Playing);

    ASSERT_TRUE(host_.RunPosted()); // the second track ended: another gap
    wnd_.OnCommand(ID_PREVIOUS);    // chosen during the gap
    ASSERT_EQ(wnd_.CurrentIndex(), 0);
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(wnd_.CurrentIndex(), 0) << "the step after the gap ran after a command";
}

TEST_F(MainWndTest, AllEntriesUnplayableEndsTheSearchAfterTwiceTheListLength) {
    Load(Names(4));
    wnd_.Repeat = 1;
    wnd_.SetCurrentIndex(2);
    wnd_.OnTrackEnd(); // returns: at most 8 failed opens
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    EXPECT_EQ(wnd_.CurrentIndex(), 2); // 8 steps around a list of 4
    wnd_.SelectTrack(1);
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
}

TEST_F(MainWndTest, SingleEntryCannotStepAndFinishesWithoutRepeat) {
    Load({Track("one/only.mp3")});
    wnd_.Play();
    ASSERT_EQ(State(), CMpegPlayer::Playing);
    wnd_.OnCommand(ID_NEXT);
    wnd_.OnCommand(ID_PREVIOUS);
    EXPECT_EQ(State(), CMpegPlayer::Playing); // nothing happened
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(State(), CMpegPlayer::Stopped);

    wnd_.RepeatTrack = 1;
    wnd_.Play();
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(State(), CMpegPlayer::Playing); // the same track again
}

// ------------------------------------------------------------- transport

TEST_F(MainWndTest, TransportFollowsTheStateTable) {
    Load({Track("t/1.mp3", "vbr-xing.mp3"), Track("t/2.mp3")});
    wnd_.OnCommand(ID_PAUSE);
    EXPECT_EQ(State(), CMpegPlayer::Stopped); // pause does nothing while stopped
    wnd_.OnCommand(ID_PLAY);
    EXPECT_EQ(State(), CMpegPlayer::Playing);
    wnd_.PlayPause();
    EXPECT_EQ(State(), CMpegPlayer::Paused);
    wnd_.OnCommand(ID_PLAY);
    EXPECT_EQ(State(), CMpegPlayer::Playing); // play resumes a pause
    wnd_.Player().Seek(80);
    wnd_.PlayPause();
    int before = wnd_.Player().PositionMs();
    ASSERT_GT(before, 2000);
    wnd_.OnCommand(ID_PLAY);
    wnd_.OnCommand(ID_PLAY);
    wnd_.PlayPause();                              // hold it to look
    EXPECT_LT(wnd_.Player().PositionMs(), before); // play while playing restarts
    EXPECT_EQ(State(), CMpegPlayer::Paused);
    wnd_.StopPlay();
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    wnd_.StopPlay();
    wnd_.PlayPause();
    EXPECT_EQ(State(), CMpegPlayer::Paused);
    wnd_.OnCommand(ID_STOP);
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    wnd_.OnCommand(ID_NEXT); // stepping while stopped only moves the selection
    EXPECT_EQ(wnd_.CurrentIndex(), 1);
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
}

TEST_F(MainWndTest, PausedTrackSteppedAwayFromStartsTheNewEntryPlaying) {
    Load({Track("p/1.mp3", "vbr-xing.mp3"), Track("p/2.mp3", "vbr-xing.mp3")});
    wnd_.Play();
    wnd_.Pause();
    ASSERT_EQ(State(), CMpegPlayer::Paused);
    wnd_.StepTrack(true);
    EXPECT_EQ(wnd_.CurrentIndex(), 1);
    EXPECT_EQ(State(), CMpegPlayer::Playing);
}

TEST_F(MainWndTest, SeekStepsNeverBlockAndStayAtZero) {
    Load({Track("k/1.mp3", "vbr-xing.mp3")});
    wnd_.SeekStep(1); // stopped: ignored, returns at once
    wnd_.Play();
    wnd_.SeekStep(-1);
    EXPECT_EQ(State(), CMpegPlayer::Playing);
    EXPECT_LT(wnd_.Player().PositionMs(), 500);
    wnd_.Pause();
    wnd_.SeekStep(1); // paused: ignored as well
    EXPECT_EQ(State(), CMpegPlayer::Paused);
}

TEST_F(MainWndTest, EmptyListIgnoresTransport) {
    for (int id : {ID_PLAY, ID_PAUSE, ID_STOP, ID_NEXT, ID_PREVIOUS})
        EXPECT_TRUE(wnd_.OnCommand(id));
    wnd_.PlayPause();
    wnd_.SeekStep(1);
    wnd_.OnTrackEnd();
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
}

// ------------------------------------------------------------- after playback

TEST_F(MainWndTest, ExitAfterPlaybackSwitchesRepeatOffAndClosesAtTheEnd) {
    Load({Track("e/1.mp3")});
    wnd_.Repeat = 1;
    wnd_.OnCommand(ID_EXIT_AFTER_PLAYBACK);
    EXPECT_EQ(wnd_.Repeat, 0);
    EXPECT_EQ(host_.messages, std::vector<int>{17});
    EXPECT_TRUE(wnd_.ItemState(ID_REPEAT_LIST).grayed);
    EXPECT_TRUE(wnd_.ItemState(ID_EXIT_AFTER_PLAYBACK).checked);
    wnd_.OnCommand(ID_SHUTDOWN_AFTER_PLAYBACK); // the two exclude each other
    EXPECT_FALSE(wnd_.ExitAfterPlayback());
    EXPECT_TRUE(wnd_.SwitchOffAfterPlayback());
    EXPECT_EQ(host_.messages.size(), 1u); // repeat was already off
    wnd_.OnCommand(ID_SHUTDOWN_AFTER_PLAYBACK);
    wnd_.OnCommand(ID_EXIT_AFTER_PLAYBACK);
    wnd_.Play();
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_EQ(host_.exits, 1);
    EXPECT_EQ(host_.powerOffs, 0);
}

TEST_F(MainWndTest, RepeatCommandsExcludeEachOther) {
    wnd_.OnCommand(ID_REPEAT_TRACK);
    EXPECT_EQ(wnd_.RepeatTrack, 1);
    wnd_.OnCommand(ID_REPEAT_LIST);
    EXPECT_EQ(wnd_.Repeat, 1);
    EXPECT_EQ(wnd_.RepeatTrack, 0);
    wnd_.OnCommand(ID_REPEAT_LIST);
    EXPECT_EQ(wnd_.Repeat, 0);
    EXPECT_TRUE(wnd_.ItemState(ID_REPEAT_TRACK).checked == false);
}

// ------------------------------------------------------------- loading

TEST_F(MainWndTest, ChosenFilesReplaceThenAppendAndEnterTheRecentList) {
    std::string a = Track("c/a_b.mp3"), b = Track("d/second.mp3");
    wnd_.AutoPlay = 0;
    wnd_.OpenChosenFiles({a, b});
    ASSERT_EQ(wnd_.Count(), 2);
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    EXPECT_EQ(wnd_.Title(), "a b");
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    wnd_.OnCommand(ID_PLAY); // an opened file that was not played still plays
    EXPECT_EQ(State(), CMpegPlayer::Playing);
    wnd_.OnCommand(ID_STOP);
    EXPECT_EQ(wnd_.Recent[0], b);
    EXPECT_EQ(wnd_.Recent[1], a);
    EXPECT_EQ(wnd_.InitDir, (dir_.Path() / "d").string() + "/");
    wnd_.OpenChosenFiles({b});
    EXPECT_EQ(wnd_.Count(), 1);
    EXPECT_EQ(wnd_.Recent[0], b);
    EXPECT_EQ(wnd_.Recent[1], a);
}

TEST_F(MainWndTest, RecentListMovesKnownPathsUpAndDropsTheOldest) {
    for (int i = 0; i < 12; ++i)
        wnd_.AddRecent("/music/" + std::to_string(i) + "/");
    EXPECT_EQ(wnd_.Recent[0], "/music/11");
    EXPECT_EQ(wnd_.Recent[9], "/music/2");
    wnd_.AddRecent("/MUSIC/5");
    EXPECT_EQ(wnd_.Recent[0], "/MUSIC/5");
    EXPECT_EQ(wnd_.Recent[6], "/music/6");
    EXPECT_EQ(wnd_.Recent[7], "/music/4");
    wnd_.AddRecent("/");
    EXPECT_EQ(wnd_.Recent[0], "/MUSIC/5");
    // A recent entry that is gone is removed and the rest move up.
    wnd_.OpenRecent(1);
    EXPECT_EQ(wnd_.Recent[1], "/music/10");
    EXPECT_EQ(wnd_.Recent[9], "");
}

TEST_F(MainWndTest, FolderIsScannedSortedAndStartedAtItsFirstEntry) {
    Track("f/b.mp3");
    Track("f/Sub/a.mp3");
    Track("f/a.mp3");
    wnd_.AutoPlay = 0;
    wnd_.OpenChosenFolder((dir_.Path() / "f").string());
    ASSERT_EQ(wnd_.Count(), 3);
    std::string f = (dir_.Path() / "f").string();
    EXPECT_EQ(wnd_.Model().PathAt(0), f + "/Sub/a.mp3");
    EXPECT_EQ(wnd_.Model().PathAt(1), f + "/a.mp3");
    EXPECT_EQ(wnd_.Model().PathAt(2), f + "/b.mp3");
    EXPECT_EQ(wnd_.Recent[0], f);
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
}

TEST_F(MainWndTest, AddressesGetTheirNameAndPlayOnlyWithAutoPlay) {
    wnd_.AutoPlay = 0;
    wnd_.OpenAddress("http://127.0.0.1:9/My Song_x.mp3");
    ASSERT_EQ(wnd_.Count(), 1);
    EXPECT_EQ(wnd_.Model().PathAt(0), "http://127.0.0.1:9/My%20Song_x.mp3");
    EXPECT_EQ(wnd_.Title(), "My Song x");
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    EXPECT_EQ(wnd_.Recent[0], "http://127.0.0.1:9/My%20Song_x.mp3");
    wnd_.SetCurrentTitles("ftp://host/stream");
    EXPECT_EQ(wnd_.DisplayName(), "ftp://host/stream");
}

// Addresses on a server that accepts and never answers: the search for a
// playable entry runs off the interface thread, and Stop or another command
// ends it at once; its late answers change nothing.
TEST_F(MainWndTest, DeadAddressesHoldNoCommandAndStopOrAnotherCommandEndsTheirSearch) {
    test::ServerProcess dead({test::PythonWith("http.server"),
                              std::string(ZEB_SOURCE_DIR) + "/tests/engine/servers/http_server.py",
                              "--root", ZEB_FIXTURES_DIR, "--mode", "stall-accept"});
    std::vector<std::string> list;
    for (int i = 0; i < 4; ++i)
        list.push_back(dead.Url("http", "/t" + std::to_string(i) + ".mp3"));
    list.push_back(Track("n/good.mp3", "vbr-xing.mp3"));
    auto loaded = std::async(std::launch::async, [&] { Load(list); });
    ASSERT_EQ(loaded.wait_for(10s), std::future_status::ready) << "loading waited for the server";
    loaded.get();
    EXPECT_TRUE(wnd_.IsOpening());
    auto stopped = std::async(std::launch::async, [&] { wnd_.OnCommand(ID_STOP); });
    ASSERT_EQ(stopped.wait_for(10s), std::future_status::ready) << "Stop waited for the server";
    stopped.get();
    EXPECT_FALSE(wnd_.IsOpening());
    ASSERT_TRUE(host_.RunPosted()); // the aborted open's answer
    EXPECT_FALSE(wnd_.IsOpening());
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    EXPECT_EQ(State(), CMpegPlayer::Stopped);

    wnd_.OnCommand(ID_PLAY);
    EXPECT_TRUE(wnd_.IsOpening());
    wnd_.SelectTrack(4); // the local file plays at once
    EXPECT_FALSE(wnd_.IsOpening());
    wnd_.Pause(); // held, so that it cannot end by itself meanwhile
    ASSERT_EQ(State(), CMpegPlayer::Paused);
    ASSERT_TRUE(host_.RunPosted()); // the answer of the open that SelectTrack ended
    EXPECT_EQ(wnd_.CurrentIndex(), 4);
    EXPECT_EQ(State(), CMpegPlayer::Paused);
}

TEST_F(MainWndTest, TitlesComeFromTheTagWhenThereIsOne) {
    std::string tagged = Track("g/file.mp3", "id3v1.mp3");
    wnd_.SetCurrentTitles(tagged);
    EXPECT_EQ(wnd_.Title(), "Fixture Title");
    EXPECT_EQ(wnd_.DisplayName(), "Fixture Artist - Fixture Title");
    EXPECT_EQ(wnd_.FileName(), "file");
}

TEST_F(MainWndTest, WavOutputIsNamedAfterTheEntry) {
    Load({Track("w/Some Song.mp3")});
    wnd_.Play();
    ASSERT_TRUE(host_.RunPosted());
    EXPECT_TRUE(fs::exists(wnd_.OutPath + "Some Song.wav"));
}

TEST_F(MainWndTest, UserListRestoresEntriesInfoAndTheSavedIndex) {
    std::string list = dir_.File("zeb.m3u");
    Load({Track("u/1.mp3"), Track("u/2.mp3"), "http://127.0.0.1:9/x.mp3"});
    wnd_.Model().SetInfoAt(1, "Two (00:02)");
    wnd_.SetCurrentIndex(1);
    ASSERT_TRUE(wnd_.SaveUserList(list, "Preferences - ann"));
    EXPECT_EQ(wnd_.CurrentInPlaylist, 1);

    CMainWnd next(host_, 1u);
    next.CurrentInPlaylist = 1;
    next.AutoPlay = 0;
    next.LoadUserList(list, "Preferences - ann", false);
    ASSERT_EQ(next.Count(), 3);
    EXPECT_EQ(next.CurrentIndex(), 1);
    EXPECT_EQ(next.Model().InfoAt(1), "Two (00:02)");

    CMainWnd outOfRange(host_, 1u);
    outOfRange.CurrentInPlaylist = 3;
    outOfRange.AutoPlay = 0;
    outOfRange.LoadUserList(list, "Preferences - ann", false);
    EXPECT_EQ(outOfRange.CurrentIndex(), 0);

    CMainWnd otherUser(host_, 1u);
    otherUser.LoadUserList(list, "Preferences - bob", false);
    EXPECT_EQ(otherUser.Count(), 0);
}

TEST_F(MainWndTest, RemovingTheCurrentEntryMakesEntryZeroCurrentWithoutPlaying) {
    std::string a = Track("r/a.mp3"), b = Track("r/b.mp3"), c = Track("r/c.mp3");
    Load({a, b, c, a});
    wnd_.SelectTrack(2);
    ASSERT_EQ(State(), CMpegPlayer::Playing);
    wnd_.Player().Stop();
    fs::remove(c);
    wnd_.RemoveMissingEntries();
    EXPECT_EQ(wnd_.Count(), 3);
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    EXPECT_EQ(wnd_.Title(), "a");
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    wnd_.SetCurrentIndex(2); // the second copy of a
    wnd_.RemoveDuplicateEntries();
    EXPECT_EQ(wnd_.Count(), 2);
    EXPECT_EQ(wnd_.CurrentIndex(), 0); // moved to the copy that stays
}

TEST_F(MainWndTest, SavingWritesSettingsListIndexAndCache) {
    std::string ini = dir_.File("zeb.ini"), list = dir_.File("zeb.m3u"),
                cache = dir_.File("zeb.tgs");
    Load({Track("v/1.mp3"), Track("v/2.mp3")});
    wnd_.SetCurrentIndex(1);
    wnd_.Model().BuildInfoLine(wnd_.Model().PathAt(1));
    wnd_.ShuffleMode = 1;
    IniFile file(ini);
    ASSERT_TRUE(wnd_.SaveSettingsAndList(file, "Preferences", list, cache));
    EXPECT_EQ(file.GetInt("Preferences", "CurrentInPlaylist", -1), 1);
    EXPECT_EQ(file.GetInt("Preferences", "ShuffleMode", -1), 1);
    EXPECT_TRUE(fs::exists(list));
    EXPECT_TRUE(fs::exists(cache));

    // A list that cannot be written leaves the saved index as it was.
    wnd_.SetCurrentIndex(0);
    EXPECT_FALSE(wnd_.SaveSettingsAndList(file, "Preferences", dir_.File("no/dir/zeb.m3u"), cache));
    EXPECT_EQ(file.GetInt("Preferences", "CurrentInPlaylist", -1), 1);
}

} // namespace
} // namespace zeb
