// Drives a modal dialog from inside its own event loop: once a modal widget
// that fits shows up, `action` runs on it; a dialog the action left open is
// then rejected, so a failed check cannot leave the test waiting.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace zeb::test {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "ui_dialogs_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

class ModalDriver {
public:
    using Fits = std::function<bool(QWidget*)>;

    ModalDriver(Fits fits, std::function<void(QWidget*)> action)
        : fits_(std::move(fits)), action_(std::move(action)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    // The first modal dialog of type T.
    template <typename T>
    static std::unique_ptr<ModalDriver> For(std::function<void(T*)> action) {
        return std::make_unique<ModalDriver>(
            [](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
            [action](QWidget* w) { action(qobject_cast<T*>(w)); });
    }

    // Closes any modal dialog other than `current` that shows up, so that a
    // check that no second dialog opens fails rather than waits.
    static std::unique_ptr<ModalDriver> CloseOthersThan(QWidget* current) {
        return std::make_unique<ModalDriver>([current](QWidget* w) { return w != current; },
                                             [](QWidget*) {});
    }

    bool Ran() const { return ran_; }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !fits_(modal)) {
            // Bounded: a dialog that never comes fails the test, it does not hang it.
            if (++polls_ > kMaxPolls) {
                timer_.stop();
                ADD_FAILURE() << "the expected dialog did not show";
            }
            return;
        }
        timer_.stop();
        ran_ = true;
        QPointer<QWidget> guard(modal);
        action_(modal);
        if (auto* dialog = qobject_cast<QDialog*>(guard.data()); dialog && dialog->isVisible())
            dialog->reject();
    }

    static constexpr int kMaxPolls = 100000;
    Fits fits_;
    std::function<void(QWidget*)> action_;
    QTimer timer_;
    int polls_ = 0;
    bool ran_ = false;
};

} // namespace zeb::test
