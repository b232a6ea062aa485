// zeb: the tray player's entry point. The first instance takes the per-user
// lock and runs the tray program; a later one hands its command line to it
// and ends without touching the display.
#include "app/TrayApp.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramFiles.h"
#include "platform/RuntimeFolder.h"
#include "platform/UnixSignalNotifier.h"
#include "platform/UserInfo.h"
#include "shell/CommandLine.h"
#include "ui/SkinImages.h"

#include <QApplication>
#include <QIcon>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace {

using namespace zeb;

constexpr const char* kEndpointName = "ZEBAppClass";

// Qt ends the process with exit() when the X server goes away, as it does
// when a desktop session ends without a session manager asking first. This
// hook, run by exit(), still saves the settings and the list then.
TrayApp*& RunningTrayApp() {
    static TrayApp* app = nullptr;
    return app;
}

void SaveOnAbruptExit() {
    if (TrayApp* app = RunningTrayApp())
        app->SaveBeforeAbruptEnd();
}

std::string CurrentFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("zeb %s\n", ZEB_VERSION);
        return 0;
    }
    CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    MakePathAbsolute(line, CurrentFolder());

    RuntimeFolder runtime = PrepareRuntimeFolder();
    std::string endpointPath;
    std::unique_ptr<InstanceLock> lock;
    if (runtime.Ok()) {
        lock = std::make_unique<InstanceLock>(runtime.path + kEndpointName + ".lock");
        if (!lock->TryAcquire()) {
            std::optional<std::string> failure =
                RunSecondInstance(line, runtime.path + kEndpointName);
            if (!failure)
                return 0;
            std::fprintf(stderr, "zeb: %s\n", failure->c_str());
            return 1;
        }
        endpointPath = runtime.path + kEndpointName;
    } else {
        std::fprintf(stderr, "zeb: running without the single-instance check: %s\n",
                     runtime.error.c_str());
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("zeb");
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(BuiltInIcon(IconId::Program));

    TrayApp::Options options;
    options.commandLine = line;
    options.files = LocateProgramFiles(OwnProgramPath());
    EnsureFolder(options.files.folder);
    std::optional<std::string> user = LoggedOnUserName();
    options.section = SettingsSectionName(line.shared, user ? &*user : nullptr);
    options.endpointPath = endpointPath;
    options.runtimeFolder = runtime.Ok() ? runtime.path : std::string();

    TrayApp tray(options);
    QObject::connect(
        &tray, &TrayApp::Finished, &app, [] { QApplication::exit(0); }, Qt::QueuedConnection);
    UnixSignalNotifier unixSignals({SIGTERM, SIGHUP, SIGINT});
    QObject::connect(&unixSignals, &UnixSignalNotifier::SignalReceived, &tray,
                     [&tray] { tray.ExitProgram(); });
    // A logout asks to save first and may still be cancelled: save and run
    // on. When the session really ends, the session manager's "die" quits
    // the event loop and the exit sequence below runs.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &tray,
                     [&tray] { tray.SaveForSession(); });

    tray.Start();
    // Registered after start-up so that the tables start-up built are
    // destroyed only after the hook has used them.
    RunningTrayApp() = &tray;
    std::atexit(SaveOnAbruptExit);
    int result = app.exec();
    tray.Shutdown();
    RunningTrayApp() = nullptr;
    return result;
}
