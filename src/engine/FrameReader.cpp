#include "engine/FrameReader.h"

#include "engine/EngineError.h"
#include "engine/InputStream.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <new>

namespace zeb {

namespace {

constexpr uint32_t kRiffWord = 0x52494646; // "RIFF"
constexpr uint32_t kId3Prefix = 0x494433;  // "ID3", the first three bytes of a word
constexpr uint32_t kXingWord = 0x58696E67; // "Xing"
// From the end of "RIFF" to byte 70, where the MPEG data of a RIFF WAVE file
// with a 30-byte format chunk and a fact chunk begins.
constexpr uint64_t kRiffSkip = 66;
constexpr uint64_t kId3FlagsSkip = 2;
constexpr int kResyncLimit = 65536;
constexpr int kTocSize = 100;

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint64_t SyncsafeSize(uint32_t word) {
    return (word >> 24 & 0x7F) << 21 | (word >> 16 & 0x7F) << 14 | (word >> 8 & 0x7F) << 7 |
           (word & 0x7F);
}

// The unpadded frame length plus one byte: the mean length of a stream whose
// frames are padded as the standard requires.
uint64_t AverageFrameLength(const FrameHeader& h) {
    return static_cast<uint64_t>(h.bodySize + 4 - h.padding + 1);
}

// The timing of the current header, packed into one word so that another
// thread reads a consistent pair without a lock.
struct Timing {
    uint64_t averageLength = 0;
    uint32_t bitrate = 0;

    uint64_t Pack() const { return averageLength << 32 | bitrate; }
    static Timing Unpack(uint64_t packed) {
        return {packed >> 32, static_cast<uint32_t>(packed & 0xFFFFFFFFu)};
    }
    double MsPerFrame() const { return double(averageLength) * 8.0 / double(bitrate); }
};

int TruncateMs(double ms) {
    return ms >= double(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

} // namespace

CFrameReader::CFrameReader(CInputStream& stream) : stream_(stream) {}

void CFrameReader::ResetSearchState() {
    previousWord_ = 0;
    previousHeader_ = FrameHeader{};
    firstWord_ = 0;
    SetFrameCounter(0);
}

void CFrameReader::ResetForOpen() {
    ResetSearchState();
    audioStart_ = 0;
    audioStartKnown_ = false;
    xing_ = XingInfo{};
    timing_.store(0);
    sourceSize_.store(0);
}

bool CFrameReader::Rewind() {
    if (!stream_.SeekTo(0))
        return false;
    ResetSearchState();
    return true;
}

bool CFrameReader::DecodeAndRemember(uint32_t word, FrameHeader& out) {
    if (!DecodeHeader(word, out)) {
        if (IsFreeFormatHeader(word))
            previousWord_ = 0;
        return false;
    }
    previousWord_ = word;
    previousHeader_ = out;
    return true;
}

bool CFrameReader::AcceptWord(uint32_t word, FrameHeader& out) {
    if (word != 0 && word == previousWord_) {
        const int mixing = out.mixingSelection;
        out = previousHeader_;
        out.mixingSelection = mixing;
        return true;
    }
    return DecodeAndRemember(word, out);
}

// Shifts one byte at a time into the 4-byte window until a header decodes.
bool CFrameReader::Resync(uint32_t& word, FrameHeader& out) {
    for (int i = 0; i < kResyncLimit; ++i) {
        uint8_t byte = 0;
        if (stream_.ReadByte(byte) == 0)
            return false;
        word = word << 8 | byte;
        if (DecodeAndRemember(word, out))
            return true;
    }
    return false;
}

// Called with "ID3" and the major version read; leaves the first word behind
// the tag in `word`.
bool CFrameReader::SkipId3Tag(uint32_t& word) {
    uint32_t size = 0;
    if (!stream_.Skip(kId3FlagsSkip) || !stream_.ReadWord(size))
        return false;
    return stream_.Skip(SyncsafeSize(size)) && stream_.ReadWord(word);
}

int CFrameReader::ReadHeader(FrameHeader& out) {
    const int result = FindHeader(out);
    if (result != 0 && !audioStartKnown_)
        NoteAudioStart();
    return result;
}

int CFrameReader::FindHeader(FrameHeader& out) {
    uint32_t word = 0;
    if (!stream_.ReadWord(word))
        return 0;
    int counter = 1;
    for (;;) {
        if (AcceptWord(word, out))
            return counter;
        ++counter;
        if (firstWord_ != 0)
            return Resync(word, out) ? counter : 0;
        if (word == kRiffWord) {
            if (!stream_.Skip(kRiffSkip) || !stream_.ReadWord(word))
                return 0;
            continue;
        }
        if (word >> 8 == kId3Prefix) {
            if (!SkipId3Tag(word))
                return 0;
            continue;
        }
        if (!Resync(word, out))
            return 0;
        firstWord_ = out.word;
        return counter;
    }
}

// The header just found stands 4 bytes before the read position.
void CFrameReader::NoteAudioStart() {
    const uint64_t offset = stream_.Offset();
    audioStart_ = offset >= 4 ? offset - 4 : 0;
    audioStartKnown_ = true;
}

// The bytes from the first frame to the end of the source; 0 when the size
// is not known.
uint64_t CFrameReader::AudioBytes() const {
    const uint64_t size = stream_.Size();
    return size > audioStart_ ? size - audioStart_ : 0;
}

bool CFrameReader::ReadBody(const FrameHeader& h, uint8_t* buffer) {
    if (h.bodySize <= 0 || !stream_.ReadBody(buffer, static_cast<size_t>(h.bodySize)))
        return false;
    if (xing_.state == XingState::NotLookedFor)
        LookForXing(h, buffer);
    return true;
}

// Fields that the flags announce but that do not fit in the body are taken
// as absent.
void CFrameReader::LookForXing(const FrameHeader& h, const uint8_t* body) {
    xing_ = XingInfo{};
    xing_.state = XingState::Absent;
    if (h.layer != 3)
        return;
    const size_t end = static_cast<size_t>(h.bodySize);
    size_t pos = static_cast<size_t>(h.sideInfoSize);
    auto next32 = [&](uint32_t& value) {
        if (pos + 4 > end)
            return false;
        value = BigEndian32(body + pos);
        pos += 4;
        return true;
    };
    uint32_t tag = 0;
    if (!next32(tag) || tag != kXingWord)
        return;
    xing_.state = XingState::Found;
    uint32_t flags = 0;
    if (!next32(flags))
        return;
    if (flags & 1)
        xing_.hasFrames = next32(xing_.frames);
    if (flags & 2)
        xing_.hasBytes = next32(xing_.bytes);
    if ((flags & 4) && pos + kTocSize <= end) {
        std::memcpy(xing_.toc.data(), body + pos, kTocSize);
        xing_.hasToc = true;
    }
}

void CFrameReader::PublishTiming() {
    Timing t;
    t.bitrate = static_cast<uint32_t>(BitrateKbps(current_));
    t.averageLength = t.bitrate ? AverageFrameLength(current_) : 0;
    sourceSize_.store(AudioBytes());
    timing_.store(t.Pack());
}

int CFrameReader::LengthMs() const {
    const Timing t = Timing::Unpack(timing_.load());
    const uint64_t size = sourceSize_.load();
    if (t.bitrate == 0 || t.averageLength == 0)
        return 0;
    const uint64_t frames = size / t.averageLength;
    return TruncateMs(t.MsPerFrame() * double(frames));
}

int CFrameReader::PositionMs() const {
    const Timing t = Timing::Unpack(timing_.load());
    if (t.bitrate == 0)
        return 0;
    return TruncateMs(t.MsPerFrame() * double(FrameCounter()));
}

// Frames in the source if every frame were as long as the current one.
uint32_t CFrameReader::EstimatedFrames() const {
    return static_cast<uint32_t>(AudioBytes() / AverageFrameLength(current_));
}

// The table of contents and the byte count describe the stream from its
// first frame (the Xing frame) on. A missing frame count falls back to the
// constant-bitrate estimate, a missing byte count to the bytes from the first
// frame to the end, a missing table of contents to a straight line through
// those bytes.
void CFrameReader::SeekTargetFromXing(int share, uint32_t& frame, uint64_t& offset) const {
    const uint64_t frames = xing_.hasFrames ? xing_.frames : EstimatedFrames();
    const uint64_t bytes = xing_.hasBytes ? xing_.bytes : AudioBytes();
    frame = static_cast<uint32_t>(uint64_t(share) * frames / kSeekSteps);
    if (xing_.hasToc) {
        // Between two entries of the table the offset runs in a straight line.
        const size_t entry = static_cast<size_t>(share / 100);
        const uint64_t from = xing_.toc[entry];
        const uint64_t to = entry + 1 < std::size(xing_.toc) ? xing_.toc[entry + 1] : 256;
        const uint64_t within = uint64_t(share % 100);
        const uint64_t scaled = from * 100 + (to > from ? (to - from) * within : 0);
        offset = audioStart_ + scaled * bytes / (256 * 100);
    } else {
        offset = audioStart_ + bytes * uint64_t(share) / kSeekSteps;
    }
}

// The byte offset steps by the body size (the frame length less its header),
// as the player always has, from the first frame on.
void CFrameReader::SeekTargetConstantBitrate(int share, uint32_t& frame, uint64_t& offset) const {
    frame = static_cast<uint32_t>(uint64_t(EstimatedFrames()) * uint64_t(share) / kSeekSteps);
    const uint64_t step = static_cast<uint64_t>(current_.bodySize > 0 ? current_.bodySize : 0);
    offset = audioStart_ + uint64_t(frame) * step;
}

// Skips frames until one whose header stood where the frame before it ended
// has been skipped, so that reading goes on at a frame boundary.
void CFrameReader::ValidateLanding() {
    int r = ReadHeader(current_);
    while (r != 0) {
        if (!stream_.Skip(static_cast<uint64_t>(current_.bodySize)))
            break;
        AdvanceFrameCounter();
        if (r == 1)
            break;
        r = ReadHeader(current_);
    }
}

bool CFrameReader::SeekPercent(int p, CFrameRing& ring) {
    if (p > 99)
        return false;
    return SeekToShare(std::max(p, 0) * (kSeekSteps / 100), ring);
}

bool CFrameReader::SeekMs(int ms, CFrameRing& ring) {
    const Timing t = Timing::Unpack(timing_.load());
    const bool xingFrames = xing_.state == XingState::Found && xing_.hasFrames;
    const double frames = double(xingFrames ? xing_.frames : EstimatedFrames());
    const double lengthMs = t.bitrate == 0 ? 0.0 : t.MsPerFrame() * frames;
    const double share = lengthMs > 0 ? double(std::max(ms, 0)) / lengthMs : 0.0;
    return SeekToShare(int(std::min(share * kSeekSteps, double(kSeekSteps - 1))), ring);
}

bool CFrameReader::SeekToShare(int share, CFrameRing& ring) {
    uint32_t frame = 0;
    uint64_t offset = 0;
    if (xing_.state == XingState::Found)
        SeekTargetFromXing(share, frame, offset);
    else
        SeekTargetConstantBitrate(share, frame, offset);
    if (!stream_.SeekTo(offset))
        return false;
    if (offset == 0)
        firstWord_ = 0;
    SetFrameCounter(frame);
    // A read failure while landing or refilling does not fail the seek: the
    // slots the refill did not reach are left empty, so playback ends there.
    try {
        ValidateLanding();
    } catch (const EngineError&) {
    }
    const int n = ring.Slots();
    if (n > 0 && FrameCounter() % uint32_t(n) != 0) {
        try {
            ring.Fill(static_cast<int>(FrameCounter() % uint32_t(n)), *this);
        } catch (const EngineError&) {
        }
    }
    return true;
}

int CFrameRing::SlotsForLevel(int inputBuffersLevel) {
    static constexpr int kSlots[] = {10, 50, 100, 150, 200};
    if (inputBuffersLevel < 0 || inputBuffersLevel >= int(std::size(kSlots)))
        return kSlots[2];
    return kSlots[inputBuffersLevel];
}

void CFrameRing::Allocate(int slots) {
    if (slots <= 0)
        throw EngineError(EngineError::RingAlloc, "frame ring without slots");
    // A slot's body grows to the longest frame it has held, so a stream of
    // short frames does not keep the room of the longest possible ones.
    try {
        slots_ = std::vector<Slot>(static_cast<size_t>(slots));
    } catch (const std::bad_alloc&) {
        throw EngineError(EngineError::RingAlloc, "frame ring cannot be allocated");
    }
}

void CFrameRing::Release() {
    std::vector<Slot>().swap(slots_);
    broken_ = {};
}

int CFrameRing::RefillStart(int firstSlot, const CFrameReader& reader) const {
    bool resume = broken_.slot > firstSlot && broken_.counter == reader.FrameCounter() &&
                  broken_.offset == reader.stream_.Offset();
    return resume ? broken_.slot : firstSlot;
}

// Every slot from `firstSlot` on is marked empty before reading, so a read
// error that ends the refill early never leaves an old frame marked as new.
// The next call goes on behind the frames read before the error.
void CFrameRing::Fill(int firstSlot, CFrameReader& reader) {
    const int n = Slots();
    if (firstSlot < 0 || firstSlot >= n ||
        reader.FrameCounter() % uint32_t(n) != uint32_t(firstSlot))
        return;
    const int start = RefillStart(firstSlot, reader);
    broken_ = {};
    for (int s = start; s < n; ++s)
        slots_[size_t(s)].filled = false;
    for (int s = start; s < n; ++s) {
        Slot& slot = slots_[size_t(s)];
        try {
            if (reader.ReadHeader(reader.current_) == 0)
                return;
        } catch (const EngineError&) {
            broken_ = {s, reader.FrameCounter(), reader.stream_.Offset()};
            throw;
        }
        slot.header = reader.current_;
        try {
            slot.body.resize(static_cast<size_t>(std::max(0, slot.header.bodySize)));
        } catch (const std::bad_alloc&) {
            throw EngineError(EngineError::RingAlloc, "frame ring cannot be allocated");
        }
        if (!reader.ReadBody(slot.header, slot.body.data()))
            return;
        slot.filled = true;
    }
}

bool CFrameRing::Take(CFrameReader& reader, const uint8_t*& body) {
    const int n = Slots();
    if (n == 0)
        return false;
    const Slot& slot = slots_[reader.FrameCounter() % uint32_t(n)];
    if (!slot.filled)
        return false;
    reader.current_ = slot.header;
    body = slot.body.data();
    return true;
}

} // namespace zeb
