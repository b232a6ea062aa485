// CD playback through the sound device, measured on a CD image written at start:
//  - the time from "play zeb from 1 to 2 notify" until the first audio has reached the output;
//  - the process's CPU time per second of audio while a track plays, against the engine
//    playing the same audio encoded as MP3 to the same device.
// Run it under a sound server (scripts/bench starts PulseAudio with a null sink, which plays
// in real time); without one it uses the default output.
// Usage: cd_playback_bench [Google Benchmark flags]
#include "cd/CdImage.h"
#include "cd/MciInterpreter.h"
#include "engine/MpegPlayer.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

using namespace zeb;
using test::CdImage;

constexpr int kAudioSeconds = 15;

struct Files {
    std::string cue; // track 1: the audio; track 2: one second more, so track 1 has an end
    std::string mp3; // the same audio encoded by lame
};

Files g_files;

std::vector<char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Sweeping tones with noise, as raw disc samples (16-bit little-endian stereo at 44100 Hz) for
// the image and as an MP3 made from the same samples.
Files MakeFiles(const test::TempDir& dir) {
    const std::string wav = dir.File("audio.wav"), raw = dir.File("audio.raw");
    const std::string mp3 = dir.File("audio.mp3");
    const std::string cmd = "sox -R -n -r 44100 -c 2 -b 16 '" + wav + "' synth " +
                            std::to_string(kAudioSeconds) +
                            " sine 220-880 sine 330-1320 pinknoise vol 0.3 && sox '" + wav +
                            "' -t raw -e signed-integer -b 16 -L '" + raw +
                            "' && lame --quiet -V 2 '" + wav + "' '" + mp3 + "'";
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "could not make the benchmark audio (sox, lame)\n");
        std::exit(1);
    }
    const long sectors = kAudioSeconds * 75L;
    const std::string cue =
        CdImage::Write(dir.File("disc"), {{sectors, true, ReadAll(raw)}, {75, true}});
    return {cue, mp3};
}

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Waits for a completion reported from another thread.
class Completion {
public:
    void Signal() {
        std::lock_guard lock(mutex_);
        done_ = true;
        changed_.notify_all();
    }
    bool Wait(std::chrono::seconds limit) {
        std::unique_lock lock(mutex_);
        const bool done = changed_.wait_for(lock, limit, [&] { return done_; });
        done_ = false;
        return done;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
};

// The MCI device opened on the image, its output the sound device.
class OpenedDisc {
public:
    OpenedDisc() {
        mci_.SetNotifyCallback([this](int code) {
            if (code == kMciNotifySuccessful)
                played_.Signal();
        });
        mci_.SetOutput(WaveOutConfig{});
        opened_ =
            mci_.Send("open " + g_files.cue + ": type cdaudio shareable alias zeb").error == 0 &&
            mci_.Send("set zeb time format tmsf").error == 0;
    }
    ~OpenedDisc() { mci_.Send("close zeb"); }
    bool Opened() const { return opened_; }
    MciInterpreter& Mci() { return mci_; }
    bool WaitUntilPlayed() { return played_.Wait(std::chrono::seconds(kAudioSeconds * 4)); }

private:
    MciInterpreter mci_;
    Completion played_;
    bool opened_ = false;
};

// First audio: the reply of "status zeb position" leaves the start of the track. The device
// reports as heard only the sectors of blocks the sound device has taken from the queue, so
// the position moves once the first block of samples has been handed to the sound server.
void BM_CdPlayToFirstAudio(benchmark::State& state) {
    OpenedDisc disc;
    if (!disc.Opened()) {
        state.SkipWithError("the CD image does not open");
        return;
    }
    MciInterpreter& mci = disc.Mci();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (mci.Send("play zeb from 1 to 2 notify").error != 0) {
            state.SkipWithError("play refused");
            break;
        }
        const auto limit = start + std::chrono::seconds(10);
        while (mci.Send("status zeb position").text == "01:00:00:00" &&
               std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const auto heard = std::chrono::steady_clock::now();
        if (heard >= limit) {
            state.SkipWithError("no audio reached the output");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(heard - start).count());
        mci.Send("stop zeb");
    }
}

// Plays one whole track through the sound device; the CPU time of the whole process (reading,
// output and device threads) per second of audio.
void BM_CdTrackCpu(benchmark::State& state) {
    OpenedDisc disc;
    if (!disc.Opened()) {
        state.SkipWithError("the CD image does not open");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        if (disc.Mci().Send("play zeb from 1 to 2 notify").error != 0 || !disc.WaitUntilPlayed()) {
            state.SkipWithError("the track did not play to its end");
            break;
        }
        cpu += ProcessCpuSeconds() - before;
    }
    state.counters["cpu_ms_per_audio_s"] =
        cpu * 1000 / (double(state.iterations()) * kAudioSeconds);
}

// The same audio as MP3 through the engine, to the same sound device.
void BM_Mp3TrackCpu(benchmark::State& state) {
    Completion ended;
    CMpegPlayer player;
    player.SetNotify([&] { ended.Signal(); });
    player.SetSource(g_files.mp3);
    player.SetOutputKind(0);
    player.SetDevice(-1);
    player.SetBufferLevels(2, 2); // the program's defaults
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        if (!player.Open()) {
            state.SkipWithError("the MP3 does not open");
            break;
        }
        player.Play();
        if (!ended.Wait(std::chrono::seconds(kAudioSeconds * 4))) {
            state.SkipWithError("the MP3 did not play to its end");
            break;
        }
        cpu += ProcessCpuSeconds() - before;
        player.Stop();
    }
    state.counters["cpu_ms_per_audio_s"] =
        cpu * 1000 / (double(state.iterations()) * kAudioSeconds);
}

BENCHMARK(BM_CdPlayToFirstAudio)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);
BENCHMARK(BM_CdTrackCpu)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_Mp3TrackCpu)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(2);

// Prints the usual table and, at the end, CD against MP3 playback.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const auto cpu = r.counters.find("cpu_ms_per_audio_s");
            if (cpu != r.counters.end())
                cpuPerSecond_[r.run_name.function_name] = cpu->second.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double cd = cpuPerSecond_["BM_CdTrackCpu"];
        const double mp3 = cpuPerSecond_["BM_Mp3TrackCpu"];
        if (cd > 0 && mp3 > 0)
            std::printf("CPU per second of audio: CD %.2f ms, MP3 %.2f ms; CD / MP3 %.3f\n", cd,
                        mp3, cd / mp3);
    }

private:
    std::map<std::string, double> cpuPerSecond_;
};

} // namespace

int main(int argc, char** argv) {
    test::TempDir dir;
    g_files = MakeFiles(dir);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
