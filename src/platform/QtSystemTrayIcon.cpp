#include "platform/QtSystemTrayIcon.h"

#include <QSystemTrayIcon>
#include <optional>

namespace zeb {

namespace {

std::optional<TrayActivation> ActivationOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayActivation::Trigger;
    case QSystemTrayIcon::DoubleClick:
        return TrayActivation::DoubleClick;
    case QSystemTrayIcon::Context:
        return TrayActivation::Context;
    case QSystemTrayIcon::MiddleClick:
        return TrayActivation::Middle;
    default:
        return std::nullopt;
    }
}

} // namespace

QtSystemTrayIcon::QtSystemTrayIcon(QObject* parent)
    : QObject(parent), icon_(std::make_unique<QSystemTrayIcon>()) {
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                std::optional<TrayActivation> activation = ActivationOf(reason);
                if (activation && callbacks_.activated)
                    callbacks_.activated(*activation);
            });
}

QtSystemTrayIcon::~QtSystemTrayIcon() = default;

bool QtSystemTrayIcon::Available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtSystemTrayIcon::SetIcon(const QIcon& icon) {
    icon_->setIcon(icon);
}

void QtSystemTrayIcon::SetToolTip(const QString& text) {
    icon_->setToolTip(PlainTextToolTip(text));
}

bool QtSystemTrayIcon::Show() {
    icon_->show();
    if (icon_->isVisible() && callbacks_.docked)
        callbacks_.docked();
    return icon_->isVisible();
}

void QtSystemTrayIcon::Hide() {
    icon_->hide();
}

bool QtSystemTrayIcon::IsDocked() const {
    return icon_->isVisible() && Available();
}

} // namespace zeb
