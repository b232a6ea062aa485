#include "engine/Decoder.h"

#include "engine/EngineError.h"
#include "engine/FrameHeader.h"

#include <algorithm>
#include <cstring>
#include <mpg123.h>

namespace zeb {

namespace {

// Extra room behind a block, as the output may stop a little past it.
constexpr size_t kBlockSlack = 1000;

} // namespace

EqualizerFactors::EqualizerFactors() {
    for (auto& f : factors_)
        f.store(1.0, std::memory_order_relaxed);
}

void EqualizerFactors::Set(const std::array<double, 32>& factors) {
    for (size_t i = 0; i < factors.size(); ++i)
        factors_[i].store(factors[i], std::memory_order_relaxed);
    on_.store(true, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_acq_rel);
}

void EqualizerFactors::SetOff() {
    on_.store(false, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_acq_rel);
}

std::array<double, 32> EqualizerFactors::Factors() const {
    std::array<double, 32> out;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = factors_[i].load(std::memory_order_relaxed);
    return out;
}

CMpegDecoder::CMpegDecoder() = default;

CMpegDecoder::~CMpegDecoder() {
    Stop();
}

void CMpegDecoder::Start(int downsampling, bool forceMono, int blockSize) {
    Stop();
    int err = MPG123_OK;
    handle_ = mpg123_new(nullptr, &err);
    if (!handle_)
        throw EngineError(EngineError::DecoderInit, "decoder unavailable");
    downsampling_ = downsampling == 1 || downsampling == 2 ? downsampling : 0;
    channels_ = forceMono ? MPG123_MONO : MPG123_STEREO;
    outputRate_ = 0;
    producedRate_ = 0;
    long flags = MPG123_QUIET | (forceMono ? MPG123_MONO_MIX : MPG123_FORCE_STEREO);
    bool ok = mpg123_param(handle_, MPG123_FLAGS, flags, 0) == MPG123_OK &&
              mpg123_format_none(handle_) == MPG123_OK;
    ok = ok && mpg123_open_feed(handle_) == MPG123_OK;
    if (!ok) {
        Stop();
        throw EngineError(EngineError::DecoderInit, "decoder setup failed");
    }
    blockSize_ = static_cast<size_t>(blockSize);
    block_.assign(blockSize_ + kBlockSlack, 0);
    frame_.reserve(4 + kMaxFrameBody);
    fill_ = 0;
    eqGeneration_ = UINT32_MAX;
}

// libmpg123 down-samples only to the rates it lists, which leaves out 2:1 and
// 4:1 of the low MPEG-2 and MPEG-2.5 rates. The rate is therefore forced:
// exactly half or a quarter of the stream's rate selects the library's
// down-sampling synthesis, any other rate its resampler.
void CMpegDecoder::FollowRate(const FrameHeader& header) {
    const long stream = SamplingRateOf(header);
    const long wanted = outputRate_ > 0 ? outputRate_ : stream >> downsampling_;
    if (wanted <= 0 || wanted == producedRate_)
        return;
    if (mpg123_param(handle_, MPG123_FORCE_RATE, wanted, 0) == MPG123_OK &&
        mpg123_format(handle_, wanted, channels_, MPG123_ENC_SIGNED_16) == MPG123_OK)
        producedRate_ = wanted;
}

void CMpegDecoder::Stop() {
    if (handle_) {
        mpg123_delete(handle_);
        handle_ = nullptr;
    }
    std::vector<uint8_t>().swap(block_);
    std::vector<uint8_t>().swap(frame_);
    fill_ = 0;
}

void CMpegDecoder::ResetStream() {
    if (!handle_)
        return;
    // Reopening the feed forgets buffered bytes and the bit reservoir.
    mpg123_close(handle_);
    mpg123_open_feed(handle_);
    eqGeneration_ = UINT32_MAX;
}

void CMpegDecoder::FollowEqualizer(const EqualizerFactors& eq) {
    if (handle_ && eq.Generation() != eqGeneration_)
        ApplyEqualizer(eq);
}

void CMpegDecoder::ApplyEqualizer(const EqualizerFactors& eq) {
    eqGeneration_ = eq.Generation();
    if (!eq.On()) {
        mpg123_reset_eq(handle_);
        return;
    }
    std::array<double, 32> f = eq.Factors();
    for (int band = 0; band < 32; ++band)
        mpg123_eq(handle_, MPG123_LR, band, f[static_cast<size_t>(band)]);
}

void CMpegDecoder::DecodeFrame(const FrameHeader& header, const uint8_t* body,
                               const BlockSink& sink) {
    if (!handle_ || header.layer < 1 || header.layer > 3)
        return;
    FollowRate(header);
    frame_.resize(4 + static_cast<size_t>(header.bodySize));
    frame_[0] = uint8_t(header.word >> 24);
    frame_[1] = uint8_t(header.word >> 16);
    frame_[2] = uint8_t(header.word >> 8);
    frame_[3] = uint8_t(header.word);
    std::memcpy(frame_.data() + 4, body, static_cast<size_t>(header.bodySize));
    if (mpg123_feed(handle_, frame_.data(), frame_.size()) != MPG123_OK)
        return;
    for (;;) {
        off_t num = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        int rc = mpg123_decode_frame(handle_, &num, &audio, &bytes);
        if (rc == MPG123_OK) {
            AppendPcm(audio, bytes, sink);
        } else if (rc != MPG123_NEW_FORMAT) {
            break; // needs more data, or a frame it could not decode
        }
    }
}

void CMpegDecoder::AppendPcm(const uint8_t* pcm, size_t bytes, const BlockSink& sink) {
    while (bytes > 0) {
        size_t room = blockSize_ - fill_;
        size_t n = std::min(room, bytes);
        std::memcpy(block_.data() + fill_, pcm, n);
        fill_ += n;
        pcm += n;
        bytes -= n;
        if (fill_ == blockSize_) {
            fill_ = 0; // cleared first: the sink may throw
            sink(block_.data(), blockSize_);
        }
    }
}

void CMpegDecoder::FlushBlock(const BlockSink& sink) {
    if (fill_ == 0)
        return;
    size_t n = fill_;
    fill_ = 0;
    sink(block_.data(), n);
}

} // namespace zeb
