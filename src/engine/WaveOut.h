#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zeb {

class DeviceQueue;
class WavWriter;

// Where CWaveOut sends its blocks, set before Open.
struct WaveOutConfig {
    int kind = 0;        // 0 the sound device, 1 a WAV file
    int device = -1;     // -1 the default output, k the k-th listed device
    std::string wavPath; // the file written with kind 1
    // The local file being played (empty for an address): never overwritten.
    std::string sourcePath;
    int blockCount = 8; // most blocks queued on the device at once
};

// "dir/name (n).wav" for "dir/name.wav": the numbered form of a WAV path.
std::string NumberedWavPath(const std::string& path, int number);

// The output of the decoding thread: queues PCM blocks on the sound device or
// appends them to a WAV file. Used by the decoding thread only; operations
// that fail raise EngineError.
//
// The device is reached through libout123 with a small device buffer, so the
// block queue kept here decides how much audio waits to be played: a writer
// thread plays the queued blocks one after the other and hands finished ones
// back, which Collect reclaims.
class CWaveOut {
public:
    enum Kind { Device = 0, WavFile = 1 };

    // Bytes dropped from the first block after every open and every seek.
    static constexpr int kFirstBlockTrim = 3500;
    // The longest single wait for the device: waits end when the device
    // finishes a block or on Interrupt, this bound only paces the check for
    // a device that stopped taking audio.
    static constexpr int kWaitStepMs = 1000;
    // The pause after each block written to a WAV file.
    static constexpr int kWavBlockPauseMs = 20;

    CWaveOut();
    // Closes the output; errors are ignored there.
    ~CWaveOut();
    CWaveOut(const CWaveOut&) = delete;
    CWaveOut& operator=(const CWaveOut&) = delete;

    // Takes effect at the next Open.
    void Configure(const WaveOutConfig& config);
    // A flag that, while set, ends every wait for the device at once (the
    // player's stop request): a waiting Write drops its block, and Drain and
    // Close stop waiting for queued blocks, which Close then drops.
    void SetInterrupt(const std::atomic<bool>* interrupt) { interrupt_ = interrupt; }
    // Ends a wait for the device at once so that it sees the interrupt flag
    // just set; the only call another thread may make.
    void Interrupt();
    // The nice value of the device writer thread; a writer started later
    // takes that of the thread that opens the output.
    void SetNice(int nice);

    // Opens the device (EngineError::NoDevice when no output can be opened at
    // all) or creates the WAV file; sets the first-block trim.
    void Open(int rate, int channels, int bits);
    // Bytes accepted, or -1 when the block was refused (paused). Waits while
    // the device queue is full.
    int Write(const void* block, int length);
    // Device only: holds the queued blocks / plays them on.
    void Pause();
    void Restart();
    // Device only: waits until every queued block has been played.
    void Drain();
    // Device only: drops every queued block at once.
    void Reset();
    // Closes the device or finishes the WAV file; harmless when closed.
    void Close();
    // Drain, Close (errors ignored), Open.
    void Reopen(int rate, int channels, int bits);
    // Reclaims the blocks the device has finished with.
    void Collect();
    // Drops the first kFirstBlockTrim bytes of the next block (after a seek).
    void SetFirstBlockTrim() { trimFirstBlock_ = true; }
    // Keeps every byte of the first block: for sources whose first samples
    // are real audio (CD sectors), unlike a decoder's start-up output.
    void ClearFirstBlockTrim() { trimFirstBlock_ = false; }

    bool IsOpen() const { return opened_; }
    // The rate the output was opened with: the one asked for, or the nearest
    // the sound device takes when it refuses that one.
    int Rate() const { return rate_; }
    // The WAV file being written: the configured path, or its first numbered
    // form that is not the source when the configured path is the source.
    const std::string& WavPath() const { return wavPath_; }
    bool IsPaused() const { return paused_; }
    // Blocks handed to the device and not yet reclaimed.
    int QueuedCount() const { return queued_; }

    // The Buffers setting: block size and count of levels 0..4; 0 for any
    // other level (the caller keeps its previous choice).
    static int BlockSizeForLevel(int level);
    static int BlockCountForLevel(int level);

    // Descriptions of the listed sound devices; index k is device k.
    static std::vector<std::string> DeviceNames();

private:
    void OpenDevice(int rate, int channels, int bits);
    void OpenWavFile(int rate, int channels, int bits);
    int WriteToDevice(const char* data, int length);
    int WriteToWavFile(const char* data, int length);
    // Waits until every queued block has been played; false when the
    // device stopped taking blocks.
    bool WaitUntilPlayed();
    bool Interrupted() const { return interrupt_ && interrupt_->load(); }
    void CloseDevice();
    void CloseWavFile();

    WaveOutConfig config_;
    const std::atomic<bool>* interrupt_ = nullptr;
    int kind_ = Device; // copied from the configuration at open
    bool opened_ = false;
    bool trimFirstBlock_ = false;
    bool paused_ = false;
    int queued_ = 0;
    int rate_ = 0;
    std::vector<std::vector<char>> spare_; // reclaimed blocks, reused by Write
    std::unique_ptr<DeviceQueue> device_;  // replaced under deviceMutex_, for Interrupt
    std::mutex deviceMutex_;
    std::unique_ptr<WavWriter> wav_;
    std::string wavPath_;
};

} // namespace zeb
