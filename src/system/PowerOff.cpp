#include "system/PowerOff.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace zeb {

namespace {

// Long enough for the user to answer an authentication prompt.
constexpr int kPowerOffReplyTimeoutMs = 5 * 60 * 1000;

void SetError(std::string* error, const QString& text) {
    if (error)
        *error = text.toStdString();
}

} // namespace

bool RequestSystemPowerOff(std::string* error) {
    QDBusInterface logind("org.freedesktop.login1", "/org/freedesktop/login1",
                          "org.freedesktop.login1.Manager", QDBusConnection::systemBus());
    if (!logind.isValid()) {
        SetError(error, logind.lastError().message());
        return false;
    }
    // "na" means no policy allows it at all; "challenge" still works after
    // the authentication prompt that the interactive request lets appear.
    QDBusReply<QString> can = logind.call("CanPowerOff");
    if (can.isValid() && can.value() == "na") {
        SetError(error, "switching off is not available to this user");
        return false;
    }
    logind.setTimeout(kPowerOffReplyTimeoutMs);
    QDBusReply<void> reply = logind.call("PowerOff", true);
    if (!reply.isValid())
        SetError(error, reply.error().message());
    return reply.isValid();
}

} // namespace zeb
