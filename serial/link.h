// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every program that holds a serial line does the same way: decide that
// the device is gone, and trace what it writes.

#include <QByteArray>
#include <QLoggingCategory>
#include <QSerialPort>

namespace serial {

// Every write to a port, one message per write, as hex; off unless asked for
// with QT_LOGGING_RULES="orvante.tx.debug=true". The window and orvante-ctl
// trace alike, so their writes can be compared.
Q_DECLARE_LOGGING_CATEGORY(lcTx)

// Errors after which the device is gone (an adapter unplugged, a far end that
// closed): every further read fails, in a tight loop if the port stays open.
// Other errors leave the line usable.
bool isDeviceLost(QSerialPort::SerialPortError error);

// Why the device of `port` is gone, for the operator. Not the port's
// errorString(): a read that merely ends (the far end hung up) is reported
// with whatever errno an earlier call left ("File exists"). What can still be
// told is whether the device file is there.
QString lostReason(const QSerialPort &port);

// Traces one write on lcTx (for a line that is no QSerialPort).
void traceWrite(const QByteArray &bytes);

// One write, traced on lcTx. A port that is not open takes nothing and
// returns -1 (QSerialPort would also print a warning for every such write);
// otherwise returns what QSerialPort::write returns.
qint64 tracedWrite(QSerialPort &port, const QByteArray &bytes);

} // namespace serial
