// Click series and press-and-hold on the tray icon, driven by hand-fired
// timers.
#include "shell/TrayClicks.h"

#include "shell/MainWndSettings.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace zeb {
namespace {

class RecordingClickHost : public TrayClickHost {
public:
    void StartTimer(int id, int ms) override { running[id] = ms; }
    void StopTimer(int id) override { running.erase(id); }
    void DoClickAction(int action) override { actions.push_back(action); }
    void ShowMainMenu() override { ++menus; }
    void HoldStep(bool forward, int pressAndHold) override {
        steps.push_back(std::string(forward ? "+" : "-") + std::to_string(pressAndHold));
    }

    std::map<int, int> running; // timer id -> period
    std::vector<int> actions;
    std::vector<std::string> steps;
    int menus = 0;
};

class TrayClicksTest : public ::testing::Test {
protected:
    void Click(bool right, int times = 1) {
        for (int i = 0; i < times; ++i) {
            clicks_.OnButtonDown(right);
            clicks_.OnButtonUp(right);
        }
    }
    // Fires a running timer the way the event loop would.
    bool Fire(int id) {
        if (!host_.running.count(id))
            return false;
        clicks_.OnTimer(id);
        return true;
    }

    MainWndSettings settings_;
    RecordingClickHost host_;
    TrayClicks clicks_{settings_, host_};
};

TEST_F(TrayClicksTest, DefaultLeftSeriesActAfterTheDoubleClickTime) {
    clicks_.SetDoubleClickMs(321);
    const std::vector<std::pair<int, int>> expected{{1, 1}, {2, 4}, {3, 3}, {4, 2}};
    for (auto [count, action] : expected) {
        host_.actions.clear();
        Click(false, count);
        EXPECT_TRUE(host_.actions.empty()) << "nothing before the series ends";
        EXPECT_EQ(host_.running.at(TrayClicks::kLeftSeriesTimer), 321);
        ASSERT_TRUE(Fire(TrayClicks::kLeftSeriesTimer));
        EXPECT_EQ(host_.actions, std::vector<int>{action}) << count << " clicks";
        EXPECT_FALSE(host_.running.count(TrayClicks::kLeftSeriesTimer));
    }
}

TEST_F(TrayClicksTest, FiveClicksDoNothing) {
    Click(false, 5);
    ASSERT_TRUE(Fire(TrayClicks::kLeftSeriesTimer));
    EXPECT_TRUE(host_.actions.empty());
    EXPECT_EQ(clicks_.ClickCount(false), 0);
}

TEST_F(TrayClicksTest, AnOnlySingleClickActionRunsAtOnce) {
    Click(true);
    EXPECT_EQ(host_.actions, std::vector<int>{10}); // the main menu, without waiting
    EXPECT_FALSE(host_.running.count(TrayClicks::kRightSeriesTimer));

    settings_.RClicks = {10, 5, 0, 0};
    host_.actions.clear();
    Click(true, 2);
    EXPECT_TRUE(host_.actions.empty());
    ASSERT_TRUE(Fire(TrayClicks::kRightSeriesTimer));
    EXPECT_EQ(host_.actions, std::vector<int>{5});
}

TEST_F(TrayClicksTest, TheOtherButtonEndsAPendingSeries) {
    Click(false); // one left click, waiting for more
    Click(true);  // a right click within the double-click time
    EXPECT_EQ(host_.actions, (std::vector<int>{1, 10})) << "play/pause, then the menu";
    EXPECT_EQ(clicks_.ClickCount(false), 0);

    host_.actions.clear();
    Click(false);
    ASSERT_TRUE(Fire(TrayClicks::kLeftSeriesTimer));
    EXPECT_EQ(host_.actions, std::vector<int>{1}) << "a single click counted as two";
}

TEST_F(TrayClicksTest, AReleaseWithoutItsPressIsNoClick) {
    clicks_.OnButtonUp(false);
    EXPECT_TRUE(host_.running.empty());
    EXPECT_TRUE(host_.actions.empty());
}

TEST_F(TrayClicksTest, HoldingTheRightButtonRaisesTheVolumeEveryFiftyMs) {
    settings_.PressAndHold = 1;
    clicks_.SetDoubleClickMs(400);
    clicks_.OnButtonDown(true);
    EXPECT_EQ(host_.running.at(TrayClicks::kRightHoldTimer), 400);
    ASSERT_TRUE(Fire(TrayClicks::kRightHoldTimer));
    EXPECT_TRUE(clicks_.Holding());
    EXPECT_EQ(host_.running.at(TrayClicks::kRightHoldTimer), TrayClicks::kHoldVolumeMs);
    ASSERT_TRUE(Fire(TrayClicks::kRightHoldTimer));
    EXPECT_EQ(host_.steps, (std::vector<std::string>{"+1", "+1"}));

    clicks_.OnButtonUp(true);
    EXPECT_TRUE(host_.running.empty());
    EXPECT_TRUE(host_.actions.empty()) << "a release after a hold is no click";
    EXPECT_FALSE(clicks_.Holding());
}

TEST_F(TrayClicksTest, HoldingTheLeftButtonSeeksBackEveryHalfSecond) {
    settings_.PressAndHold = 0;
    clicks_.OnButtonDown(false);
    ASSERT_TRUE(Fire(TrayClicks::kLeftHoldTimer));
    EXPECT_EQ(host_.running.at(TrayClicks::kLeftHoldTimer), TrayClicks::kHoldPositionMs);
    EXPECT_EQ(host_.steps, std::vector<std::string>{"-0"});
}

TEST_F(TrayClicksTest, NoHoldWhileASeriesRunsOrWhenSwitchedOff) {
    settings_.PressAndHold = 1;
    Click(false);                // a series is running now
    clicks_.OnButtonDown(false); // the second press starts no hold
    EXPECT_FALSE(host_.running.count(TrayClicks::kLeftHoldTimer));
    clicks_.OnButtonUp(false);
    ASSERT_TRUE(Fire(TrayClicks::kLeftSeriesTimer));
    EXPECT_EQ(host_.actions, std::vector<int>{4});

    settings_.PressAndHold = 2;
    clicks_.OnButtonDown(true);
    EXPECT_FALSE(host_.running.count(TrayClicks::kRightHoldTimer));
}

TEST_F(TrayClicksTest, WithoutClicksMovesAndReleasesOpenTheMenu) {
    settings_.NoClicks = 1;
    clicks_.OnMove();
    Click(false);
    Click(true);
    EXPECT_EQ(host_.menus, 3);
    EXPECT_TRUE(host_.actions.empty());
    EXPECT_TRUE(host_.running.empty());

    settings_.NoClicks = 0;
    clicks_.OnMove();
    EXPECT_EQ(host_.menus, 3);
}

} // namespace
} // namespace zeb
