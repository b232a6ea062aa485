// Helpers for the menu tests: one application, synthetic hovering, and a
// record of what a menu reported.
#pragma once

#include "ui/PopupMenu.h"

#include <QApplication>
#include <QMouseEvent>
#include <vector>

namespace zeb::test {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "zeb_menu_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

// The pointer moving over a widget with no button held.
inline void Hover(QWidget* widget, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// What a top menu reported.
struct MenuRecord {
    explicit MenuRecord(PopupMenu& menu) {
        QObject::connect(&menu, &PopupMenu::Triggered, &context,
                         [this](int id) { triggered.push_back(id); });
        QObject::connect(&menu, &PopupMenu::Closed, &context, [this] { ++closed; });
    }
    QObject context; // ends the connections with the record
    std::vector<int> triggered;
    int closed = 0;
};

} // namespace zeb::test
