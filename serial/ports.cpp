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

QStringList openablePorts()
{
    QStringList names;
    for (const QString &path : extraPaths()) {
        // The path as given, so that opening it later names the same device.
        if (portOpens(path))
            names.append(path);
    }
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
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
