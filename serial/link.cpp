// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/link.h"

namespace serial {

Q_LOGGING_CATEGORY(lcTx, "orvante.tx", QtInfoMsg)

bool isDeviceLost(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
           error == QSerialPort::WriteError;
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
