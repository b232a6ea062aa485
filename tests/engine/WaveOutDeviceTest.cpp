// Playback through a real sound server. Run by sound_server_test.sh, which
// starts PulseAudio with a null sink "nullsink"; the sink's monitor is
// recorded with parec and the recording is examined for the tones played.
#include "engine/EngineError.h"
#include "engine/SoundRecorder.h"
#include "engine/WaveOut.h"
#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zeb {
namespace {

using namespace std::chrono_literals;
using namespace zeb::test;

WaveOutConfig DeviceConfig(int level, int device = -1) {
    WaveOutConfig config;
    config.kind = CWaveOut::Device;
    config.device = device;
    config.blockCount = CWaveOut::BlockCountForLevel(level);
    return config;
}

// Writes `pcm` from `from` in blocks of `blockSize`, as the decoding thread does.
void WriteBlocks(CWaveOut& out, const std::vector<char>& pcm, size_t from, size_t to,
                 int blockSize) {
    for (size_t at = from; at < to; at += blockSize) {
        const int length = static_cast<int>(std::min<size_t>(blockSize, to - at));
        ASSERT_GT(out.Write(pcm.data() + at, length), 0);
    }
}

class WaveOutDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("PULSE_SERVER"), nullptr) << "run through sound_server_test.sh";
        ASSERT_TRUE(recorder.Running()) << "the monitor of the null sink is not recorded";
    }
    std::vector<int16_t> StopRecording() {
        std::this_thread::sleep_for(500ms);
        return recorder.Stop();
    }

    Recorder recorder;
    CWaveOut out;
};

TEST_F(WaveOutDevice, PlaysTheSignalOnBothChannels) {
    const auto pcm = Tone(1.5, 1000, 1500);
    out.Configure(DeviceConfig(2));
    out.Open(kRate, 2, 16);
    WriteBlocks(out, pcm, 0, pcm.size(), CWaveOut::BlockSizeForLevel(2));
    out.Drain();
    EXPECT_EQ(out.QueuedCount(), 0);
    out.Close();

    const auto samples = StopRecording();
    const auto left = TonePresence(samples, 0, 1000);
    const auto right = TonePresence(samples, 1, 1500);
    const int expected = WindowsOf(static_cast<int>(pcm.size()) - CWaveOut::kFirstBlockTrim);
    EXPECT_NEAR(Count(left), expected, 4) << Timeline(left);
    EXPECT_NEAR(Count(right), expected, 4) << Timeline(right);
    EXPECT_LE(LongestGap(left), 2) << Timeline(left);
    // Each tone is on its own channel only.
    EXPECT_EQ(Count(TonePresence(samples, 0, 1500)), 0);
    EXPECT_EQ(Count(TonePresence(samples, 1, 1000)), 0);
}

TEST_F(WaveOutDevice, PauseHoldsAndRestartPlaysTheRest) {
    const auto pcm = Tone(3.0, 1000, 1000);
    const int blockSize = CWaveOut::BlockSizeForLevel(2);
    const size_t pauseAt = static_cast<size_t>(blockSize) * 13; // 1.2 s written
    out.Configure(DeviceConfig(2));
    out.Open(kRate, 2, 16);
    WriteBlocks(out, pcm, 0, pauseAt, blockSize);
    out.Pause();
    EXPECT_TRUE(out.IsPaused());
    EXPECT_EQ(out.Write(pcm.data() + pauseAt, blockSize), -1) << "a paused device took a block";
    std::this_thread::sleep_for(1s);
    out.Restart();
    WriteBlocks(out, pcm, pauseAt, pcm.size(), blockSize);
    out.Drain();
    out.Close();

    const auto tone = TonePresence(StopRecording(), 0, 1000);
    // Nothing is lost but the trimmed start (the refused block was written again).
    EXPECT_NEAR(Count(tone), WindowsOf(static_cast<int>(pcm.size()) - 3500), 5) << Timeline(tone);
    // The pause is one silence of about a second inside the signal: the
    // device's own small buffer plays out first.
    EXPECT_GE(LongestGap(tone), 70) << Timeline(tone);
    EXPECT_LE(LongestGap(tone), 120) << Timeline(tone);
}

TEST_F(WaveOutDevice, ResetDropsTheQueueAtOnce) {
    const int blockSize = CWaveOut::BlockSizeForLevel(4);
    const int blockCount = CWaveOut::BlockCountForLevel(4);
    const auto first =
        Tone(static_cast<double>(blockSize) * blockCount / kBytesPerSecond, 1000, 1000);
    const auto second = Tone(0.5, 2000, 2000);
    out.Configure(DeviceConfig(4));
    out.Open(kRate, 2, 16);
    WriteBlocks(out, first, 0, first.size(), blockSize); // fills the queue: 1.86 s
    std::this_thread::sleep_for(300ms);
    out.Reset();
    EXPECT_EQ(out.QueuedCount(), 0);
    WriteBlocks(out, second, 0, second.size(), blockSize);
    out.Drain();
    out.Close();

    const auto samples = StopRecording();
    const auto dropped = TonePresence(samples, 0, 1000);
    const auto after = TonePresence(samples, 0, 2000);
    // 0.3 s played before the reset, not the 1.86 s queued.
    EXPECT_GT(Count(dropped), 20) << Timeline(dropped);
    EXPECT_LT(Count(dropped), 70) << Timeline(dropped);
    EXPECT_NEAR(Count(after), WindowsOf(static_cast<int>(second.size())), 4) << Timeline(after);
    EXPECT_GE(First(after), Last(dropped));
}

TEST_F(WaveOutDevice, LowestBuffersLevelQueuesOneBlockAtATime) {
    const int blockSize = CWaveOut::BlockSizeForLevel(0);
    const auto pcm = Tone(static_cast<double>(blockSize) * 12 / kBytesPerSecond, 1000, 1000);
    out.Configure(DeviceConfig(0));
    out.Open(kRate, 2, 16);
    int most = 0;
    for (size_t at = 0; at < pcm.size(); at += blockSize) {
        const int length = static_cast<int>(std::min<size_t>(blockSize, pcm.size() - at));
        ASSERT_GT(out.Write(pcm.data() + at, length), 0);
        most = std::max(most, out.QueuedCount());
    }
    EXPECT_EQ(most, 1);
    out.Drain();
    out.Close();

    const auto tone = TonePresence(StopRecording(), 0, 1000);
    EXPECT_NEAR(Count(tone), WindowsOf(static_cast<int>(pcm.size()) - 3500), 4) << Timeline(tone);
}

TEST_F(WaveOutDevice, ListedDeviceIsChosenByIndex) {
    const auto names = CWaveOut::DeviceNames();
    const auto it = std::find(names.begin(), names.end(), "NullSink");
    ASSERT_NE(it, names.end()) << "the null sink is not listed";
    const int index = static_cast<int>(it - names.begin());
    const auto pcm = Tone(0.5, 1000, 1000);

    out.Configure(DeviceConfig(2, index));
    out.Open(kRate, 2, 16);
    WriteBlocks(out, pcm, 0, pcm.size(), 16384);
    out.Drain();
    out.Close();
    // An index past the list plays on the default output.
    out.Configure(DeviceConfig(2, static_cast<int>(names.size()) + 5));
    out.Open(kRate, 2, 16);
    WriteBlocks(out, pcm, 0, pcm.size(), 16384);
    out.Drain();
    out.Close();

    const auto tone = TonePresence(StopRecording(), 0, 1000);
    EXPECT_NEAR(Count(tone), 2 * WindowsOf(static_cast<int>(pcm.size()) - 3500), 6)
        << Timeline(tone);
}

TEST_F(WaveOutDevice, RateChangeReopensAtTheNewRate) {
    // 22050 Hz for half a second: the sink resamples it back to 1 kHz.
    const int rate = 22050;
    const auto pcm = Tone(0.5, 1000, 1000, rate);
    const auto at44100 = Tone(0.5, 2000, 2000);
    out.Configure(DeviceConfig(2));
    out.Open(kRate, 2, 16);
    WriteBlocks(out, at44100, 0, at44100.size(), 16384);
    out.Reopen(rate, 2, 16);
    WriteBlocks(out, pcm, 0, pcm.size(), 16384);
    out.Drain();
    out.Close();

    const auto samples = StopRecording();
    const auto before = TonePresence(samples, 0, 2000);
    const auto after = TonePresence(samples, 0, 1000);
    EXPECT_NEAR(Count(before), WindowsOf(static_cast<int>(at44100.size()) - 3500), 4)
        << Timeline(before);
    EXPECT_NEAR(Count(after), (static_cast<int>(pcm.size()) - 3500) * 100 / (rate * kFrameBytes), 4)
        << Timeline(after);
    EXPECT_GE(First(after), Last(before));
}

TEST(WaveOutNoDevice, NoReachableOutputRaisesNoDevice) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("PULSE_SERVER", "unix:/nonexistent/zeb-test/native", 1);
            CWaveOut out;
            out.Configure(DeviceConfig(2));
            try {
                out.Open(kRate, 2, 16);
            } catch (const EngineError& e) {
                _exit(e.code() == EngineError::NoDevice ? 0 : 2);
            }
            _exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace zeb
