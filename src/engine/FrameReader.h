#pragma once

#include "engine/FrameHeader.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace zeb {

class CInputStream;

enum class XingState { NotLookedFor, Found, Absent };

struct XingInfo {
    XingState state = XingState::NotLookedFor;
    bool hasFrames = false;
    bool hasBytes = false;
    bool hasToc = false;
    uint32_t frames = 0;
    uint32_t bytes = 0;
    std::array<uint8_t, 100> toc{};
};

class CFrameRing;

// Finds frames in the input stream: the header search with its wrapper
// skips and re-synchronisation, the body read with the one-time Xing
// look-up, and the length, position and seek figures. All calls happen on
// one thread at a time except LengthMs and PositionMs, which may be called
// from another thread while frames are read.
class CFrameReader {
public:
    explicit CFrameReader(CInputStream& stream);

    // After an open: reader state and the Xing state.
    void ResetForOpen();
    // Rewind: the stream to offset 0 and the reader state; false (nothing
    // reset) when the stream refuses to move.
    bool Rewind();

    // 0 at the end, 1 when the header stood where the previous frame
    // ended, more than 1 when bytes or wrappers were skipped. Writes the
    // header into `out` (normally Current()).
    int ReadHeader(FrameHeader& out);
    // Reads the body of `h` into buffer (at least h.bodySize bytes); false at
    // the end of the stream. Looks for the Xing header in the first body
    // read after an open.
    bool ReadBody(const FrameHeader& h, uint8_t* buffer);

    // The header of the frame being played.
    FrameHeader& Current() { return current_; }
    const FrameHeader& Current() const { return current_; }
    // Publishes the current header's timing for LengthMs/PositionMs; called
    // whenever Current() changed (after Take, after the open probe).
    void PublishTiming();

    uint32_t FrameCounter() const { return frameCounter_.load(std::memory_order_relaxed); }
    void SetFrameCounter(uint32_t n) { frameCounter_.store(n, std::memory_order_relaxed); }
    void AdvanceFrameCounter() { SetFrameCounter(FrameCounter() + 1); }

    int LengthMs() const;
    int PositionMs() const;
    // Moves to p percent (0..99); false (counter unchanged) for p above 99
    // or a refused seek. Refills the ring from the new counter's slot. The
    // reader cannot reach the output: after a successful seek the caller sets
    // the output's first-block trim.
    bool SeekPercent(int p, CFrameRing& ring);
    // Moves to the frame that plays `ms` milliseconds into the track (to
    // 1/10000 of its length), as SeekPercent does; a time past the end lands
    // on the last ten-thousandth.
    bool SeekMs(int ms, CFrameRing& ring);

    const XingInfo& Xing() const { return xing_; }
    // The last word that decoded (0 = none yet) and the word found by the
    // first successful re-synchronisation (0 = none: wrappers are skipped).
    uint32_t PreviousWord() const { return previousWord_; }
    uint32_t FirstWord() const { return firstWord_; }
    // Offset of the first frame found since the open: behind an ID3v2 tag, a
    // RIFF header or junk. Seek targets, length and the frame estimate count
    // from here.
    uint64_t AudioStart() const { return audioStart_; }

private:
    friend class CFrameRing;
    int FindHeader(FrameHeader& out);
    bool AcceptWord(uint32_t word, FrameHeader& out);
    bool DecodeAndRemember(uint32_t word, FrameHeader& out);
    bool Resync(uint32_t& word, FrameHeader& out);
    bool SkipId3Tag(uint32_t& word);
    void LookForXing(const FrameHeader& h, const uint8_t* body);
    void NoteAudioStart();
    uint64_t AudioBytes() const;
    uint32_t EstimatedFrames() const;
    // Seek targets for a share of the track in ten-thousandths (0..9999).
    static constexpr int kSeekSteps = 10000;
    bool SeekToShare(int share, CFrameRing& ring);
    void SeekTargetFromXing(int share, uint32_t& frame, uint64_t& offset) const;
    void SeekTargetConstantBitrate(int share, uint32_t& frame, uint64_t& offset) const;
    void ValidateLanding();
    void ResetSearchState();

    CInputStream& stream_;
    FrameHeader current_;
    FrameHeader previousHeader_; // decoded fields of previousWord_
    uint32_t previousWord_ = 0;
    uint32_t firstWord_ = 0;
    uint64_t audioStart_ = 0;
    bool audioStartKnown_ = false;
    XingInfo xing_;
    std::atomic<uint32_t> frameCounter_{0};
    std::atomic<uint64_t> timing_{0}; // packed average frame length and bitrate
    std::atomic<uint64_t> sourceSize_{0};
};

// The read-ahead ring of whole frames; frame f lives in slot f mod N.
class CFrameRing {
public:
    // N from the InputBuffers level 0..4: 10, 50, 100, 150, 200 frames.
    static int SlotsForLevel(int inputBuffersLevel);

    void Allocate(int slots); // raises EngineError when memory is short
    void Release();
    int Slots() const { return static_cast<int>(slots_.size()); }

    // Refills slots first..N-1 when the frame counter mod N equals first.
    void Fill(int firstSlot, CFrameReader& reader);
    // The frame of the current counter: its header becomes the reader's
    // current header and body points at its bytes. False when the slot is
    // not filled (the end of the stream).
    bool Take(CFrameReader& reader, const uint8_t*& body);

private:
    struct Slot {
        FrameHeader header;
        std::vector<uint8_t> body;
        bool filled = false;
    };
    // Where a refill that a read error broke off goes on, so the frames it
    // had read are kept: the slot, and the frame counter and stream offset
    // it stopped at (a seek changes them and starts afresh).
    struct BrokenRefill {
        int slot = -1;
        uint32_t counter = 0;
        uint64_t offset = 0;
    };
    int RefillStart(int firstSlot, const CFrameReader& reader) const;

    std::vector<Slot> slots_;
    BrokenRefill broken_;
};

} // namespace zeb
