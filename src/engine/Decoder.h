#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct mpg123_handle_struct;

namespace zeb {

struct FrameHeader;

// The 32 gain factors of the decoder's subbands and whether they apply.
// Written by the user-interface thread, read before each frame.
class EqualizerFactors {
public:
    EqualizerFactors();
    // Turns the equalizer on with these factors.
    void Set(const std::array<double, 32>& factors);
    // Turns it off; the factors stay as they are.
    void SetOff();
    bool On() const { return on_.load(std::memory_order_acquire); }
    std::array<double, 32> Factors() const;
    // Changes whenever Set is called, so readers can tell a new setting.
    uint32_t Generation() const { return generation_.load(std::memory_order_acquire); }

private:
    std::array<std::atomic<double>, 32> factors_;
    std::atomic<bool> on_{false};
    std::atomic<uint32_t> generation_{0};
};

// Decodes whole MPEG audio frames, handed over in stream order, into 16-bit
// PCM with libmpg123's feed interface, and assembles the samples into output
// blocks of exactly the block size.
class CMpegDecoder {
public:
    // Receives each full block (and the last partial one on Flush).
    using BlockSink = std::function<void(const uint8_t* data, size_t length)>;

    CMpegDecoder();
    ~CMpegDecoder();
    CMpegDecoder(const CMpegDecoder&) = delete;
    CMpegDecoder& operator=(const CMpegDecoder&) = delete;

    // Prepares the decoder: down-sampling 0, 1 or 2; ForceMono mixes both
    // channels into one, otherwise the output is always two channels.
    // Raises EngineError when libmpg123 or the block buffer cannot be set up.
    void Start(int downsampling, bool forceMono, int blockSize);
    void Stop();
    // The rate the output runs at. Samples come at the stream's rate divided
    // by the down-sampling factor, or resampled to this rate when the output
    // had to take another one. 0 (set by Start) follows the stream.
    void SetOutputRate(int rate) { outputRate_ = rate; }

    // Decodes one frame (header word and body) and writes every block that
    // fills up to the sink.
    void DecodeFrame(const FrameHeader& header, const uint8_t* body, const BlockSink& sink);
    // Writes what the block buffer holds and empties it.
    void FlushBlock(const BlockSink& sink);
    // Drops decoder state after a jump in the stream (a seek).
    void ResetStream();
    // Applies the equalizer when its setting changed since the last frame.
    void FollowEqualizer(const EqualizerFactors& eq);

    size_t BufferedBytes() const { return fill_; }

private:
    void FollowRate(const FrameHeader& header);
    void AppendPcm(const uint8_t* pcm, size_t bytes, const BlockSink& sink);
    void ApplyEqualizer(const EqualizerFactors& eq);

    mpg123_handle_struct* handle_ = nullptr;
    std::vector<uint8_t> block_;
    std::vector<uint8_t> frame_; // header and body fed in one piece
    int downsampling_ = 0;
    int channels_ = 0;
    int outputRate_ = 0;
    long producedRate_ = 0; // the rate libmpg123 is told to produce
    size_t blockSize_ = 0;
    size_t fill_ = 0;
    uint32_t eqGeneration_ = UINT32_MAX;
};

} // namespace zeb
