#include "engine/FrameHeader.h"

#include <gtest/gtest.h>
#include <tuple>

namespace zeb {
namespace {

enum Version : uint32_t { Mpeg25 = 0, Reserved = 1, Mpeg2 = 2, Mpeg1 = 3 };

struct Fields {
    uint32_t version = Mpeg1;
    int layer = 3;
    bool crc = false;
    uint32_t bitrateIndex = 9;
    uint32_t samplingBits = 0;
    uint32_t padding = 0;
    uint32_t mode = 1;
    uint32_t modeExtension = 2;
};

uint32_t Word(const Fields& f) {
    return 0xFFE00000u | f.version << 19 | uint32_t(4 - f.layer) << 17 |
           uint32_t(f.crc ? 0 : 1) << 16 | f.bitrateIndex << 12 | f.samplingBits << 10 |
           f.padding << 9 | f.mode << 6 | f.modeExtension << 4;
}

FrameHeader Decoded(const Fields& f) {
    FrameHeader h;
    EXPECT_TRUE(DecodeHeader(Word(f), h)) << std::hex << Word(f);
    return h;
}

TEST(FrameHeaderAcceptance, RejectsEachBrokenRule) {
    FrameHeader h;
    ASSERT_TRUE(DecodeHeader(0xFFFB9064u, h)); // MPEG-1 Layer III 128 kbit/s 44100 Hz
    const uint32_t rejected[] = {
        0xFFDB9064u, // a sync bit clear
        0xFFF99064u, // layer bits 00
        0xFFFBF064u, // bitrate index 15
        0xFFFB9C64u, // sampling index 3
        0xFFFE9064u, // MPEG-1 Layer I with CRC
        0xFFFB0064u, // free format
    };
    for (uint32_t word : rejected)
        EXPECT_FALSE(DecodeHeader(word, h)) << std::hex << word;
}

TEST(FrameHeaderAcceptance, Layer1WithCrcIsTheOnlyProtectedLayerRefused) {
    FrameHeader h;
    EXPECT_FALSE(DecodeHeader(Word({.layer = 1, .crc = true}), h));
    EXPECT_TRUE(DecodeHeader(Word({.layer = 1, .crc = false}), h));
    EXPECT_TRUE(DecodeHeader(Word({.layer = 2, .crc = true}), h));
    EXPECT_TRUE(DecodeHeader(Word({.version = Mpeg2, .layer = 1, .crc = true}), h));
    EXPECT_EQ(h.errorProtection, 1);
}

TEST(FrameHeaderAcceptance, FreeFormatIsToldApartFromOtherRejections) {
    EXPECT_TRUE(IsFreeFormatHeader(Word({.bitrateIndex = 0})));
    EXPECT_FALSE(IsFreeFormatHeader(Word({.bitrateIndex = 9})));
    EXPECT_FALSE(IsFreeFormatHeader(0xFFFE0064u)); // refused as Layer I with CRC first
    EXPECT_FALSE(IsFreeFormatHeader(0x7FFB0064u));
}

TEST(FrameHeaderAcceptance, FailureLeavesTheRecordAndSuccessKeepsTheMixingChoice) {
    FrameHeader h;
    ASSERT_TRUE(DecodeHeader(0xFFFB9064u, h));
    h.mixingSelection = 3;
    const FrameHeader before = h;
    EXPECT_FALSE(DecodeHeader(0xFFFBF064u, h));
    EXPECT_EQ(h.word, before.word);
    EXPECT_EQ(h.bodySize, before.bodySize);
    ASSERT_TRUE(DecodeHeader(Word({.version = Mpeg2, .mode = 3}), h));
    EXPECT_EQ(h.mixingSelection, 3);
    EXPECT_EQ(h.channels, 1);
}

TEST(FrameHeaderFields, VersionsAndSamplingRates) {
    FrameHeader h = Decoded({.version = Mpeg1, .samplingBits = 2});
    EXPECT_EQ(std::make_tuple(h.lsf, h.mpeg25, SamplingRateOf(h)), std::make_tuple(0, 0, 32000));
    h = Decoded({.version = Mpeg2, .samplingBits = 1});
    EXPECT_EQ(std::make_tuple(h.lsf, h.mpeg25, SamplingRateOf(h)), std::make_tuple(1, 0, 24000));
    h = Decoded({.version = Mpeg25, .samplingBits = 2});
    EXPECT_EQ(std::make_tuple(h.lsf, h.mpeg25, SamplingRateOf(h)), std::make_tuple(1, 1, 8000));
    // The reserved version code is read as MPEG-2.5.
    h = Decoded({.version = Reserved, .samplingBits = 0});
    EXPECT_EQ(std::make_tuple(h.lsf, h.mpeg25, SamplingRateOf(h)), std::make_tuple(1, 1, 11025));
    EXPECT_EQ(SamplingRateOf(9), 0);
}

TEST(FrameHeaderFields, HeaderBitsAsStored) {
    FrameHeader h;
    ASSERT_TRUE(DecodeHeader(0xFFFD9BFEu, h)); // Layer II, no CRC, padded, every low bit set
    EXPECT_EQ(h.layer, 2);
    EXPECT_EQ(h.errorProtection, 0);
    EXPECT_EQ(h.bitrateIndex, 9);
    EXPECT_EQ(h.samplingIndex, 2);
    EXPECT_EQ(h.padding, 1);
    EXPECT_EQ(h.extension, 1);
    EXPECT_EQ(h.mode, 3);
    EXPECT_EQ(h.channels, 1);
    EXPECT_EQ(h.modeExtension, 3);
    EXPECT_EQ(h.copyright, 1);
    EXPECT_EQ(h.original, 1);
    EXPECT_EQ(h.emphasis, 2);
    EXPECT_EQ(h.word, 0xFFFD9BFEu);
}

// The Layer II and III rows are checked against real files; no encoder
// writes Layer I.
TEST(FrameHeaderFields, Layer1BitratesAndTableEdges) {
    EXPECT_EQ(BitrateKbps(0, 1, 14), 448);
    EXPECT_EQ(BitrateKbps(1, 1, 9), 144);
    EXPECT_EQ(BitrateKbps(1, 1, 14), 256);
    EXPECT_EQ(BitrateKbps(0, 3, 15), 0);
    EXPECT_EQ(BitrateKbps(0, 4, 1), 0);
}

TEST(FrameHeaderSizes, BodySizePerLayerAndVersion) {
    EXPECT_EQ(Decoded({.layer = 1, .bitrateIndex = 1}).bodySize, 28); // 32k 44.1k
    EXPECT_EQ(Decoded({.layer = 1, .bitrateIndex = 1, .padding = 1}).bodySize, 32);
    EXPECT_EQ(Decoded({.layer = 1, .bitrateIndex = 14, .samplingBits = 2}).bodySize, 668);
    EXPECT_EQ(Decoded({.layer = 2, .bitrateIndex = 10}).bodySize, 622); // 192k
    EXPECT_EQ(Decoded({.layer = 3, .bitrateIndex = 9}).bodySize, 413);  // 128k
    EXPECT_EQ(Decoded({.layer = 3, .bitrateIndex = 9, .padding = 1}).bodySize, 414);
    EXPECT_EQ(Decoded({.version = Mpeg2, .bitrateIndex = 8}).bodySize, 204); // 64k 22.05k
    EXPECT_EQ(Decoded({.version = Mpeg25, .bitrateIndex = 4, .samplingBits = 2}).bodySize, 284);
    EXPECT_EQ(Decoded({.version = Mpeg2, .layer = 2, .bitrateIndex = 1}).bodySize, 48); // 8k 22.05k
}

TEST(FrameHeaderSizes, FramesLongerThanASlotAreRefused) {
    FrameHeader h;
    // MPEG-2.5 Layer II at 8000 Hz: 96 kbit/s fits, 112 kbit/s would need 2012 bytes.
    EXPECT_TRUE(DecodeHeader(
        Word({.version = Mpeg25, .layer = 2, .bitrateIndex = 10, .samplingBits = 2}), h));
    EXPECT_LE(h.bodySize, kMaxFrameBody);
    EXPECT_FALSE(DecodeHeader(
        Word({.version = Mpeg25, .layer = 2, .bitrateIndex = 11, .samplingBits = 2}), h));
    // The longest MPEG-1 frames fit.
    EXPECT_TRUE(
        DecodeHeader(Word({.layer = 2, .bitrateIndex = 14, .samplingBits = 2, .padding = 1}), h));
    EXPECT_TRUE(
        DecodeHeader(Word({.layer = 3, .bitrateIndex = 14, .samplingBits = 2, .padding = 1}), h));
}

TEST(FrameHeaderSizes, Layer2SubbandLimitFollowsTheAllocationTable) {
    auto limit = [](Fields f) { return Decoded(f).layer2SubbandLimit; };
    // 44100 Hz stereo: 48 kbit/s per channel or less → 8, up to 80 → 27, more → 30.
    EXPECT_EQ(limit({.layer = 2, .bitrateIndex = 6, .mode = 0}), 8);   // 96k
    EXPECT_EQ(limit({.layer = 2, .bitrateIndex = 8, .mode = 0}), 27);  // 128k
    EXPECT_EQ(limit({.layer = 2, .bitrateIndex = 10, .mode = 0}), 30); // 192k
    // Mono counts the whole bitrate for its one channel.
    EXPECT_EQ(limit({.layer = 2, .bitrateIndex = 2, .mode = 3}), 8);  // 48k
    EXPECT_EQ(limit({.layer = 2, .bitrateIndex = 6, .mode = 3}), 30); // 96k
    // 48000 Hz never uses the 30-subband table; 32000 Hz has its own low-rate table.
    EXPECT_EQ(limit({.layer = 2, .bitrateIndex = 14, .samplingBits = 1, .mode = 0}), 27);
    EXPECT_EQ(limit({.layer = 2, .bitrateIndex = 4, .samplingBits = 1, .mode = 0}), 8);
    EXPECT_EQ(limit({.layer = 2, .bitrateIndex = 4, .samplingBits = 2, .mode = 0}), 12);
    EXPECT_EQ(limit({.layer = 2, .bitrateIndex = 10, .samplingBits = 2, .mode = 0}), 30);
    EXPECT_EQ(limit({.version = Mpeg2, .layer = 2, .bitrateIndex = 1}), 30);
}

TEST(FrameHeaderSizes, JointStereoBound) {
    EXPECT_EQ(Decoded({.layer = 1, .mode = 1, .modeExtension = 2}).jointStereoBound, 12);
    EXPECT_EQ(Decoded({.layer = 1, .mode = 0}).jointStereoBound, 32);
    EXPECT_EQ(
        Decoded({.layer = 2, .bitrateIndex = 10, .mode = 1, .modeExtension = 0}).jointStereoBound,
        4);
    EXPECT_EQ(Decoded({.layer = 2, .bitrateIndex = 8, .mode = 2}).jointStereoBound, 27);
}

TEST(FrameHeaderSizes, Layer3SideInformation) {
    EXPECT_EQ(Decoded({.mode = 0}).sideInfoSize, 32);
    EXPECT_EQ(Decoded({.mode = 3}).sideInfoSize, 17);
    EXPECT_EQ(Decoded({.crc = true, .mode = 0}).sideInfoSize, 34);
    EXPECT_EQ(Decoded({.crc = true, .mode = 3}).sideInfoSize, 19);
    EXPECT_EQ(Decoded({.version = Mpeg2, .mode = 1}).sideInfoSize, 17);
    EXPECT_EQ(Decoded({.version = Mpeg25, .mode = 3}).sideInfoSize, 9);
    EXPECT_EQ(Decoded({.version = Mpeg2, .crc = true, .mode = 3}).sideInfoSize, 11);
    EXPECT_EQ(Decoded({.layer = 2, .bitrateIndex = 8}).sideInfoSize, 0);
}

} // namespace
} // namespace zeb
