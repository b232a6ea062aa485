// Global hotkeys driven by commands on standard input, one per line, each
// answered on standard output:
//   register <id> <modifiers> <virtual key>  -> "register <id> ok|refused"
//   unregister <id>                          -> "unregister <id>"
//   registered <id>                          -> "registered <id> yes|no"
//   scroll                                   -> "scroll on|off"
//   indicator <name>                         -> "indicator <name> on|off"
//   quit
// A press of a registered combination prints "hotkey <id>".
#include "platform/GlobalHotkeys.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

void Print(const std::string& line) {
    std::cout << line << std::endl;
}

void Run(zeb::GlobalHotkeys& hotkeys, const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    int id = 0;
    if (command != "indicator")
        in >> id;
    if (command == "register") {
        int modifiers = 0;
        int key = 0;
        in >> modifiers >> key;
        const bool ok = hotkeys.Register(id, modifiers, key);
        Print("register " + std::to_string(id) + (ok ? " ok" : " refused"));
    } else if (command == "unregister") {
        hotkeys.Unregister(id);
        Print("unregister " + std::to_string(id));
    } else if (command == "registered") {
        Print("registered " + std::to_string(id) + (hotkeys.IsRegistered(id) ? " yes" : " no"));
    } else if (command == "scroll") {
        Print(zeb::GlobalHotkeys::ScrollLockOn() ? "scroll on" : "scroll off");
    } else if (command == "indicator") {
        const std::string name = line.substr(line.find(' ') + 1);
        Print("indicator " + name + (zeb::GlobalHotkeys::IndicatorOn(name) ? " on" : " off"));
    } else if (command == "quit") {
        QCoreApplication::quit();
    } else if (!command.empty()) {
        Print("unknown " + command);
    }
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    zeb::GlobalHotkeys hotkeys;
    QObject::connect(&hotkeys, &zeb::GlobalHotkeys::Activated,
                     [](int id) { Print("hotkey " + std::to_string(id)); });

    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, size_t(got));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            Run(hotkeys, line);
        }
    });
    Print("ready");
    return app.exec();
}
