// zeb: the tray player's entry point. For now the program loads the user's
// settings, shows its tray icon with the exit item of the main menu and saves
// the settings again when it ends (exit item, SIGTERM, SIGHUP, SIGINT or the
// end of the desktop session).
#include "platform/IniFile.h"
#include "platform/ProgramFiles.h"
#include "platform/UnixSignalNotifier.h"
#include "platform/UserInfo.h"
#include "resources/ImageNames.h"
#include "resources/MenuTemplates.h"
#include "resources/ResourceIds.h"
#include "shell/MainWndSettings.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <csignal>
#include <string>

namespace {

using namespace zeb;

bool HasOption(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == option)
            return true;
    }
    return false;
}

QIcon IconOf(IconId id) {
    QIcon icon;
    for (int i = 0; i < IconSizeCount(id); ++i)
        icon.addFile(QString::fromUtf8(ImagePath(id, IconSize(id, i))));
    return icon;
}

QString MenuText(int language, int commandId) {
    const MenuItem* item = FindCommandItem(LoadMenuTemplate(language, IDR_MENU_MAIN), commandId);
    return item ? QString::fromUtf8(item->text.data(), qsizetype(item->text.size())) : QString();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("zeb");
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(IconOf(IconId::Program));

    ProgramFiles files = LocateProgramFiles(OwnProgramPath());
    EnsureFolder(files.folder);
    IniFile ini(files.iniPath);
    std::optional<std::string> user = LoggedOnUserName();
    const std::string section =
        SettingsSectionName(HasOption(argc, argv, "-g"), user ? &*user : nullptr);
    MainWndSettings settings;
    settings.LoadSettings(ini, section);

    bool saved = false;
    auto saveOnce = [&] {
        if (!saved)
            saved = settings.SaveSettings(ini, section);
    };

    QMenu menu;
    QObject::connect(menu.addAction(MenuText(settings.Language, ID_EXIT)), &QAction::triggered,
                     &app, &QApplication::quit);
    QSystemTrayIcon tray(IconOf(IconId::Stopped));
    tray.setToolTip("ZEB");
    tray.setContextMenu(&menu);
    tray.show();

    UnixSignalNotifier unixSignals({SIGTERM, SIGHUP, SIGINT});
    QObject::connect(&unixSignals, &UnixSignalNotifier::SignalReceived, &app, &QApplication::quit);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [&] { saveOnce(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { saveOnce(); });

    int result = app.exec();
    tray.hide();
    return result;
}
