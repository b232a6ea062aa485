// CD playback through a real sound server. Run by sound_server_test.sh, which starts
// PulseAudio with a null sink; its monitor is recorded and examined for the disc's tones.
#include "cd/CdImage.h"
#include "cd/MciInterpreter.h"
#include "engine/SoundRecorder.h"
#include "support/TempDir.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace zeb {
namespace {

using namespace std::chrono_literals;
using test::CdImage;

class MciDeviceOutput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("PULSE_SERVER"), nullptr) << "run through sound_server_test.sh";
        ASSERT_TRUE(recorder_.Running()) << "the monitor of the null sink is not recorded";
        // Track 1: 3 s of 1000 Hz; track 2: 1 s of 700 Hz.
        const std::string cue =
            CdImage::Write(dir_.File("tones"), {{225, true, test::Tone(3.0, 1000, 1000)},
                                                {75, true, test::Tone(1.0, 700, 700)}});
        mci_.SetNotifyCallback([this](int code) {
            std::lock_guard lock(mutex_);
            codes_.push_back(code);
            changed_.notify_all();
        });
        WaveOutConfig output;
        output.kind = CWaveOut::Device;
        output.blockCount = 8;
        mci_.SetOutput(output);
        ASSERT_EQ(mci_.Send("open " + cue + ": type cdaudio shareable alias zeb").error, 0u);
        ASSERT_EQ(mci_.Send("set zeb time format tmsf").error, 0u);
    }
    bool WaitForNotification(int code) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 120s, [&] {
            return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
        });
    }
    std::string Position() { return mci_.Send("status zeb position").text; }

    test::TempDir dir_;
    test::Recorder recorder_;
    MciInterpreter mci_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int> codes_;
};

TEST_F(MciDeviceOutput, PausedPositionIsWhatWasHeardSoResumingLosesNothing) {
    ASSERT_EQ(mci_.Send("play zeb from 1 to 2 notify").error, 0u);
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    while (Position() < "01:00:01:00" && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(mci_.Send("pause zeb").error, 0u);
    const std::string paused = Position();
    EXPECT_LT(paused, "01:00:02:00") << "the position ran ahead of the sound";

    ASSERT_EQ(mci_.Send("play zeb from " + paused + " to 2 notify").error, 0u);
    ASSERT_TRUE(WaitForNotification(kMciNotifySuccessful));
    EXPECT_EQ(Position(), "02:00:00:00");
    // The recording is still running behind the device: wait until the end of the tone is in.
    std::this_thread::sleep_for(500ms);
    const auto samples = recorder_.Stop();

    const auto track1 = test::TonePresence(samples, 0, 1000);
    // Three seconds of tone: a position counted from the samples read instead of those heard
    // would skip the queued blocks (most of a second) on resuming.
    EXPECT_NEAR(test::Count(track1), 300, 12) << test::Timeline(track1);
    // The range ends where track 2 begins.
    EXPECT_EQ(test::Count(test::TonePresence(samples, 0, 700)), 0);
}

} // namespace
} // namespace zeb
