// Shows one XEmbed tray icon (16 px, rgb(200,40,10), its right half at half
// opacity) and prints a line per event on stdout:
// "window <id>", "docked", "not docked", "press <button> <x> <y>",
// "release <button> <x> <y>", "move <x> <y>" and "wheel <delta>".
// Without a tray host it exits with status 1, unless given "--stay", in
// which case it waits for a host to appear.
#include "platform/XEmbedTrayIcon.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <cstring>
#include <iostream>

namespace {

void Print(const std::string& line) {
    std::cout << line << std::endl;
}

std::string Point(int x, int y) {
    return std::to_string(x) + " " + std::to_string(y);
}

zeb::TrayCallbacks PrintingCallbacks() {
    zeb::TrayCallbacks callbacks;
    callbacks.buttonDown = [](zeb::TrayButton button, int x, int y) {
        Print("press " + std::to_string(static_cast<int>(button)) + " " + Point(x, y));
    };
    callbacks.buttonUp = [](zeb::TrayButton button, int x, int y) {
        Print("release " + std::to_string(static_cast<int>(button)) + " " + Point(x, y));
    };
    callbacks.move = [](int x, int y) { Print("move " + Point(x, y)); };
    callbacks.wheel = [](int delta) { Print("wheel " + std::to_string(delta)); };
    callbacks.docked = [] { Print("docked"); };
    return callbacks;
}

} // namespace

int main(int argc, char** argv) {
    const bool stay = argc > 1 && std::strcmp(argv[1], "--stay") == 0;
    QApplication app(argc, argv);
    zeb::XEmbedTrayIcon icon;
    // Left half opaque, right half the same colour at half opacity.
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, qRgba(200, 40, 10, x < 8 ? 255 : 128));
    icon.SetIcon(QIcon(QPixmap::fromImage(image)));
    icon.SetToolTip("tray probe");
    icon.SetCallbacks(PrintingCallbacks());
    const bool requested = icon.Show();
    Print("window " + std::to_string(icon.WindowId()));
    if (!requested) {
        Print("not docked");
        if (!stay)
            return 1;
    }
    return app.exec();
}
