// The whole engine playing real MP3 files to a sound server's null sink,
// whose monitor is recorded and searched for the tones of the file.
#include "engine/MpegPlayer.h"
#include "engine/SoundRecorder.h"
#include "support/TempDir.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

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

// Holds this test's own sound server (the one under PULSE_RUNTIME_PATH)
// with SIGSTOP, so that the device blocks every write; thawed when it goes.
class FrozenSoundServer {
public:
    FrozenSoundServer() : pid_(FindServer()) {
        if (pid_ > 0)
            ::kill(pid_, SIGSTOP);
    }
    ~FrozenSoundServer() { Thaw(); }
    bool Frozen() const { return pid_ > 0; }
    void Thaw() {
        if (pid_ > 0)
            ::kill(pid_, SIGCONT);
        pid_ = -1;
    }

private:
    static pid_t FindServer() {
        const char* runtime = std::getenv("PULSE_RUNTIME_PATH");
        if (!runtime)
            return -1;
        std::string config = std::string(runtime) + "/default.pa";
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            std::ifstream in(entry.path() / "cmdline", std::ios::binary);
            std::string cmdline((std::istreambuf_iterator<char>(in)), {});
            if (cmdline.rfind("pulseaudio", 0) == 0 && cmdline.find(config) != std::string::npos)
                return static_cast<pid_t>(std::atoi(entry.path().filename().c_str()));
        }
        return -1;
    }
    pid_t pid_;
};

// Whether a thread of this process named `name` has this nice value (a
// writer left behind by an earlier test may still carry the name).
bool ThreadHasNice(const std::string& name, int nice) {
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string line;
        if (!std::getline(comm, line) || line != name)
            continue;
        std::ifstream stat(task.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        // Fields after the name in parentheses: state is field 3, nice field 19.
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 19 && fields >> field; ++i) {
            if (i == 19 && std::stoi(field) == nice)
                return true;
        }
    }
    return false;
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
    // Waits until the decoding thread has decoded `ms` of the track.
    bool WaitForPosition(int ms, std::chrono::seconds limit = 30s) {
        for (auto until = std::chrono::steady_clock::now() + limit;
             player_.PositionMs() < ms && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(20ms);
        return player_.PositionMs() >= ms;
    }
    bool WaitForEnd(std::chrono::seconds limit) {
        for (auto until = std::chrono::steady_clock::now() + limit;
             ends_ == 0 && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(20ms);
        return ends_ > 0;
    }
    // Plays the source to its end and returns what the sound server played.
    std::vector<int16_t> RecordPlayToTheEnd() {
        Recorder recorder;
        if (!recorder.Running()) {
            ADD_FAILURE() << "the recorder did not start";
            return {};
        }
        StartPlaying();
        EXPECT_TRUE(WaitForEnd(20s));
        std::this_thread::sleep_for(300ms);
        return recorder.Stop();
    }

    TempDir dir_;
    std::string mp3_;
    CMpegPlayer player_;
    std::atomic<int> ends_{0};
};

TEST_F(PlayerDevice, PlaysTheDecodedAudioToTheEndAndReportsIt) {
    auto samples = RecordPlayToTheEnd();
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
    auto samples = RecordPlayToTheEnd();
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

TEST_F(PlayerDevice, StopDuringTheFinalDrainDropsTheQueueAtOnce) {
    mp3_ = EncodeTones(dir_, 1000, 2000, 6.0);
    ASSERT_FALSE(mp3_.empty());
    player_.SetSource(mp3_);
    // A quarter of the rate in one channel: the ten blocks of 32768 bytes
    // hold all 12 s, so the thread reaches the final drain at once.
    player_.SetForceMono(1);
    player_.SetDownsampling(2);
    StartPlaying(4);
    ASSERT_TRUE(WaitForPosition(player_.LengthMs() - 100));
    auto stop = std::async(std::launch::async, [&] { player_.Stop(); });
    EXPECT_EQ(stop.wait_for(6s), std::future_status::ready) << "Stop waited for the queue";
    stop.wait();
    EXPECT_EQ(player_.GetState(), CMpegPlayer::Stopped);
    EXPECT_EQ(ends_, 0);
}

TEST_F(PlayerDevice, StopReturnsWhileTheSoundServerTakesNothing) {
    StartPlaying();
    ASSERT_TRUE(WaitForPosition(300));
    FrozenSoundServer frozen;
    ASSERT_TRUE(frozen.Frozen());
    auto stop = std::async(std::launch::async, [&] { player_.Stop(); });
    bool returned = stop.wait_for(10s) == std::future_status::ready;
    frozen.Thaw();
    stop.wait();
    EXPECT_TRUE(returned) << "Stop waited for a device that blocks";
    EXPECT_EQ(player_.GetState(), CMpegPlayer::Stopped);
    EXPECT_EQ(ends_, 0);
    // The server answers again: the next play works.
    StartPlaying();
    EXPECT_TRUE(WaitForEnd(30s));
}

// The process runs at nice 4 (its main thread, which the priority setting
// moves); the playback threads' steps count from there, and the device
// writer follows every change.
TEST_F(PlayerDevice, PriorityStepsCountFromTheProcessAndReachTheWriter) {
    const int saved = ::getpriority(PRIO_PROCESS, 0);
    ASSERT_EQ(::setpriority(PRIO_PROCESS, 0, 4), 0);
    auto both = [&](int nice) {
        for (auto until = std::chrono::steady_clock::now() + 10s;
             std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(20ms)) {
            if (ThreadHasNice("zeb-decode", nice) && ThreadHasNice("zeb-output", nice))
                return true;
        }
        return false;
    };
    player_.SetPriority(3);
    StartPlaying(4);
    EXPECT_TRUE(both(4)) << "normal is the process's own level";
    player_.SetPriority(1);
    EXPECT_TRUE(both(14)) << "lowest";
    player_.Pause();
    player_.SetPriority(4);
    EXPECT_TRUE(both(-1)) << "above normal, set while paused";
    player_.Stop();
    ::setpriority(PRIO_PROCESS, 0, saved);
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

// Keeps every processor busy with threads that never sleep, for as long as
// it lives.
class BusyMachine {
public:
    BusyMachine() {
        const unsigned count = 2 * std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < count; ++i)
            threads_.emplace_back([this] {
                volatile uint64_t x = 0;
                while (!done_.load(std::memory_order_relaxed))
                    x = x + 1;
            });
    }
    ~BusyMachine() {
        done_ = true;
        for (auto& thread : threads_)
            thread.join();
    }

private:
    std::atomic<bool> done_{false};
    std::vector<std::thread> threads_;
};

// A track played while every processor is busy reaches the sound server
// without a gap: the stream never runs dry.
TEST_F(PlayerDevice, PlaysWithoutUnderrunWhileTheMachineIsBusy) {
    mp3_ = EncodeTones(dir_, 1000, 2000, 3.0);
    ASSERT_FALSE(mp3_.empty());
    player_.SetSource(mp3_);
    Recorder recorder;
    ASSERT_TRUE(recorder.Running());
    {
        BusyMachine busy;
        StartPlaying();
        EXPECT_TRUE(WaitForEnd(60s));
    }
    // The end of the track reaches the recording after the queue drains.
    std::this_thread::sleep_for(300ms);
    auto samples = recorder.Stop();
    auto low = TonePresence(samples, 0, 1000), high = TonePresence(samples, 1, 2000);
    ASSERT_GE(First(low), 0) << Timeline(low);
    ASSERT_GT(Last(high), First(low)) << Timeline(high);
    EXPECT_EQ(LongestGap(low), 0) << Timeline(low);
    EXPECT_EQ(LongestGap(high), 0) << Timeline(high);
    // From the first whole window of the first tone to the last of the second,
    // no run of exact silence longer than the samples where a wave crosses zero.
    const size_t from = static_cast<size_t>(First(low) + 1) * kWindowFrames;
    const size_t to = static_cast<size_t>(Last(high)) * kWindowFrames;
    EXPECT_LT(LongestSilentRun(samples, from, to), 8);
}

} // namespace
} // namespace zeb
