#include "shell/TrayClicks.h"

#include "shell/MainWndSettings.h"

namespace zeb {

namespace {

constexpr int kHoldOff = 2;
constexpr int kHoldVolume = 1;
constexpr int kMaxSeriesClicks = 4;

} // namespace

TrayClicks::TrayClicks(const MainWndSettings& settings, TrayClickHost& host)
    : settings_(settings), host_(host) {}

const std::array<int, 4>& TrayClicks::Actions(bool right) const {
    return right ? settings_.RClicks : settings_.Clicks;
}

void TrayClicks::OnMove() {
    if (settings_.NoClicks == 1)
        host_.ShowMainMenu();
}

void TrayClicks::OnButtonDown(bool right) {
    if (settings_.NoClicks == 1)
        return;
    Side(right).down = true;
    if (left_.count == 0 && right_.count == 0 && settings_.PressAndHold < kHoldOff)
        host_.StartTimer(right ? kRightHoldTimer : kLeftHoldTimer, doubleClickMs_);
}

void TrayClicks::OnButtonUp(bool right) {
    if (settings_.NoClicks == 1) {
        host_.ShowMainMenu();
        return;
    }
    ButtonState& side = Side(right);
    if (!side.down && side.count == 0)
        return;
    // A release of the other button ends that button's series as it stands.
    if (Side(!right).count > 0)
        EndSeries(!right);
    StopAllTimers();
    if (!hold_) {
        const std::array<int, 4>& actions = Actions(right);
        // With only a single-click action there is nothing to wait for.
        if (side.count == 0 && actions[1] == 0 && actions[2] == 0 && actions[3] == 0) {
            host_.DoClickAction(actions[0]);
        } else {
            ++side.count;
            host_.StartTimer(right ? kRightSeriesTimer : kLeftSeriesTimer, doubleClickMs_);
        }
    }
    hold_ = false;
    side.down = false;
}

void TrayClicks::OnTimer(int id) {
    switch (id) {
    case kLeftSeriesTimer:
        EndSeries(false);
        break;
    case kRightSeriesTimer:
        EndSeries(true);
        break;
    case kLeftHoldTimer:
        HoldTick(false);
        break;
    case kRightHoldTimer:
        HoldTick(true);
        break;
    default:
        break;
    }
}

void TrayClicks::StopAllTimers() {
    for (int id : {kLeftSeriesTimer, kRightSeriesTimer, kLeftHoldTimer, kRightHoldTimer})
        host_.StopTimer(id);
}

void TrayClicks::EndSeries(bool right) {
    host_.StopTimer(right ? kRightSeriesTimer : kLeftSeriesTimer);
    ButtonState& side = Side(right);
    int clicks = side.count;
    side.count = 0;
    if (clicks >= 1 && clicks <= kMaxSeriesClicks)
        host_.DoClickAction(Actions(right)[size_t(clicks - 1)]);
}

void TrayClicks::HoldTick(bool right) {
    if (!hold_) {
        hold_ = true;
        int period = settings_.PressAndHold == kHoldVolume ? kHoldVolumeMs : kHoldPositionMs;
        host_.StartTimer(right ? kRightHoldTimer : kLeftHoldTimer, period);
    }
    host_.HoldStep(right, settings_.PressAndHold);
}

} // namespace zeb
