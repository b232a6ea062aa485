#pragma once

#include "shell/MainWndHost.h"

namespace zeb::test {

// A stand-in for the windows around the main window that ignores every request.
class QuietHost : public MainWndHost {
public:
    void UpdateStatus(bool) override {}
    void ShowMessage(int, MessageIcon) override {}
    void PostToUiThread(std::function<void()>) override {}
    void RunAfter(int, std::function<void()>) override {}
    void ExitProgram() override {}
    void RequestPowerOff() override {}
};

} // namespace zeb::test
