#pragma once

#include "platform/TrayIcon.h"

#include <QObject>
#include <memory>

class QSystemTrayIcon;

namespace zeb {

// The tray icon through QSystemTrayIcon (a StatusNotifierItem on desktops
// without an XEmbed tray). It only reports activations: left click, double
// click, middle click and the context request.
class QtSystemTrayIcon : public QObject, public TrayIcon {
    Q_OBJECT
public:
    explicit QtSystemTrayIcon(QObject* parent = nullptr);
    ~QtSystemTrayIcon() override;

    // True when the desktop offers a tray this class can use.
    static bool Available();

    TrayCapabilities Capabilities() const override { return {}; }
    void SetCallbacks(TrayCallbacks callbacks) override { callbacks_ = std::move(callbacks); }
    using TrayIcon::SetIcon;
    void SetIcon(const QIcon& icon) override;
    void SetToolTip(const QString& text) override;
    bool Show() override;
    void Hide() override;
    bool IsDocked() const override;

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
    TrayCallbacks callbacks_;
};

} // namespace zeb
