// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/link.h"

#include <QFileInfo>

namespace serial {

Q_LOGGING_CATEGORY(lcTx, "orvante.tx", QtInfoMsg)

bool isDeviceLost(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
           error == QSerialPort::WriteError;
}

QString lostReason(const QSerialPort &port)
{
#ifdef Q_OS_WIN
    // Windows reports the failed call's own error.
    return port.errorString();
#else
    const QString name = port.portName();
    const QString path = name.startsWith('/') ? name : "/dev/" + name;
    return QFileInfo::exists(path) ? QStringLiteral("the line hung up")
                                   : QStringLiteral("the device is gone");
#endif
}

void traceWrite(const QByteArray &bytes)
{
    qCDebug(lcTx, "%s", bytes.toHex().constData());
}

qint64 tracedWrite(QSerialPort &port, const QByteArray &bytes)
{
    traceWrite(bytes);
    if (!port.isOpen())
        return -1;
    return port.write(bytes);
}

} // namespace serial
