// The remote-control commands and queries against a real main window whose
// engine writes WAV files.
#include "shell/RemoteControl.h"

#include "engine/MixerVolume.h"
#include "platform/MessageEndpoint.h"
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "support/PlayerFixtures.h"
#include "support/QuietHost.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace zeb {
namespace {

class RecordingActions : public RemoteActions {
public:
    void Exit() override { calls.push_back("exit"); }
    void OpenFileDialog() override { calls.push_back("open file"); }
    void OpenAddressDialog() override { calls.push_back("open address"); }
    void ToggleEqualizer() override { calls.push_back("equalizer"); }
    void TogglePlaylistWindow() override { calls.push_back("playlist"); }
    void ToggleMinibar(bool cd) override { calls.push_back(cd ? "cd minibar" : "minibar"); }

    std::vector<std::string> calls;
};

class RemoteControlTest : public ::testing::Test {
protected:
    void SetUp() override { test::UseWavOutput(wnd_, dir_); }
    void TearDown() override { wnd_.Player().Stop(); }

    // A track of `copies` times a constant-rate fixture: long enough that it
    // never ends while a test drives it.
    std::string LongTrack(const std::string& name, int copies = 10) {
        const std::string part = test::CopyFixture(dir_, "part.mp3", "cbr128.mp3");
        std::ifstream in(part, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const std::string path = dir_.File(name);
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < copies; ++i)
            out << bytes;
        return path;
    }
    void Load(int count) {
        int old = wnd_.BeginLoad(false);
        for (int i = 0; i < count; ++i)
            wnd_.Model().Append(LongTrack(std::to_string(i) + ".mp3"));
        wnd_.AutoPlay = 0;
        wnd_.StartLoadedList(old, false, false, false);
        wnd_.SetCurrentIndex(0);
    }
    int32_t Command(int id, uint32_t highWord = 0) {
        EndpointRequest r;
        r.message = kWmCommand;
        r.wParam = (highWord << 16) | uint32_t(id);
        return AnswerRemoteRequest(wnd_, actions_, r);
    }
    int32_t Query(uint32_t code) {
        EndpointRequest r;
        r.message = kWmUser;
        r.lParam = code;
        return AnswerRemoteRequest(wnd_, actions_, r);
    }
    int State() { return wnd_.Player().GetState(); }

    test::TempDir dir_;
    test::QuietHost host_;
    CMainWnd wnd_{host_, 7u};
    RecordingActions actions_;
};

TEST_F(RemoteControlTest, TransportCommandsAreTheMenuCommandsAndQueriesReportTheEngine) {
    Load(3);
    EXPECT_EQ(Query(kRemoteQueryStatus), 0);
    EXPECT_EQ(Query(kRemoteQueryCount), 3);
    EXPECT_EQ(Query(kRemoteQueryIndex), 0);

    EXPECT_EQ(Command(ID_WA_PAUSE), 0);
    EXPECT_EQ(State(), CMpegPlayer::Stopped); // pause does nothing while stopped
    EXPECT_EQ(Command(ID_WA_PLAY), 0);
    EXPECT_EQ(State(), CMpegPlayer::Playing);
    EXPECT_EQ(Query(kRemoteQueryStatus), 1);
    Command(ID_WA_PAUSE);
    EXPECT_EQ(Query(kRemoteQueryStatus), 3);
    Command(ID_WA_PAUSE); // the menu's pause resumes a pause
    EXPECT_EQ(Query(kRemoteQueryStatus), 1);
    Command(ID_WA_PAUSE);
    Command(ID_WA_PLAY); // play resumes as well, it does not toggle
    EXPECT_EQ(Query(kRemoteQueryStatus), 1);
    Command(ID_WA_PLAY);
    EXPECT_EQ(Query(kRemoteQueryStatus), 1); // play while playing keeps playing

    Command(ID_WA_NEXT);
    EXPECT_EQ(Query(kRemoteQueryIndex), 1);
    Command(ID_WA_NEXT);
    EXPECT_EQ(Query(kRemoteQueryIndex), 2);
    Command(ID_WA_PREVIOUS);
    EXPECT_EQ(Query(kRemoteQueryIndex), 1);
    EXPECT_EQ(State(), CMpegPlayer::Playing);

    Command(ID_WA_STOP);
    EXPECT_EQ(Query(kRemoteQueryStatus), 0);
    Command(ID_WA_STOP); // stop is no toggle: it does not start again
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    EXPECT_TRUE(actions_.calls.empty());
}

TEST_F(RemoteControlTest, SeekCommandsStepOnePercentWhilePlaying) {
    // A percent of this track is about a second, far more than it plays
    // between two commands.
    wnd_.OpenSingleFile(LongTrack("long.mp3", 30), false, false);
    Command(ID_WA_PLAY);
    const int percent = std::max(1, wnd_.Player().LengthMs() / 100);
    ASSERT_GT(percent, 500);
    wnd_.Player().Seek(50);
    Command(ID_WA_PAUSE);
    const int middle = wnd_.Player().PositionMs();
    Command(ID_WA_SEEK_BACK); // paused: ignored like the menu's seek
    EXPECT_EQ(wnd_.Player().PositionMs(), middle);

    Command(ID_WA_PLAY);
    for (int i = 0; i < 5; ++i)
        Command(ID_WA_SEEK_BACK);
    Command(ID_WA_PAUSE);
    const int back = wnd_.Player().PositionMs();
    EXPECT_LT(back, middle - 3 * percent);
    EXPECT_GT(back, middle - 7 * percent);

    Command(ID_WA_PLAY);
    for (int i = 0; i < 10; ++i)
        Command(ID_WA_SEEK_FORWARD);
    Command(ID_WA_PAUSE);
    EXPECT_GT(wnd_.Player().PositionMs(), back + 8 * percent);
}

TEST_F(RemoteControlTest, EmptyListAnswersZeroAndIgnoresTransport) {
    EXPECT_EQ(Query(kRemoteQueryCount), 0);
    EXPECT_EQ(Query(kRemoteQueryStatus), 0);
    for (int id : {ID_WA_PLAY, ID_WA_PAUSE, ID_WA_STOP, ID_WA_NEXT, ID_WA_PREVIOUS,
                   ID_WA_SEEK_FORWARD, ID_WA_SEEK_BACK})
        EXPECT_EQ(Command(id), 0);
    EXPECT_EQ(State(), CMpegPlayer::Stopped);
    EXPECT_EQ(Query(kRemoteQueryCount), 0);
}

TEST_F(RemoteControlTest, VolumeStepsByFiveWithinTheRange) {
    wnd_.SetVolume(50);
    Command(ID_WA_VOLUME_UP);
    EXPECT_EQ(wnd_.Volume(), 55);
    Command(ID_WA_VOLUME_DOWN);
    Command(ID_WA_VOLUME_DOWN);
    EXPECT_EQ(wnd_.Volume(), 45);
    wnd_.SetVolume(98);
    Command(ID_WA_VOLUME_UP);
    EXPECT_EQ(wnd_.Volume(), 100);
    wnd_.SetVolume(3);
    Command(ID_WA_VOLUME_DOWN);
    EXPECT_EQ(wnd_.Volume(), 0);
}

// A mixer line that another program can move, as the desktop's volume
// control moves the real one; 0..65535 like a sound server's line, so that
// percentages do not map exactly onto its steps.
class MovableLine : public MixerBackend {
public:
    bool OpenLine(int, LineKind) override { return true; }
    void Close() override {}
    int Channels() const override { return 2; }
    long Min() const override { return 0; }
    long Max() const override { return 65535; }
    std::optional<std::vector<long>> ReadValues() override { return values; }
    bool WriteValues(const std::vector<long>& v) override {
        values = v;
        return true;
    }
    void MoveTo(int percent) { values.assign(2, 65535L * percent / 100); }

    std::vector<long> values{32768, 32768};
};

TEST_F(RemoteControlTest, VolumeStepsStartFromTheMixersLevelNow) {
    auto owned = std::make_unique<MovableLine>();
    MovableLine& line = *owned;
    CMixerVolume mixer(std::move(owned));
    ASSERT_TRUE(mixer.Open(false, 0));
    wnd_.SetMixer(&mixer);
    EXPECT_EQ(wnd_.Volume(), 50);
    Command(ID_WA_VOLUME_UP);
    Command(ID_WA_VOLUME_UP);
    EXPECT_EQ(wnd_.Volume(), 60) << "steps drift on the mixer's rounding";
    EXPECT_FALSE(wnd_.FollowMixer());

    line.MoveTo(20); // the desktop turns the volume down
    Command(ID_WA_VOLUME_UP);
    EXPECT_EQ(wnd_.Volume(), 25);
    line.MoveTo(80);
    EXPECT_TRUE(wnd_.FollowMixer());
    EXPECT_EQ(wnd_.Volume(), 80);
    wnd_.SetMixer(nullptr);
}

TEST_F(RemoteControlTest, RepeatCyclesNoneListTrackAndShuffleToggles) {
    wnd_.Repeat = wnd_.RepeatTrack = 0;
    auto modes = [&] { return std::pair(wnd_.Repeat, wnd_.RepeatTrack); };
    Command(ID_WA_REPEAT_CYCLE);
    EXPECT_EQ(modes(), std::pair(1, 0));
    Command(ID_WA_REPEAT_CYCLE);
    EXPECT_EQ(modes(), std::pair(0, 1));
    Command(ID_WA_REPEAT_CYCLE);
    EXPECT_EQ(modes(), std::pair(0, 0));

    wnd_.ShuffleMode = 0;
    Command(ID_WA_SHUFFLE);
    EXPECT_EQ(wnd_.ShuffleMode, 1);
    Command(ID_WA_SHUFFLE);
    EXPECT_EQ(wnd_.ShuffleMode, 0);
}

TEST_F(RemoteControlTest, WindowAndDialogCommandsGoToTheActionsExceptInCdMode) {
    for (int id : {ID_WA_OPEN_FILE, ID_WA_OPEN_URL, ID_WA_EQUALIZER, ID_WA_PLAYLIST, ID_WA_MINIBAR,
                   ID_WA_EXIT})
        EXPECT_EQ(Command(id), 0);
    EXPECT_EQ(actions_.calls, (std::vector<std::string>{"open file", "open address", "equalizer",
                                                        "playlist", "minibar", "exit"}));

    actions_.calls.clear();
    wnd_.CDMode = 1;
    for (int id : {ID_WA_EQUALIZER, ID_WA_PLAYLIST, ID_WA_MINIBAR})
        Command(id);
    EXPECT_EQ(actions_.calls, std::vector<std::string>{"cd minibar"});
}

TEST_F(RemoteControlTest, OnlyTheLowWordNamesTheCommandAndOtherMessagesAnswerZero) {
    Command(ID_WA_EXIT, 1); // a notification code in the high word
    EXPECT_EQ(actions_.calls, std::vector<std::string>{"exit"});

    // Ids the endpoint does not know do nothing, main-menu ids included.
    wnd_.ShuffleMode = 0;
    for (int id : {ID_SHUFFLE, ID_EXIT, 40000, 40024, 0})
        EXPECT_FALSE(RunRemoteCommand(wnd_, actions_, id));
    EXPECT_EQ(wnd_.ShuffleMode, 0);
    EXPECT_EQ(actions_.calls.size(), 1u);

    Load(2);
    wnd_.SetCurrentIndex(1);
    EXPECT_EQ(Query(kRemoteQueryIndex), 1);
    EXPECT_EQ(Query(105), 0);
    EXPECT_EQ(Query(0), 0);
    EndpointRequest other;
    other.message = kWmCopyData;
    other.lParam = kRemoteQueryCount;
    EXPECT_EQ(AnswerRemoteRequest(wnd_, actions_, other), 0);
    other.message = kWmUser;
    EXPECT_EQ(AnswerRemoteRequest(wnd_, actions_, other), 2);
}

TEST(RemoteWindowTitleTest, ShownNameThenThePlayerName) {
    EXPECT_EQ(RemoteWindowTitle("Artist - Song"), "Artist - Song - Winamp");
    EXPECT_EQ(kRemoteInitialTitle, "Winamp");
    EXPECT_EQ(kRemoteEndpointName, "Winamp v1.x");
}

} // namespace
} // namespace zeb
