// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/ports.h"

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

bool portOpens(const QString &path, QString *reason)
{
    QSerialPort probe;
    probe.setPortName(path);
    if (!probe.open(QIODevice::ReadWrite)) {
        if (reason)
            *reason = probe.errorString();
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

QStringList openablePorts(const QString &held)
{
    // Opening the held port again would fail, or, where the system allows
    // it, take the line from under the program.
    const auto isHeld = [&held](const QString &name) {
        return !held.isEmpty() && samePort(name, held);
    };
    QStringList names;
    for (const QString &path : extraPaths()) {
        // The path as given, so that opening it later names the same device.
        if (isHeld(path) || portOpens(path))
            names.append(path);
    }
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        if (isHeld(info.portName())) {
            names.append(info.portName());
            continue;
        }
        QSerialPort probe;
        probe.setPort(info);
        if (probe.open(QIODevice::ReadWrite)) {
            names.append(probe.portName());
            probe.close();
        }
    }
    return names;
}

} // namespace serial
