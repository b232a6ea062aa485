// The whole engine playing real MP3 files to a sound server's null sink,
// whose monitor is recorded and searched for the tones of the file.
#include "engine/MpegPlayer.h"
#include "engine/SoundRecorder.h"
#include "support/TempDir.h"

#include <atomic>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using namespace zeb::test;

// Makes an MP3 with real encoders: `firstHz` for `seconds`, then `secondHz`;
// MPEG-1 at 44100 Hz, or MPEG-2 or MPEG-2.5 at a lower `rate`.
std::string EncodeTones(const TempDir& dir, int firstHz, int secondHz, double seconds,
                        int rate = 44100) {
    std::string a = dir.File("a.wav"), b = dir.File("b.wav"), both = dir.File("both.wav");
    std::string mp3 = dir.File("tones" + std::to_string(rate) + ".mp3");
    std::string s = std::to_string(seconds);
    std::string r = std::to_string(rate);
    std::string kbps = rate >= 32000 ? "192" : "32";
    std::string cmd = "sox -n -r " + r + " -c 2 -b 16 '" + a + "' synth " + s + " sine " +
                      std::to_string(firstHz) + " vol 0.5 && sox -n -r " + r + " -c 2 -b 16 '" + b +
                      "' synth " + s + " sine " + std::to_string(secondHz) + " vol 0.5 && sox '" +
                      a + "' '" + b + "' '" + both + "' && lame --quiet -t -b " + kbps + " '" +
                      both + "' '" + mp3 + "'";
    return std::system(cmd.c_str()) == 0 ? mp3 : std::string();
}

class PlayerDevice : public ::testing::Test {
protected:
    void SetUp() override {
        mp3_ = EncodeTones(dir_, 1000, 2000, 2.0);
        ASSERT_FALSE(mp3_.empty());
        player_.SetNotify([this] { ++ends_; });
        player_.SetSource(mp3_);
    }
    void StartPlaying(int buffersLevel = 2) {
        player_.SetBufferLevels(buffersLevel, 2);
        ASSERT_TRUE(player_.Open());
        player_.Play();
        ASSERT_EQ(player_.GetState(), CMpegPlayer::Playing);
    }
    bool WaitForEnd(std::chrono::seconds limit) {
        for (auto until = std::chrono::steady_clock::now() + limit;
             ends_ == 0 && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(20ms);
        return ends_ > 0;
    }

    TempDir dir_;
    std::string mp3_;
    CMpegPlayer player_;
    std::atomic<int> ends_{0};
};

TEST_F(PlayerDevice, PlaysTheDecodedAudioToTheEndAndReportsIt) {
    Recorder recorder;
    ASSERT_TRUE(recorder.Running());
    StartPlaying();
    ASSERT_TRUE(WaitForEnd(20s));
    std::this_thread::sleep_for(300ms);
    auto samples = recorder.Stop();
    auto low = TonePresence(samples, 0, 1000), high = TonePresence(samples, 1, 2000);
    // About two seconds of each tone (less the 3500 bytes trimmed at the start).
    EXPECT_NEAR(Count(low), 200, 15) << Timeline(low);
    EXPECT_NEAR(Count(high), 200, 15) << Timeline(high);
    EXPECT_LT(First(low), First(high));
    EXPECT_EQ(player_.GetState(), CMpegPlayer::Stopped);
    EXPECT_EQ(ends_, 1);
}

// A quarter of 8000 Hz lies below the rates the decoder lists: it still
// plays, whole, at 2000 Hz.
TEST_F(PlayerDevice, QuarterRateOfAnMpeg25FileIsHeardWhole) {
    const std::string mp3 = EncodeTones(dir_, 300, 600, 2.0, 8000);
    ASSERT_FALSE(mp3.empty());
    player_.SetSource(mp3);
    player_.SetDownsampling(2);
    Recorder recorder;
    ASSERT_TRUE(recorder.Running());
    StartPlaying();
    ASSERT_TRUE(WaitForEnd(20s));
    std::this_thread::sleep_for(300ms);
    auto samples = recorder.Stop();
    auto low = TonePresence(samples, 0, 300), high = TonePresence(samples, 1, 600);
    // The 3500 bytes trimmed from the first block hold 0.44 s at 2000 Hz,
    // part of it the decoder's silent start.
    EXPECT_NEAR(Count(low), 165, 20) << Timeline(low);
    EXPECT_NEAR(Count(high), 200, 20) << Timeline(high);
    EXPECT_LT(First(low), First(high));
}

TEST_F(PlayerDevice, PauseHoldsAndResumeContinuesWithoutLoss) {
    Recorder recorder;
    StartPlaying();
    std::this_thread::sleep_for(800ms);
    player_.Pause();
    int position = player_.PositionMs();
    std::this_thread::sleep_for(1200ms);
    EXPECT_EQ(player_.PositionMs(), position); // no frame is decoded while paused
    player_.Resume();
    ASSERT_TRUE(WaitForEnd(20s));
    std::this_thread::sleep_for(300ms);
    auto samples = recorder.Stop();
    auto low = TonePresence(samples, 0, 1000);
    EXPECT_GE(LongestGap(low), 90) << Timeline(low);   // the pause is heard as silence
    EXPECT_NEAR(Count(low), 200, 15) << Timeline(low); // and nothing was lost
}

TEST_F(PlayerDevice, StopEndsAtOnceWithoutTheEndOfTrackCall) {
    Recorder recorder;
    StartPlaying();
    std::this_thread::sleep_for(600ms);
    player_.Stop();
    EXPECT_EQ(player_.GetState(), CMpegPlayer::Stopped);
    std::this_thread::sleep_for(1500ms);
    auto samples = recorder.Stop();
    auto low = TonePresence(samples, 0, 1000), high = TonePresence(samples, 1, 2000);
    EXPECT_EQ(ends_, 0);
    // The queue (0.74 s at this level) is dropped, not played out.
    EXPECT_LT(Count(low), 100) << Timeline(low);
    EXPECT_EQ(Count(high), 0) << Timeline(high);
}

TEST_F(PlayerDevice, SeekDropsTheQueuedAudio) {
    Recorder recorder;
    StartPlaying(4); // 10 blocks of 32768 bytes: 1.86 s queued
    std::this_thread::sleep_for(500ms);
    player_.Seek(75); // into the second tone
    ASSERT_TRUE(WaitForEnd(20s));
    std::this_thread::sleep_for(300ms);
    auto samples = recorder.Stop();
    auto low = TonePresence(samples, 0, 1000), high = TonePresence(samples, 1, 2000);
    // Without the drop the whole queue of the first tone would still play.
    EXPECT_LT(Count(low), 120) << Timeline(low);
    EXPECT_GT(Count(high), 60) << Timeline(high);
    EXPECT_LT(Count(high), 120) << Timeline(high); // only the last quarter plays
    EXPECT_EQ(ends_, 1);
}

} // namespace
} // namespace zeb
