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

QStringList openablePorts()
{
    QStringList names;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        QSerialPort probe;
        probe.setPort(info);
        if (probe.open(QIODevice::ReadWrite)) {
            names.append(probe.portName());
            probe.close();
        }
    }
    for (const QString &path : extraPaths()) {
        QSerialPort probe;
        probe.setPortName(path);
        if (probe.open(QIODevice::ReadWrite)) {
            // The path as given, so that opening it later names the same device.
            names.append(path);
            probe.close();
        }
    }
    return names;
}

} // namespace serial
