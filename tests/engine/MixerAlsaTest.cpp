// The volume through the system mixer. Run by sound_server_test.sh, which
// starts PulseAudio with a null sink "nullsink"; ALSA's default mixer is then
// the server's, and its "Master" control moves the sink's volume.
#include "engine/AlsaMixer.h"
#include "engine/MixerVolume.h"

#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace zeb {
namespace {

std::string Run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 256> buffer;
        while (fgets(buffer.data(), buffer.size(), pipe))
            output += buffer.data();
        pclose(pipe);
    }
    return output;
}

// The sink's volume per channel in percent, as pactl shows it.
std::vector<int> SinkVolumes() {
    const std::string text = Run("pactl get-sink-volume nullsink");
    std::vector<int> percents;
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
        size_t begin = at;
        while (begin > 0 && std::isdigit(static_cast<unsigned char>(text[begin - 1])))
            --begin;
        if (begin < at)
            percents.push_back(std::stoi(text.substr(begin, at - begin)));
    }
    return percents;
}

// The sound server applies and reports volume changes asynchronously: wait,
// boundedly, until `done` holds.
template <typename Check>
bool Eventually(Check done) {
    for (int tries = 0; tries < 40; ++tries) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

bool SinkNear(const std::vector<int>& expected) {
    const auto sink = SinkVolumes();
    if (sink.size() != expected.size())
        return false;
    for (size_t i = 0; i < sink.size(); ++i) {
        if (std::abs(sink[i] - expected[i]) > 1)
            return false;
    }
    return true;
}

void SetSinkVolumes(const std::string& volumes) {
    Run("pactl set-sink-volume nullsink " + volumes);
}

class SystemMixer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("PULSE_SERVER"), nullptr) << "run through sound_server_test.sh";
        SetSinkVolumes("100%");
        ASSERT_TRUE(Eventually([] { return SinkNear({100, 100}); }));
    }
    CMixerVolume volume;
};

TEST_F(SystemMixer, SetPercentMovesTheSinkVolume) {
    ASSERT_TRUE(volume.Open(false, 0));
    volume.SetPercent(30);
    EXPECT_TRUE(Eventually([] { return SinkNear({30, 30}); }));
    EXPECT_NEAR(volume.GetPercent(), 30, 1);
}

TEST_F(SystemMixer, KeepsTheBalanceBetweenChannels) {
    SetSinkVolumes("40% 80%");
    ASSERT_TRUE(Eventually([] { return SinkNear({40, 80}); }));
    ASSERT_TRUE(volume.Open(false, 0));
    EXPECT_TRUE(Eventually([&] { return std::abs(volume.GetPercent() - 80) <= 1; }));
    volume.SetPercent(50);
    EXPECT_TRUE(Eventually([] { return SinkNear({25, 50}); }));
}

TEST_F(SystemMixer, ReadsChangesMadeByOtherPrograms) {
    ASSERT_TRUE(volume.Open(false, 0));
    EXPECT_EQ(volume.GetPercent(), 100);
    SetSinkVolumes("55%");
    EXPECT_TRUE(Eventually([&] { return std::abs(volume.GetPercent() - 55) <= 1; }));
}

TEST_F(SystemMixer, CdLineFallsBackToTheWaveLine) {
    ASSERT_TRUE(volume.Open(true, 0));
    volume.SetPercent(70);
    EXPECT_TRUE(Eventually([] { return SinkNear({70, 70}); }));
}

TEST_F(SystemMixer, MissingCardLeavesTheVolumeUnavailable) {
    EXPECT_FALSE(volume.Open(false, 50));
    EXPECT_FALSE(volume.IsAvailable());
    EXPECT_EQ(volume.GetPercent(), 0);
    volume.SetPercent(10);
    EXPECT_EQ(SinkVolumes(), (std::vector<int>{100, 100}));
}

TEST(AlsaMixerDevices, DefaultMixerComesFirst) {
    const auto names = AlsaMixer::DeviceNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "Default");
    EXPECT_EQ(AlsaMixer::DeviceAddress(0), "default");
    EXPECT_EQ(AlsaMixer::DeviceAddress(1), "hw:0");
    EXPECT_EQ(AlsaMixer::DeviceAddress(3), "hw:2");
}

} // namespace
} // namespace zeb
