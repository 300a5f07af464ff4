// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/advice.h"

#include <QFileInfo>

namespace serial {

namespace {

const PlatformAdvice kLinux = {
    "/dev/ttyUSB0, /dev/ttyACM0, /dev/ttyS0, a pseudo-terminal",
    "on Linux add yourself to the group dialout and log in again",
    "check the name (ls /dev/ttyUSB* /dev/ttyACM* lists USB adapters) and that the adapter is "
    "plugged in",
    "close the program that holds it (fuser -v names it)",
    "Ctrl-C (SIGINT), SIGTERM or SIGHUP",
};

const PlatformAdvice kWindows = {
    "COM3, COM10",
    "on Windows another program holds the port: close it",
    "check the COM port's number in Device Manager (Ports (COM & LPT)) and that the adapter's "
    "driver is installed",
    "close the program that holds it (a terminal, another copy of this program)",
    "Ctrl-C or Ctrl-Break, or closing the console window",
};

} // namespace

const PlatformAdvice &adviceFor(Platform platform)
{
    return platform == Platform::Windows ? kWindows : kLinux;
}

Platform currentPlatform()
{
#ifdef Q_OS_WIN
    return Platform::Windows;
#else
    return Platform::Linux;
#endif
}

QString openProblem(const QString &path, QSerialPort::SerialPortError error,
                    const QString &systemReason, Platform platform)
{
    const QFileInfo file(path);
    return openProblem(error, systemReason,
                       !file.exists() || (file.isReadable() && file.isWritable()), platform);
}

QString openProblem(QSerialPort::SerialPortError error, const QString &systemReason,
                    bool userMayOpen, Platform platform)
{
    const PlatformAdvice &advice = adviceFor(platform);
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QString("no such port (%1); %2").arg(systemReason, advice.missing);
    case QSerialPort::PermissionError:
        // Windows refuses a port in use as "access denied"; Linux says the
        // same of a device file the user may not open and of one locked by
        // another program.
        if (platform == Platform::Windows || userMayOpen)
            return QString("in use (%1); %2").arg(systemReason, advice.held);
        return QString("permission denied; %1").arg(advice.permission);
    case QSerialPort::OpenError:
        return QString("already open (%1); %2").arg(systemReason, advice.held);
    default:
        return systemReason;
    }
}

} // namespace serial
