#include "TermSerialPortMap.h"

#include <QByteArray>

QString TermSerialPortMap::environmentName(int port)
{
    return QStringLiteral("TERMSDK_COM%1").arg(port);
}

QString TermSerialPortMap::devicePath(int port)
{
    if (port < 1)
        return QString();
    const QByteArray override = qgetenv(environmentName(port).toLatin1().constData());
    if (!override.isEmpty())
        return QString::fromLocal8Bit(override);
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}
