#include "cd/MciInterpreter.h"

#include "cd/CdDrive.h"
#include "cd/CdImage.h"
#include "support/TempDir.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace zeb {
namespace {

using test::CdImage;
using namespace std::chrono_literals;

// Sectors of the test disc: three audio tracks, then a data track.
constexpr long kTrack1 = 150;  // 00:02:00
constexpr long kTrack2 = 235;  // 00:03:10
constexpr long kTrack3 = 1500; // 00:20:00, long enough to pause in
constexpr long kData = 100;
constexpr long kTrack2Start = kTrack1;
constexpr long kTrack3Start = kTrack1 + kTrack2;
constexpr long kDataStart = kTrack3Start + kTrack3;

// Completion codes as the owner receives them.
class NotifyLog {
public:
    void Add(int code) {
        std::lock_guard lock(mutex_);
        codes_.push_back(code);
        changed_.notify_all();
    }
    // The codes once there are `count` of them (or after a generous bound).
    std::vector<int> WaitFor(size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 120s, [&] { return codes_.size() >= count; });
        return codes_;
    }
    std::vector<int> Codes() {
        std::lock_guard lock(mutex_);
        return codes_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int> codes_;
};

// The sample bytes of a WAV file written by the output.
std::string WavData(const std::string& path) {
    const std::string file = test::ReadFile(path);
    const size_t data = file.find("data", 12);
    if (data == std::string::npos)
        return {};
    return file.substr(data + 8);
}

class MciInterpreterTest : public ::testing::Test {
protected:
    void SetUp() override {
        cue_ = CdImage::Write(dir_.File("disc"), {{kTrack1}, {kTrack2}, {kTrack3}, {kData, false}});
        mci_.SetNotifyCallback([this](int code) { log_.Add(code); });
    }
    std::string Ask(const std::string& command) {
        const MciReply reply = mci_.Send(command);
        EXPECT_EQ(reply.error, 0u) << command;
        return reply.text;
    }
    void OpenDisc() {
        Ask("open " + cue_ + ": type cdaudio shareable alias zeb");
        Ask("set zeb time format tmsf");
    }
    void PlayInto(const std::string& wavPath) {
        WaveOutConfig output;
        output.kind = CWaveOut::WavFile;
        output.wavPath = wavPath;
        mci_.SetOutput(output);
    }
    // Waits until the position moves away from `from`.
    std::string WaitForPositionPast(const std::string& from) {
        const auto deadline = std::chrono::steady_clock::now() + 120s;
        std::string position = Ask("status zeb position");
        while (position == from && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
            position = Ask("status zeb position");
        }
        return position;
    }

    test::TempDir dir_;
    std::string cue_;
    NotifyLog log_;
    MciInterpreter mci_;
};

TEST_F(MciInterpreterTest, ReportsTheTableOfContentsInBothTimeFormats) {
    OpenDisc();
    EXPECT_EQ(Ask("status zeb number of tracks"), "4");
    EXPECT_EQ(Ask("status zeb media present"), "true");
    EXPECT_EQ(Ask("status zeb mode"), "stopped");
    EXPECT_EQ(Ask("status zeb position"), "01:00:00:00");
    EXPECT_EQ(Ask("status zeb length track 1"), "00:02:00");
    EXPECT_EQ(Ask("status zeb length track 2"), "00:03:10");
    EXPECT_EQ(Ask("status zeb position track 3"), "03:00:00:00");
    // The last track reads one frame short, as the program's lead-out arithmetic expects.
    EXPECT_EQ(Ask("status zeb length track 4"), "00:01:24");
    EXPECT_EQ(Ask("status zeb type track 3"), "audio");
    EXPECT_EQ(Ask("status zeb type track 4"), "other");
    EXPECT_TRUE(mci_.IsAudioTrack("zeb", 1));
    EXPECT_FALSE(mci_.IsAudioTrack("zeb", 4));
    EXPECT_FALSE(mci_.IsAudioTrack("zeb", 5));

    Ask("set zeb time format msf");
    EXPECT_EQ(Ask("status zeb position track 1"), "00:02:00");
    EXPECT_EQ(Ask("status zeb position track 2"), "00:04:00");
    EXPECT_EQ(Ask("status zeb position track 4"), "00:27:10");
    EXPECT_EQ(Ask("status zeb length track 3"), "00:20:00");
    Ask("seek zeb to 00:05:30");
    Ask("set zeb time format tmsf");
    EXPECT_EQ(Ask("status zeb position"), "02:00:01:30");
    EXPECT_EQ(Ask("status zeb current track"), "2");

    EXPECT_EQ(mci_.Send("status zeb length track 5").error, kMciErrOutOfRange);
    EXPECT_EQ(mci_.Send("status zeb length track x").error, kMciErrBadInteger);
    EXPECT_EQ(mci_.Send("play zeb from 4 notify").error, kMciErrHardware); // data track

    Ask("set zeb door open");
    EXPECT_EQ(Ask("status zeb media present"), "false");
    EXPECT_EQ(Ask("status zeb mode"), "open");
    EXPECT_NE(mci_.Send("status zeb number of tracks").error, 0u);
    Ask("set zeb door closed");
    EXPECT_EQ(Ask("status zeb number of tracks"), "4");
    Ask("close zeb");
    EXPECT_EQ(mci_.Send("status zeb mode").error, kMciErrInvalidDeviceName);
}

TEST_F(MciInterpreterTest, IdentityIsStableForADiscAndDiffersBetweenDiscs) {
    OpenDisc();
    const std::string identity = Ask("info zeb identity");
    ASSERT_FALSE(identity.empty());
    EXPECT_EQ(identity.find_first_not_of("0123456789"), std::string::npos) << identity;
    Ask("close zeb");

    MciInterpreter other;
    ASSERT_EQ(other.Send("open " + cue_ + " type cdaudio alias cd").error, 0u);
    EXPECT_EQ(other.Send("info cd identity").text, identity);

    const std::string shorter = CdImage::Write(dir_.File("shorter"), {{kTrack1}, {kTrack2 + 1}});
    ASSERT_EQ(other.Send("open " + shorter + " type cdaudio alias short").error, 0u);
    const MciReply reply = other.Send("info short identity");
    EXPECT_EQ(reply.error, 0u);
    EXPECT_NE(reply.text, identity);
    EXPECT_FALSE(reply.text.empty());
}

TEST_F(MciInterpreterTest, PlaysARangeIntoAWavFileAndNotifiesOnceAtItsEnd) {
    const std::string wav = dir_.File("range.wav");
    PlayInto(wav);
    OpenDisc();
    Ask("play zeb from 2:00:01 to 3 notify");
    EXPECT_EQ(log_.WaitFor(1), std::vector<int>{kMciNotifySuccessful});
    EXPECT_EQ(Ask("status zeb mode"), "stopped");
    EXPECT_EQ(Ask("status zeb position"), "03:00:00:00");
    EXPECT_EQ(log_.Codes().size(), 1u);
    const std::string expected = CdImage::Bytes(kTrack2Start + 75, kTrack3Start);
    const std::string played = WavData(wav);
    EXPECT_EQ(played.size(), expected.size());
    EXPECT_TRUE(played == expected) << "the samples differ from the disc's";

    // Seeking to the very end of a track plays nothing, but still completes.
    Ask("play zeb from 3:00:20 to 4 notify");
    EXPECT_EQ(log_.WaitFor(2), (std::vector<int>{kMciNotifySuccessful, kMciNotifySuccessful}));
    EXPECT_EQ(Ask("status zeb mode"), "stopped");
}

TEST_F(MciInterpreterTest, PauseKeepsThePositionHeardAndPlayResumesFromIt) {
    const std::string first = dir_.File("first.wav");
    const std::string second = dir_.File("second.wav");
    PlayInto(first);
    OpenDisc();
    Ask("play zeb from 3 to 4 notify");
    WaitForPositionPast("03:00:00:00");
    Ask("pause zeb");
    EXPECT_EQ(log_.WaitFor(1), std::vector<int>{kMciNotifyAborted});
    EXPECT_EQ(Ask("status zeb mode"), "paused");
    const std::string position = Ask("status zeb position");
    EXPECT_EQ(Ask("status zeb position"), position);

    // Resume as the player does: from the position text to the next track.
    PlayInto(second);
    Ask("play zeb from " + position + " to 4 notify");
    EXPECT_EQ(log_.WaitFor(2), (std::vector<int>{kMciNotifyAborted, kMciNotifySuccessful}));

    const std::string heard = WavData(first) + WavData(second);
    EXPECT_GT(WavData(first).size(), 0u);
    EXPECT_LT(WavData(first).size(), static_cast<size_t>(kTrack3) * CdImage::kSectorBytes);
    EXPECT_TRUE(heard == CdImage::Bytes(kTrack3Start, kDataStart))
        << "pausing at " << position << " lost or repeated samples";
}

TEST_F(MciInterpreterTest, StopAndANewPlayEndTheRunningPlayWithTheirCodes) {
    PlayInto(dir_.File("out.wav"));
    OpenDisc();
    Ask("play zeb from 3 to 4 notify");
    Ask("play zeb from 1 to 2 notify"); // supersedes the first
    EXPECT_EQ(log_.WaitFor(2), (std::vector<int>{kMciNotifySuperseded, kMciNotifySuccessful}));

    Ask("play zeb from 3 notify");
    const std::string position = WaitForPositionPast("03:00:00:00");
    EXPECT_EQ(position.substr(0, 3), "03:");
    Ask("stop zeb");
    EXPECT_EQ(log_.WaitFor(3).back(), kMciNotifyAborted);
    EXPECT_EQ(Ask("status zeb mode"), "stopped");
    Ask("close zeb");
    EXPECT_EQ(log_.Codes().size(), 3u);
}

TEST_F(MciInterpreterTest, MissingDrivesAndUnknownCommandsGiveErrors) {
    EXPECT_EQ(mci_.Send("open " + dir_.File("none.cue") + ": type cdaudio alias zeb").error,
              kMciErrInvalidDeviceName);
    EXPECT_EQ(mci_.Send("open " + dir_.Path().string() + ": type cdaudio alias zeb").error,
              kMciErrInvalidDeviceName);
    test::WriteFile(dir_.File("junk.cue"), "this is no cue sheet\n");
    EXPECT_EQ(mci_.Send("open " + dir_.File("junk.cue") + " type cdaudio alias zeb").error,
              kMciErrInvalidDeviceName);
    // A disk's block device is no CD drive.
    for (const auto& entry : std::filesystem::directory_iterator("/dev")) {
        if (entry.is_block_file()) {
            EXPECT_EQ(mci_.Send("open " + entry.path().string() + ": type cdaudio alias zeb").error,
                      kMciErrInvalidDeviceName)
                << entry.path();
            break;
        }
    }
    EXPECT_EQ(mci_.Send("status zeb number of tracks").error, kMciErrInvalidDeviceName);
    EXPECT_EQ(mci_.Send("play zeb from 1 to 2 notify").error, kMciErrInvalidDeviceName);

    OpenDisc();
    EXPECT_EQ(mci_.Send("open " + cue_ + " type cdaudio alias zeb").error, kMciErrDuplicateAlias);
    EXPECT_EQ(mci_.Send("rewind zeb").error, kMciErrUnrecognizedCommand);
    EXPECT_EQ(mci_.Send("status zeb colour").error, kMciErrUnrecognizedKeyword);
    EXPECT_EQ(mci_.Send("play zeb from 9:99 to 4").error, kMciErrOutOfRange);
    EXPECT_TRUE(log_.Codes().empty());
}

TEST_F(MciInterpreterTest, ADiscOfNinetyNineTracksPlaysItsLastTrackToTheEnd) {
    const std::string cue =
        CdImage::Write(dir_.File("many"), std::vector<CdImage::Track>(99, {20}));
    PlayInto(dir_.File("last.wav"));
    Ask("open " + cue + ": type cdaudio shareable alias zeb");
    Ask("set zeb time format tmsf");
    EXPECT_EQ(Ask("status zeb number of tracks"), "99");
    EXPECT_EQ(Ask("status zeb length track 98"), "00:00:20");
    Ask("play zeb from 99 notify");
    EXPECT_EQ(log_.WaitFor(1), std::vector<int>{kMciNotifySuccessful});
    EXPECT_EQ(Ask("status zeb position"), "99:00:00:20");
    EXPECT_TRUE(WavData(dir_.File("last.wav")) == CdImage::Bytes(98 * 20, 99 * 20));
}

// The kernel's CD-ROM information as two drives report it: the "drive name:"
// line lists the newest drive first; the other lines name no drive.
TEST(CdDriveTest, ReadsTheKernelsDriveNamesOldestFirst) {
    const std::string info = "CD-ROM information, Id: cdrom.c 3.20 2003/12/17\n"
                             "\n"
                             "drive name:\t\tsr1\tsr0\n"
                             "drive speed:\t\t24\t48\n"
                             "Can play audio:\t\t1\t1\n";
    EXPECT_EQ(CdDrive::DriveNames(info), (std::vector<std::string>{"sr0", "sr1"}));
    EXPECT_EQ(CdDrive::DriveNames("drive name:\t\tsr0"), std::vector<std::string>{"sr0"});
    EXPECT_TRUE(CdDrive::DriveNames("CD-ROM information\n\ndrive name:\n").empty());
    EXPECT_TRUE(CdDrive::DriveNames("").empty());
}

} // namespace
} // namespace zeb
