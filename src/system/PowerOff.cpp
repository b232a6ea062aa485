#include "system/PowerOff.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace zeb {

bool RequestSystemPowerOff(std::string* error) {
    QDBusInterface logind("org.freedesktop.login1", "/org/freedesktop/login1",
                          "org.freedesktop.login1.Manager", QDBusConnection::systemBus());
    if (!logind.isValid()) {
        if (error)
            *error = logind.lastError().message().toStdString();
        return false;
    }
    // Not interactive: nobody is left at the player to answer a password prompt.
    QDBusReply<void> reply = logind.call("PowerOff", false);
    if (!reply.isValid() && error)
        *error = reply.error().message().toStdString();
    return reply.isValid();
}

} // namespace zeb
