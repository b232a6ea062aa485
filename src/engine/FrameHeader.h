#pragma once

#include <cstdint>

namespace zeb {

// The decoded form of one 4-byte MPEG audio frame header.
struct FrameHeader {
    uint32_t word = 0;        // the header as read, big-endian
    int bodySize = 0;         // frame length minus the 4 header bytes
    int channels = 0;         // 1 for single channel (mode 3), else 2
    int jointStereoBound = 0; // Layer I and II decoder input
    int mixingSelection = -1; // -1 normal, 3 mix both channels to one
    int layer2SubbandLimit = 0;
    int lsf = 0;    // 1 for MPEG-2 and MPEG-2.5
    int mpeg25 = 0; // 1 for MPEG-2.5
    int downSampleLimit = 0;
    int layer = 0;           // 1, 2 or 3
    int errorProtection = 0; // 1 when a 16-bit CRC follows the header
    int bitrateIndex = 0;    // 1..14
    int samplingIndex = 0;   // 0..8
    int padding = 0;
    int extension = 0;
    int mode = 0;
    int modeExtension = 0;
    int copyright = 0;
    int original = 0;
    int emphasis = 0;
    int sideInfoSize = 0; // Layer III side information, with the CRC's 2 bytes

    int FrameLength() const { return bodySize + 4; }
};

// The slot size of the frame ring; longer frames are not accepted.
constexpr int kMaxFrameBody = 1792;

// Sampling rate in Hz of a sampling index 0..8 (44100, 48000, 32000, 22050,
// 24000, 16000, 11025, 12000, 8000); 0 for other values.
int SamplingRateOf(int samplingIndex);
// Bitrate in kbit/s from the standard tables; MPEG-2.5 uses the MPEG-2 rows.
int BitrateKbps(int lsf, int layer, int bitrateIndex);
inline int BitrateKbps(const FrameHeader& h) {
    return BitrateKbps(h.lsf, h.layer, h.bitrateIndex);
}
inline int SamplingRateOf(const FrameHeader& h) {
    return SamplingRateOf(h.samplingIndex);
}

// The acceptance test and field extraction for one header word. Does not
// touch any reader state (see CFrameReader for the previous-word rules).
// A word whose body would not fit a ring slot (kMaxFrameBody) is rejected.
// On success every header field of `out` is set; its mixing selection, a
// playback choice, is kept. On failure `out` is left as it was.
bool DecodeHeader(uint32_t word, FrameHeader& out);
// True for a free-format word (bitrate index 0) that passes every other
// acceptance rule; the reader forgets its previous header on such a word.
bool IsFreeFormatHeader(uint32_t word);

} // namespace zeb
