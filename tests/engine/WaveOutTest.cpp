#include "engine/WaveOut.h"

#include "engine/EngineError.h"
#include "engine/MixerVolume.h"
#include "support/TempDir.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;

uint32_t Le32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
           static_cast<uint8_t>(s[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}

std::string Pattern(size_t n, int seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 13 + seed + i / 256) & 0xff);
    return s;
}

class WaveOutWavFile : public ::testing::Test {
protected:
    void SetUp() override {
        WaveOutConfig config;
        config.kind = CWaveOut::WavFile;
        config.wavPath = path;
        out.Configure(config);
    }
    std::string Data() const { return ReadFile(path).substr(46); }

    TempDir dir;
    std::string path = dir.File("track.wav");
    CWaveOut out;
};

TEST_F(WaveOutWavFile, FirstBlockLosesItsFirst3500Bytes) {
    const std::string first = Pattern(16384, 1);
    const std::string second = Pattern(16384, 2);
    out.Open(44100, 2, 16);
    EXPECT_EQ(out.Write(first.data(), 16384), 16384 - 3500);
    EXPECT_EQ(out.Write(second.data(), 16384), 16384);
    out.Close();

    const std::string f = ReadFile(path);
    EXPECT_EQ(Le32(f, 42), 2u * 16384 - 3500);
    EXPECT_EQ(Le32(f, 4), f.size() - 8);
    EXPECT_EQ(Data(), first.substr(3500) + second);
}

TEST_F(WaveOutWavFile, ShortFirstBlockIsKeptWhole) {
    const std::string first = Pattern(3500, 3);
    const std::string second = Pattern(5000, 4);
    out.Open(44100, 2, 16);
    EXPECT_EQ(out.Write(first.data(), 3500), 3500);
    // The trim is spent on the first block even when it kept its bytes.
    EXPECT_EQ(out.Write(second.data(), 5000), 5000);
    out.Close();
    EXPECT_EQ(Data(), first + second);
}

TEST_F(WaveOutWavFile, TrimAgainAfterSeek) {
    const std::string a = Pattern(8000, 5);
    const std::string b = Pattern(8000, 6);
    const std::string c = Pattern(8000, 7);
    out.Open(44100, 2, 16);
    out.Write(a.data(), 8000);
    out.Write(b.data(), 8000);
    out.SetFirstBlockTrim();
    out.Write(c.data(), 8000);
    out.Close();
    EXPECT_EQ(Data(), a.substr(3500) + b + c.substr(3500));
}

TEST_F(WaveOutWavFile, OpenAfterCloseReplacesTheFile) {
    const std::string a = Pattern(20000, 8);
    const std::string b = Pattern(6000, 9);
    out.Open(44100, 2, 16);
    out.Write(a.data(), 20000);
    out.Close();
    out.Open(22050, 1, 16);
    out.Write(b.data(), 6000);
    out.Close();

    const std::string f = ReadFile(path);
    EXPECT_EQ(Le32(f, 24), 22050u);
    EXPECT_EQ(Le32(f, 28), 44100u);
    EXPECT_EQ(f.substr(46), b.substr(3500));
    EXPECT_EQ(Le32(f, 42), 2500u);
}

TEST_F(WaveOutWavFile, DeviceOnlyOperationsLeaveTheFileAlone) {
    const std::string a = Pattern(9000, 12);
    out.Open(44100, 2, 16);
    out.Pause();
    EXPECT_FALSE(out.IsPaused());
    EXPECT_EQ(out.Write(a.data(), 9000), 5500);
    out.Reset();
    out.Drain();
    out.Restart();
    out.Close();
    EXPECT_EQ(Data(), a.substr(3500));
}

TEST(WaveOutOpen, UnwritableWavPathRaisesAndLeavesItClosed) {
    TempDir dir;
    WaveOutConfig config;
    config.kind = CWaveOut::WavFile;
    config.wavPath = dir.File("no/such/folder/x.wav");
    CWaveOut out;
    out.Configure(config);
    try {
        out.Open(44100, 2, 16);
        FAIL() << "opened a file in a missing folder";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), EngineError::OutputOpen);
    }
    EXPECT_FALSE(out.IsOpen());
    try {
        out.Write("abcd", 4);
        FAIL() << "a closed output took a block";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), EngineError::OutputWrite);
    }
}

TEST(WaveOutBuffers, LevelsGiveBlockSizeAndCount) {
    const int sizes[] = {16384, 16384, 16384, 32768, 32768};
    const int counts[] = {1, 4, 8, 8, 10};
    for (int level = 0; level <= 4; ++level) {
        EXPECT_EQ(CWaveOut::BlockSizeForLevel(level), sizes[level]) << level;
        EXPECT_EQ(CWaveOut::BlockCountForLevel(level), counts[level]) << level;
    }
    for (int level : {-1, 5, 100}) {
        EXPECT_EQ(CWaveOut::BlockSizeForLevel(level), 0) << level;
        EXPECT_EQ(CWaveOut::BlockCountForLevel(level), 0) << level;
    }
}

// Listing the devices loads and unloads the output modules; an ALSA error
// afterwards (a mixer on a card that does not exist) must not call into the
// unloaded code.
TEST(WaveOutDevices, ListingLeavesAlsaErrorsSafe) {
    (void)CWaveOut::DeviceNames();
    CMixerVolume volume;
    EXPECT_FALSE(volume.Open(false, 50));
}

} // namespace
} // namespace zeb
