// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/ports.h"

#include "serial/advice.h"
#include "serial/portaddress.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

namespace serial {

namespace {
QStringList &extraPaths()
{
    static QStringList paths;
    return paths;
}
} // namespace

void setExtraPortPaths(const QStringList &paths)
{
    extraPaths() = paths;
}

QStringList extraPortPaths()
{
    return extraPaths();
}

QString portFromArgument(const QString &given)
{
#ifdef Q_OS_UNIX
    const QFileInfo file(given);
    if (file.isRelative() && file.exists())
        return file.absoluteFilePath();
#endif
    return given;
}

bool portOpens(const QString &path, QString *reason)
{
    QSerialPort probe;
    probe.setPortName(path);
    if (!probe.open(QIODevice::ReadWrite)) {
        if (reason)
            *reason = openProblem(path, probe.error(), probe.errorString());
        return false;
    }
    probe.close();
    return true;
}

bool samePort(const QString &a, const QString &b)
{
    // QSerialPort turns either form into the same short name.
    QSerialPort first, second;
    first.setPortName(a);
    second.setPortName(b);
    return first.portName() == second.portName();
}

PortScan scanPorts(const QString &held)
{
    // Opening the held port again would fail, or, where the system allows
    // it, take the line from under the program.
    const auto isHeld = [&held](const QString &name) {
        return !held.isEmpty() && samePort(name, held);
    };
    PortScan scan;
    for (const QString &path : extraPaths()) {
        // The path as given, so that opening it later names the same device.
        // A device server's address is listed untried: connecting can take
        // seconds, and Open says what fails.
        QString reason;
        if (looksLikeAddress(path) || isHeld(path) || portOpens(path, &reason))
            scan.openable.append(path);
        else
            scan.leftOut.append({path, reason});
    }
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        if (isHeld(info.portName())) {
            scan.openable.append(info.portName());
            continue;
        }
        QSerialPort probe;
        probe.setPort(info);
        if (probe.open(QIODevice::ReadWrite)) {
            scan.openable.append(probe.portName());
            probe.close();
        } else {
            // Named as the list names the ports that open.
            scan.leftOut.append({info.portName(), openProblem(info.systemLocation(), probe.error(),
                                                              probe.errorString())});
        }
    }
    return scan;
}

QStringList openablePorts(const QString &held)
{
    return scanPorts(held).openable;
}

} // namespace serial
