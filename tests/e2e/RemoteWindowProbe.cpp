// Runs the remote-control window over a real main window with an empty list
// and prints what happens: "window <id>" (0 without X11), "ready",
// "request <message> <wParam> <lParam> -> <answer>", "volume <n>",
// "action <name>" and "destroyed" once the exit command has removed the
// window. The status display sets the window title from the shown name
// given as the first argument, as the tray program does.
#include "app/RemoteWindow.h"
#include "platform/RuntimeFolder.h"
#include "shell/MainWnd.h"
#include "shell/RemoteControl.h"
#include "support/QuietHost.h"

#include <QApplication>
#include <QTimer>
#include <iostream>
#include <string>

namespace {

void Print(const std::string& line) {
    std::cout << line << std::endl;
}

class TitleHost : public zeb::test::QuietHost {
public:
    TitleHost(zeb::RemoteWindow& window, std::string shown) : window_(window), shown_(shown) {}
    void UpdateStatus(bool) override {
        window_.SetTitle(QString::fromStdString(zeb::RemoteWindowTitle(shown_)));
    }

private:
    zeb::RemoteWindow& window_;
    std::string shown_;
};

class PrintingActions : public zeb::RemoteActions {
public:
    explicit PrintingActions(zeb::RemoteWindow& window) : window_(window) {}
    void Exit() override {
        Print("action exit");
        // After the answer has gone out, as the tray program does.
        QTimer::singleShot(0, [this] {
            window_.Destroy();
            Print("destroyed");
        });
    }
    void OpenFileDialog() override { Print("action open file"); }
    void OpenAddressDialog() override { Print("action open address"); }
    void ToggleEqualizer() override { Print("action equalizer"); }
    void TogglePlaylistWindow() override { Print("action playlist"); }
    void ToggleMinibar(bool cd) override { Print(cd ? "action cd minibar" : "action minibar"); }

private:
    zeb::RemoteWindow& window_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string shown = argc > 1 ? argv[1] : "Unknown";
    zeb::RemoteWindow window;
    TitleHost host(window, shown);
    zeb::CMainWnd wnd(host, 1u);
    wnd.SetVolume(50);
    PrintingActions actions(window);
    std::string error;
    const bool created = window.Create(
        zeb::RuntimeFolderPath(),
        [&](const zeb::EndpointRequest& r) {
            const int32_t answer = zeb::AnswerRemoteRequest(wnd, actions, r);
            Print("request " + std::to_string(r.message) + " " + std::to_string(r.wParam) + " " +
                  std::to_string(r.lParam) + " -> " + std::to_string(answer));
            Print("volume " + std::to_string(wnd.Volume()));
            return answer;
        },
        &error);
    if (!created) {
        std::cerr << "remote window: " << error << std::endl;
        return 1;
    }
    Print("window " + std::to_string(window.NativeWindow()));
    Print("ready");
    return app.exec();
}
