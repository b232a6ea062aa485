#pragma once

#include "cd/CdDrive.h"
#include "engine/WaveOut.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace zeb {

// Digital playback of a range of audio sectors: a thread reads the sectors from a handle of its
// own and writes the samples (44100 Hz, 16-bit, stereo) to the engine's output. The output's
// block queue bounds how far reading runs ahead of what is heard.
class CdPlayback {
public:
    // Called on the playing thread when the range has been played (true) or playback failed
    // (false: the disc went away or the output broke). Never called after Stop.
    using EndCallback = std::function<void(bool completed)>;

    // Sectors written to the output in one block (about 0.1 s).
    static constexpr int kSectorsPerBlock = 8;

    CdPlayback() = default;
    ~CdPlayback();
    CdPlayback(const CdPlayback&) = delete;
    CdPlayback& operator=(const CdPlayback&) = delete;

    // Opens the disc and the output and starts playing sectors [fromLsn, toLsn); false when
    // either cannot be opened. A playback still running is stopped first.
    bool Start(const std::string& path, CdDrive::Kind kind, long fromLsn, long toLsn,
               const WaveOutConfig& output, EndCallback onEnd);
    // Stops at once, dropping what the output still holds; the position stays at what was heard.
    void Stop();
    // True from Start until the range has been played, playback failed or Stop.
    bool Active() const { return thread_.joinable() && !finished_.load(); }
    // The sector being heard: the sectors written to the output minus those still queued.
    long PositionLsn() const;

private:
    void Run(CdIo_t* disc, CWaveOut* output);
    // Plays the range; false when reading or the output failed.
    bool PlayRange(CdIo_t* disc, CWaveOut& output);
    void WaitUntilPlayed(CWaveOut& output);

    // The playing thread's output; kept here so that Stop can end its waits.
    std::unique_ptr<CWaveOut> output_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    long fromLsn_ = 0;
    long toLsn_ = 0;
    EndCallback onEnd_;
    std::atomic<long> heardLsn_{0};
    // While the output drains after the last block, the position advances with the clock.
    std::atomic<bool> draining_{false};
    std::atomic<long> drainBaseLsn_{0};
    std::atomic<std::chrono::steady_clock::rep> drainStart_{0};
};

} // namespace zeb
