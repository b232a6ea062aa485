#pragma once

// Records what a private PulseAudio server's null sink "nullsink" plays and
// finds tones in the recording. For tests run by sound_server_test.sh.
#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <numbers>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zeb::test {

using namespace std::chrono_literals;

constexpr int kRate = 44100;
constexpr int kFrameBytes = 4;
constexpr int kBytesPerSecond = kRate * kFrameBytes;
constexpr int kWindowFrames = 441; // 10 ms: whole cycles of every test tone
constexpr double kToneAmplitude = 16384;
constexpr double kPresentAmplitude = 3000;

// Stereo 16-bit samples: a tone of `leftHz` on the left, `rightHz` on the right.
inline std::vector<char> Tone(double seconds, int leftHz, int rightHz, int rate = kRate) {
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

inline pid_t Spawn(const std::vector<const char*>& argv, const std::string& output) {
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

inline void End(pid_t& pid) {
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
        const std::string bytes = ReadFile(path_);
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
inline double AmplitudeAt(const std::vector<int16_t>& samples, size_t firstFrame, int channel,
                          int hz) {
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
inline std::vector<bool> TonePresence(const std::vector<int16_t>& samples, int channel, int hz) {
    std::vector<bool> present;
    for (size_t frame = 0; (frame + kWindowFrames) * 2 <= samples.size(); frame += kWindowFrames)
        present.push_back(AmplitudeAt(samples, frame, channel, hz) > kPresentAmplitude);
    return present;
}

inline int Count(const std::vector<bool>& windows) {
    return static_cast<int>(std::count(windows.begin(), windows.end(), true));
}

// "s100 T150 s50": runs of windows without (s) and with (T) the tone.
inline std::string Timeline(const std::vector<bool>& windows) {
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

inline int First(const std::vector<bool>& windows) {
    auto it = std::find(windows.begin(), windows.end(), true);
    return it == windows.end() ? -1 : static_cast<int>(it - windows.begin());
}

inline int Last(const std::vector<bool>& windows) {
    auto it = std::find(windows.rbegin(), windows.rend(), true);
    return it == windows.rend() ? -1 : static_cast<int>(windows.rend() - it - 1);
}

// The longest run of windows without the tone between its first and last window.
inline int LongestGap(const std::vector<bool>& windows) {
    int longest = 0;
    int run = 0;
    for (int i = First(windows); i >= 0 && i <= Last(windows); ++i) {
        run = windows[i] ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// The longest run of stereo frames that are silent in both channels, among
// frames [from, to). A stream that runs dry is filled with exact silence by
// the sound server, which a tone never holds for more than a sample or two.
inline int LongestSilentRun(const std::vector<int16_t>& samples, size_t from, size_t to) {
    int longest = 0;
    int run = 0;
    for (size_t frame = from; frame < to && frame * 2 + 1 < samples.size(); ++frame) {
        run = samples[frame * 2] == 0 && samples[frame * 2 + 1] == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// Windows of 10 ms that `bytes` of stereo 44100 Hz audio fill.
inline int WindowsOf(int bytes) {
    return bytes * 100 / kBytesPerSecond;
}

} // namespace zeb::test
