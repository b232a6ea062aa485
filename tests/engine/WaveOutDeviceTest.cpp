// Playback through a real sound server. Run by sound_server_test.sh, which
// starts PulseAudio with a null sink "nullsink"; the sink's monitor is
// recorded with parec and the recording is examined for the tones played.
#include "engine/EngineError.h"
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

extern char** environ;

namespace zeb {
namespace {

using namespace std::chrono_literals;

constexpr int kRate = 44100;
constexpr int kFrameBytes = 4;
constexpr int kBytesPerSecond = kRate * kFrameBytes;
constexpr int kWindowFrames = 441; // 10 ms: whole cycles of every test tone
constexpr double kToneAmplitude = 16384;
constexpr double kPresentAmplitude = 3000;

// Stereo 16-bit samples: a tone of `leftHz` on the left, `rightHz` on the right.
std::vector<char> Tone(double seconds, int leftHz, int rightHz, int rate = kRate) {
    const size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<char> pcm(frames * kFrameBytes);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const auto left =
            static_cast<int16_t>(kToneAmplitude * std::sin(2 * std::numbers::pi * leftHz * t));
        const auto right =
            static_cast<int16_t>(kToneAmplitude * std::sin(2 * std::numbers::pi * rightHz * t));
        pcm[i * 4] = static_cast<char>(left & 0xff);
        pcm[i * 4 + 1] = static_cast<char>((left >> 8) & 0xff);
        pcm[i * 4 + 2] = static_cast<char>(right & 0xff);
        pcm[i * 4 + 3] = static_cast<char>((right >> 8) & 0xff);
    }
    return pcm;
}

pid_t Spawn(const std::vector<const char*>& argv, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<const char*> args = argv;
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, const_cast<char* const*>(args.data()),
                     environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void End(pid_t& pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGINT);
    int status = 0;
    for (int tries = 0; tries < 50 && waitpid(pid, &status, WNOHANG) == 0; ++tries)
        std::this_thread::sleep_for(100ms);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    pid = -1;
}

// Records the null sink's monitor with parec while it lives. The monitor only
// runs while the sink has a player, so a player of silence keeps it going and
// the recording follows the clock even while nothing of ours plays.
class Recorder {
public:
    Recorder() {
        silence_ = Spawn({"pacat", "--raw", "--format=s16le", "--rate=44100", "--channels=2",
                          "--latency-msec=50", "/dev/zero"},
                         "/dev/null");
        parec_ = Spawn({"parec", "-d", "nullsink.monitor", "--raw", "--format=s16le",
                        "--rate=44100", "--channels=2", "--latency-msec=20"},
                       path_);
        // Recording for a second before anything of ours plays.
        for (int tries = 0; tries < 100 && Recorded() < kBytesPerSecond; ++tries)
            std::this_thread::sleep_for(50ms);
    }
    ~Recorder() { Stop(); }

    bool Running() const { return parec_ > 0 && Recorded() >= kBytesPerSecond; }

    // Ends the recording and gives its samples, left and right in turn.
    std::vector<int16_t> Stop() {
        End(parec_);
        End(silence_);
        const std::string bytes = test::ReadFile(path_);
        std::vector<int16_t> samples(bytes.size() / 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                              static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
        return samples;
    }

private:
    long Recorded() const {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path_, ec);
        return ec ? 0 : static_cast<long>(size);
    }

    test::TempDir dir_;
    std::string path_ = dir_.File("monitor.raw");
    pid_t silence_ = -1;
    pid_t parec_ = -1;
};

// Amplitude of `hz` in one channel of a 10 ms window (Goertzel).
double AmplitudeAt(const std::vector<int16_t>& samples, size_t firstFrame, int channel, int hz) {
    const double coeff = 2 * std::cos(2 * std::numbers::pi * hz / kRate);
    double s1 = 0;
    double s2 = 0;
    for (int i = 0; i < kWindowFrames; ++i) {
        const double s = samples[(firstFrame + i) * 2 + channel] + coeff * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / kWindowFrames;
}

// For each 10 ms window of the recording: is the tone `hz` in that channel?
std::vector<bool> TonePresence(const std::vector<int16_t>& samples, int channel, int hz) {
    std::vector<bool> present;
    for (size_t frame = 0; (frame + kWindowFrames) * 2 <= samples.size(); frame += kWindowFrames)
        present.push_back(AmplitudeAt(samples, frame, channel, hz) > kPresentAmplitude);
    return present;
}

int Count(const std::vector<bool>& windows) {
    return static_cast<int>(std::count(windows.begin(), windows.end(), true));
}

// "s100 T150 s50": runs of windows without (s) and with (T) the tone.
std::string Timeline(const std::vector<bool>& windows) {
    std::string text;
    size_t begin = 0;
    for (size_t i = 1; i <= windows.size(); ++i) {
        if (i < windows.size() && windows[i] == windows[begin])
            continue;
        text += (windows[begin] ? "T" : "s") + std::to_string(i - begin) + " ";
        begin = i;
    }
    return text;
}

int First(const std::vector<bool>& windows) {
    auto it = std::find(windows.begin(), windows.end(), true);
    return it == windows.end() ? -1 : static_cast<int>(it - windows.begin());
}

int Last(const std::vector<bool>& windows) {
    auto it = std::find(windows.rbegin(), windows.rend(), true);
    return it == windows.rend() ? -1 : static_cast<int>(windows.rend() - it - 1);
}

// The longest run of windows without the tone between its first and last window.
int LongestGap(const std::vector<bool>& windows) {
    int longest = 0;
    int run = 0;
    for (int i = First(windows); i >= 0 && i <= Last(windows); ++i) {
        run = windows[i] ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// Windows of 10 ms that `bytes` of stereo 44100 Hz audio fill.
int WindowsOf(int bytes) {
    return bytes * 100 / kBytesPerSecond;
}

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
