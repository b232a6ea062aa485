#include "engine/MixerVolume.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace zeb {
namespace {

// A mixer line held in memory; the test keeps a view of its state.
struct FakeLine {
    bool present = true;
    long min = 0;
    long max = 65535;
    std::vector<long> values{0, 0};
    bool readable = true;
    int opens = 0;
    int lastDevice = -1;
    MixerBackend::LineKind lastKind = MixerBackend::LineKind::WaveOutput;
    int writes = 0;
};

class FakeMixer : public MixerBackend {
public:
    explicit FakeMixer(FakeLine& line) : line_(line) {}
    bool OpenLine(int device, LineKind kind) override {
        ++line_.opens;
        line_.lastDevice = device;
        line_.lastKind = kind;
        return line_.present;
    }
    void Close() override {}
    int Channels() const override { return static_cast<int>(line_.values.size()); }
    long Min() const override { return line_.min; }
    long Max() const override { return line_.max; }
    std::optional<std::vector<long>> ReadValues() override {
        if (!line_.readable)
            return std::nullopt;
        return line_.values;
    }
    bool WriteValues(const std::vector<long>& values) override {
        ++line_.writes;
        line_.values = values;
        return true;
    }

private:
    FakeLine& line_;
};

class MixerVolumeArithmetic : public ::testing::Test {
protected:
    CMixerVolume& Opened() {
        EXPECT_TRUE(volume.Open(false, 0));
        return volume;
    }
    FakeLine line;
    CMixerVolume volume{std::make_unique<FakeMixer>(line)};
};

TEST_F(MixerVolumeArithmetic, KeepsTheRatioBetweenChannels) {
    line.values = {30000, 60000};
    Opened().SetPercent(50);
    EXPECT_EQ(line.values, (std::vector<long>{16383, 32767}));
    EXPECT_EQ(volume.GetPercent(), 49); // 32767 * 100 / 65535, truncated
}

TEST_F(MixerVolumeArithmetic, ZeroPercentKeepsAThousandthOfTheRange) {
    line.values = {65535, 65535};
    Opened().SetPercent(0);
    EXPECT_EQ(line.values, (std::vector<long>{65, 65}));
    line.values = {30000, 60000};
    volume.SetPercent(0);
    EXPECT_EQ(line.values, (std::vector<long>{32, 65}));
}

TEST_F(MixerVolumeArithmetic, SilentChannelsAllGetTheTarget) {
    line.values = {0, 0};
    Opened().SetPercent(40);
    EXPECT_EQ(line.values, (std::vector<long>{26214, 26214}));
    EXPECT_EQ(volume.GetPercent(), 40);
}

TEST_F(MixerVolumeArithmetic, TargetStartsAtTheMinimum) {
    line.min = 1000;
    line.max = 3000;
    line.values = {1500, 3000};
    Opened().SetPercent(50);
    // target 2000; 1500 / 3000 of it and all of it
    EXPECT_EQ(line.values, (std::vector<long>{1000, 2000}));
    EXPECT_EQ(volume.GetPercent(), 50);
    volume.SetPercent(100);
    EXPECT_EQ(line.values, (std::vector<long>{1500, 3000}));
    EXPECT_EQ(volume.GetPercent(), 100);
}

TEST_F(MixerVolumeArithmetic, PeakBelowTheMinimumCountsAsTheMinimum) {
    line.min = 100;
    line.max = 1100;
    line.values = {10, 50};
    Opened();
    EXPECT_EQ(volume.GetPercent(), 0);
    volume.SetPercent(50); // target 600, peak taken as 100
    EXPECT_EQ(line.values, (std::vector<long>{60, 300}));
}

TEST_F(MixerVolumeArithmetic, ZeroChannelsReadAsZeroAndSetNothing) {
    line.values = {};
    Opened().SetPercent(70);
    EXPECT_TRUE(line.values.empty());
    EXPECT_EQ(volume.GetPercent(), 0);
}

TEST_F(MixerVolumeArithmetic, UnreadableControlChangesNothing) {
    line.values = {1000, 2000};
    Opened();
    line.readable = false;
    volume.SetPercent(80);
    EXPECT_EQ(line.writes, 0);
    EXPECT_EQ(volume.GetPercent(), 0);
}

TEST(MixerVolumeAvailability, MissingLineIsUnavailable) {
    FakeLine line;
    line.present = false;
    line.values = {5000, 5000};
    CMixerVolume volume(std::make_unique<FakeMixer>(line));
    EXPECT_FALSE(volume.Open(false, 0));
    EXPECT_FALSE(volume.IsAvailable());
    volume.SetPercent(90);
    EXPECT_EQ(line.writes, 0);
    EXPECT_EQ(volume.GetPercent(), 0);
}

TEST(MixerVolumeAvailability, ModeChoosesTheLineAndCloseEndsIt) {
    FakeLine line;
    line.values = {65535, 65535};
    CMixerVolume volume(std::make_unique<FakeMixer>(line));
    EXPECT_TRUE(volume.Open(true, 3));
    EXPECT_EQ(line.lastKind, MixerBackend::LineKind::CdAudio);
    EXPECT_EQ(line.lastDevice, 3);
    EXPECT_TRUE(volume.Open(false, 0));
    EXPECT_EQ(line.lastKind, MixerBackend::LineKind::WaveOutput);
    EXPECT_EQ(volume.GetPercent(), 100);
    volume.Close();
    EXPECT_FALSE(volume.IsAvailable());
    EXPECT_EQ(volume.GetPercent(), 0);
    volume.SetPercent(10);
    EXPECT_EQ(line.writes, 0);
}

} // namespace
} // namespace zeb
