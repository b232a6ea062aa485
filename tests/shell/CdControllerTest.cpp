#include "shell/CdController.h"

#include "cd/CdImage.h"
#include "platform/RandomGenerator.h"
#include "shell/MainWndSettings.h"
#include "support/QuietHost.h"
#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>

namespace zeb {
namespace {

using test::CdImage;
using namespace std::chrono_literals;

// Sectors of the test disc: three audio tracks and a data track.
constexpr long kTrack1 = 120;
constexpr long kTrack2 = 90;
constexpr long kTrack3 = 80;
constexpr long kData = 60;

// Keeps the calls posted to the interface thread until the test runs them,
// and notes every track the controller starts.
class PumpHost : public test::QuietHost {
public:
    void PostToUiThread(std::function<void()> call) override {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        arrived_.notify_all();
    }
    void RunAfter(int, std::function<void()> call) override { PostToUiThread(std::move(call)); }
    void UpdateStatus(bool) override {
        if (cd && cd->State() == CdController::Playing &&
            (started.empty() || started.back() != cd->CurrentTrack()))
            started.push_back(cd->CurrentTrack());
    }

    // Runs posted calls until `done` holds; false when it did not within the bound.
    bool RunUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 120s;
        while (!done()) {
            std::function<void()> call;
            {
                std::unique_lock lock(mutex_);
                if (!arrived_.wait_until(lock, deadline, [&] { return !calls_.empty(); }))
                    return false;
                call = std::move(calls_.front());
                calls_.pop_front();
            }
            call();
        }
        return true;
    }

    // Waits until a call is posted; false when none came within the bound.
    bool WaitForQueued() {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, 120s, [&] { return !calls_.empty(); });
    }

    // Runs the calls posted so far.
    void RunQueued() {
        std::deque<std::function<void()>> calls;
        {
            std::lock_guard lock(mutex_);
            calls.swap(calls_);
        }
        for (auto& call : calls)
            call();
    }

    CdController* cd = nullptr;
    std::vector<int> started; // tracks in the order they began

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> calls_;
};

std::string WavData(const std::string& path) {
    const std::string file = test::ReadFile(path);
    const size_t data = file.find("data", 12);
    return data == std::string::npos ? std::string() : file.substr(data + 8);
}

class CdControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.CDLetter =
            CdImage::Write(dir_.File("disc"), {{kTrack1}, {kTrack2}, {kTrack3}, {kData, false}});
        settings_.OutputModule = 0;
        settings_.OutPath = dir_.File("out") + "/";
        std::filesystem::create_directory(settings_.OutPath);
        settings_.AutoPlay = 0;
        cd_ = std::make_unique<CdController>(
            settings_, host_, random_, [this] { ++afterPlayback_; }, dir_.File("CDPLAYER.INI"));
        host_.cd = cd_.get();
        cd_->ChooseDrive();
    }
    void TearDown() override { cd_.reset(); }

    bool Stopped() const { return cd_->State() == CdController::Stopped; }
    std::string Out(const std::string& name) const { return settings_.OutPath + name; }

    test::TempDir dir_;
    MainWndSettings settings_;
    PumpHost host_;
    RandomGenerator random_{12345};
    int afterPlayback_ = 0;
    std::unique_ptr<CdController> cd_;
};

// The stored order "2 0" plays track 3, then track 1, then the disc has
// ended: without repeat it stops and the after-playback action runs once;
// with repeat it starts over at the order's first track.
TEST_F(CdControllerTest, PlaysTheStoredOrderAndEndsOrStartsOverAtItsEnd) {
    ASSERT_TRUE(cd_->HasDrive());
    ASSERT_TRUE(cd_->Enter(false));
    EXPECT_TRUE(Stopped()); // AutoPlay is off
    ASSERT_TRUE(cd_->Titles().SetOrder(cd_->DiscKey(), {3, 1}));

    cd_->Play();
    ASSERT_TRUE(host_.RunUntil([&] { return Stopped(); }));
    EXPECT_EQ(host_.started, (std::vector<int>{3, 1}));
    EXPECT_EQ(afterPlayback_, 1);
    EXPECT_FALSE(std::filesystem::exists(Out("Track 02.wav")));
    EXPECT_EQ(WavData(Out("Track 03.wav")),
              CdImage::Bytes(kTrack1 + kTrack2, kTrack1 + kTrack2 + kTrack3));
    EXPECT_EQ(WavData(Out("Track 01.wav")), CdImage::Bytes(0, kTrack1));

    settings_.Repeat = 1;
    host_.started.clear();
    cd_->Play();
    ASSERT_TRUE(host_.RunUntil([&] { return host_.started.size() >= 5; }));
    EXPECT_EQ(host_.started, (std::vector<int>{3, 1, 3, 1, 3}));
    EXPECT_EQ(afterPlayback_, 1);
}

// Without an order the steps stop at the disc's edges, and the data track
// after the last audio track is never played.
TEST_F(CdControllerTest, StepsStopAtTheEdgesAndPassTheDataTrack) {
    settings_.AutoPlay = 1;
    ASSERT_TRUE(cd_->Enter(false));
    EXPECT_EQ(cd_->CurrentTrack(), 1);
    // Track 1 has been played; its notice waits while the commands go on.
    ASSERT_TRUE(host_.WaitForQueued());
    cd_->Step(false);
    EXPECT_EQ(cd_->CurrentTrack(), 1);
    cd_->PlayTrack(3);
    cd_->Step(true);
    EXPECT_EQ(cd_->CurrentTrack(), 3);
    cd_->Step(false);
    EXPECT_EQ(cd_->CurrentTrack(), 2);

    // Played on from track 2, the disc ends after track 3. The notices of
    // the plays replaced meanwhile move nothing on.
    ASSERT_TRUE(host_.RunUntil([&] { return Stopped(); }));
    host_.RunQueued();
    EXPECT_EQ(host_.started, (std::vector<int>{1, 3, 2, 3}));
    EXPECT_EQ(WavData(Out("Track 02.wav")), CdImage::Bytes(kTrack1, kTrack1 + kTrack2));
    EXPECT_EQ(afterPlayback_, 1);
    EXPECT_FALSE(std::filesystem::exists(Out("Track 04.wav")));

    cd_->Stop();
    cd_->Step(true); // a stopped disc does not step
    EXPECT_TRUE(Stopped());
}

// Shuffle walks the same permutation over and over: every audio track once
// per round, never the data track, and a step back retraces the walk.
TEST_F(CdControllerTest, ShuffleRepeatsOnePermutationOfTheAudioTracks) {
    settings_.ShuffleMode = 1;
    settings_.AutoPlay = 1;
    ASSERT_TRUE(cd_->Enter(false));
    std::vector<int> walk{cd_->CurrentTrack()};
    for (int i = 0; i < 8; ++i) {
        cd_->Step(true);
        walk.push_back(cd_->CurrentTrack());
    }
    for (size_t i = 0; i < walk.size(); ++i) {
        EXPECT_GE(walk[i], 1);
        EXPECT_LE(walk[i], 3);
        if (i >= 3) {
            EXPECT_EQ(walk[i], walk[i - 3]) << "round " << i / 3;
        }
    }
    std::vector<int> round(walk.begin(), walk.begin() + 3);
    std::sort(round.begin(), round.end());
    EXPECT_EQ(round, (std::vector<int>{1, 2, 3}));
    cd_->Step(false);
    EXPECT_EQ(cd_->CurrentTrack(), walk[walk.size() - 2]);

    // Played on, a shuffled disc never reaches an end.
    host_.started.clear();
    ASSERT_TRUE(host_.RunUntil([&] { return host_.started.size() >= 4; }));
    EXPECT_FALSE(Stopped());
    EXPECT_EQ(afterPlayback_, 0);
}

// The menu lists the audio tracks under the disc line; with no drive CD
// mode is not entered.
TEST_F(CdControllerTest, TheMenuListsAudioTracksAndNoDriveKeepsTheModeOff) {
    ASSERT_TRUE(cd_->Enter(false));
    ASSERT_TRUE(cd_->Titles().StoreDisc(cd_->DiscKey(), "A & B", "Live", {"Intro"}));
    const CdDiscMenu menu = cd_->DiscMenu();
    EXPECT_TRUE(menu.hasAudio);
    std::vector<std::string> labels;
    for (const MenuNode& node : menu.items)
        labels.push_back(node.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"A && B - Live", "", "Intro (00:01)",
                                                "Track 2 (00:01)", "Track 3 (00:01)"}));
    cd_->Leave();

    settings_.CDLetter = dir_.File("missing.cue");
    cd_->ChooseDrive();
    if (!cd_->HasDrive()) { // a machine with a real CD drive would take it
        EXPECT_FALSE(cd_->Enter(true));
    }
    EXPECT_FALSE(cd_->Active());
}

} // namespace
} // namespace zeb
