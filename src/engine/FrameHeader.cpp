#include "engine/FrameHeader.h"

namespace zeb {

namespace {

constexpr int kSamplingRates[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};

// kbit/s by [lsf][layer - 1][bitrate index]; MPEG-1 rows, then MPEG-2 rows.
constexpr int kBitrates[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};

constexpr int kSubbands = 32;

uint32_t Bits(uint32_t word, int shift, uint32_t mask) {
    return (word >> shift) & mask;
}

// Rules that reject a word before its bitrate index is looked at.
bool PassesSyncRules(uint32_t word) {
    if ((word & 0xFFE00000u) != 0xFFE00000u)
        return false;
    if (Bits(word, 17, 3) == 0)
        return false;
    if (Bits(word, 12, 15) == 15)
        return false;
    if (Bits(word, 10, 3) == 3)
        return false;
    return (word >> 16) != 0xFFFEu;
}

// The Layer II subband limit of the allocation table the bit rate per
// channel selects: MPEG-1 uses the four tables of the ISO standard (27, 30, 8
// or 12 subbands), the half-rate extensions use their single table (30).
int Layer2SubbandLimit(const FrameHeader& h) {
    if (h.lsf)
        return 30;
    const int perChannel = BitrateKbps(h) / h.channels;
    const bool lowRate = perChannel <= 48;
    switch (h.samplingIndex) {
    case 1: // 48000 Hz
        return lowRate ? 8 : 27;
    case 2: // 32000 Hz
        return lowRate ? 12 : perChannel <= 80 ? 27 : 30;
    default: // 44100 Hz
        return lowRate ? 8 : perChannel <= 80 ? 27 : 30;
    }
}

int JointStereoBound(const FrameHeader& h, int otherwise) {
    return h.mode == 1 ? 4 * h.modeExtension + 4 : otherwise;
}

int LayerIIISideInfoSize(const FrameHeader& h) {
    int size = h.lsf ? (h.channels == 1 ? 9 : 17) : (h.channels == 1 ? 17 : 32);
    return size + (h.errorProtection ? 2 : 0);
}

void ExtractFields(uint32_t word, FrameHeader& h) {
    h.word = word;
    if (Bits(word, 20, 1)) {
        h.mpeg25 = 0;
        h.lsf = Bits(word, 19, 1) ? 0 : 1;
    } else {
        h.mpeg25 = 1;
        h.lsf = 1;
    }
    h.layer = 4 - static_cast<int>(Bits(word, 17, 3));
    h.errorProtection = Bits(word, 16, 1) ? 0 : 1;
    h.bitrateIndex = static_cast<int>(Bits(word, 12, 15));
    h.samplingIndex = static_cast<int>(Bits(word, 10, 3)) + (h.mpeg25 ? 6 : 3 * h.lsf);
    h.padding = static_cast<int>(Bits(word, 9, 1));
    h.extension = static_cast<int>(Bits(word, 8, 1));
    h.mode = static_cast<int>(Bits(word, 6, 3));
    h.modeExtension = static_cast<int>(Bits(word, 4, 3));
    h.copyright = static_cast<int>(Bits(word, 3, 1));
    h.original = static_cast<int>(Bits(word, 2, 1));
    h.emphasis = static_cast<int>(Bits(word, 0, 3));
    h.channels = h.mode == 3 ? 1 : 2;
    h.downSampleLimit = kSubbands;
}

void SizeBody(FrameHeader& h) {
    const int bitrate = BitrateKbps(h);
    const int rate = SamplingRateOf(h);
    h.layer2SubbandLimit = 0;
    h.sideInfoSize = 0;
    h.jointStereoBound = 0;
    switch (h.layer) {
    case 1:
        h.jointStereoBound = JointStereoBound(h, kSubbands);
        h.bodySize = (bitrate * 12000 / rate + h.padding) * 4 - 4;
        break;
    case 2:
        h.layer2SubbandLimit = Layer2SubbandLimit(h);
        h.jointStereoBound = JointStereoBound(h, h.layer2SubbandLimit);
        h.bodySize = bitrate * 144000 / rate + h.padding - 4;
        break;
    default:
        h.sideInfoSize = LayerIIISideInfoSize(h);
        h.bodySize = bitrate * 144000 / (rate << h.lsf) + h.padding - 4;
        break;
    }
}

} // namespace

int SamplingRateOf(int samplingIndex) {
    return samplingIndex >= 0 && samplingIndex < 9 ? kSamplingRates[samplingIndex] : 0;
}

int BitrateKbps(int lsf, int layer, int bitrateIndex) {
    if (lsf < 0 || lsf > 1 || layer < 1 || layer > 3 || bitrateIndex < 0 || bitrateIndex > 14)
        return 0;
    return kBitrates[lsf][layer - 1][bitrateIndex];
}

bool IsFreeFormatHeader(uint32_t word) {
    return PassesSyncRules(word) && Bits(word, 12, 15) == 0;
}

bool DecodeHeader(uint32_t word, FrameHeader& out) {
    if (!PassesSyncRules(word) || Bits(word, 12, 15) == 0)
        return false;
    FrameHeader h = out;
    ExtractFields(word, h);
    SizeBody(h);
    if (h.bodySize > kMaxFrameBody)
        return false;
    out = h;
    return true;
}

} // namespace zeb
