#include "desktop/SessionBus.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

namespace tamsel {

void nameTheSessionBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString userBus = runtime + QStringLiteral("/bus");
    // An address of a kind the bus library does not know makes it fail without starting a bus.
    const QByteArray address = !runtime.isEmpty() && QFileInfo::exists(userBus)
                                   ? "unix:path=" + QFile::encodeName(userBus)
                                   : QByteArrayLiteral("disabled:");
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
}

} // namespace tamsel
