#pragma once

#include <array>

namespace zeb {

struct MainWndSettings;

// What the click logic asks of the event loop and the player.
class TrayClickHost {
public:
    virtual ~TrayClickHost() = default;
    // One-shot or repeating timers by their ids (1, 2, 6, 7).
    virtual void StartTimer(int id, int ms) = 0;
    virtual void StopTimer(int id) = 0;
    // A click action by its number (0 nothing ... 11 album popup).
    virtual void DoClickAction(int action) = 0;
    // The main menu at the tray point (the no-clicks mode).
    virtual void ShowMainMenu() = 0;
    // One step of press-and-hold: backwards (left) or forwards (right),
    // by the PressAndHold setting (0 position, 1 volume).
    virtual void HoldStep(bool forward, int pressAndHold) = 0;
};

// Turns raw presses and releases on the tray icon into click series and
// press-and-hold: a series ends when the double-click time passes without
// another release; a hold starts when it passes with the button still down.
class TrayClicks {
public:
    static constexpr int kLeftSeriesTimer = 1;
    static constexpr int kRightSeriesTimer = 2;
    static constexpr int kLeftHoldTimer = 6;
    static constexpr int kRightHoldTimer = 7;
    static constexpr int kHoldPositionMs = 500;
    static constexpr int kHoldVolumeMs = 50;

    TrayClicks(const MainWndSettings& settings, TrayClickHost& host);

    void SetDoubleClickMs(int ms) { doubleClickMs_ = ms; }
    void OnMove();
    void OnButtonDown(bool right);
    void OnButtonUp(bool right);
    // A timer of the ids above has fired.
    void OnTimer(int id);

    bool Holding() const { return hold_; }
    int ClickCount(bool right) const { return Side(right).count; }

private:
    struct ButtonState {
        bool down = false;
        int count = 0;
    };
    ButtonState& Side(bool right) { return right ? right_ : left_; }
    const ButtonState& Side(bool right) const { return right ? right_ : left_; }
    const std::array<int, 4>& Actions(bool right) const;
    void StopAllTimers();
    void EndSeries(bool right);
    void HoldTick(bool right);

    const MainWndSettings& settings_;
    TrayClickHost& host_;
    int doubleClickMs_ = 400;
    ButtonState left_;
    ButtonState right_;
    bool hold_ = false;
};

} // namespace zeb
