// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the programs tell the operator about serial ports, in the words of the
// system they run on: Linux has device files, groups and signals, Windows has
// COM ports, Device Manager and drivers. One row per system, chosen once when
// built; messages and help texts take their system-specific parts from here.

#include <QSerialPort>
#include <QString>

namespace serial {

enum class Platform { Linux, Windows };

struct PlatformAdvice
{
    const char *portExamples; // what a port's name looks like
    const char *permission;   // the port may not be opened by this user
    const char *missing;      // there is no such port
    const char *held;         // another program has it open
    const char *stopKeys;     // what ends a measurement that runs until stopped
};

const PlatformAdvice &adviceFor(Platform platform);
// The row of the system this program was built for.
Platform currentPlatform();
inline const PlatformAdvice &platformAdvice()
{
    return adviceFor(currentPlatform());
}

// Why port `path` did not open, and what to do, from the port's error and the
// system's own words (`systemReason`): "permission denied; on Linux add
// yourself to the group dialout and log in again". Where the system reports
// a refusal the same way for a user without rights and for a port that
// another program holds, the device file's access tells the two apart.
QString openProblem(const QString &path, QSerialPort::SerialPortError error,
                    const QString &systemReason, Platform platform = currentPlatform());
// The same, with `userMayOpen` saying whether the device file's permissions
// let this user read and write it.
QString openProblem(QSerialPort::SerialPortError error, const QString &systemReason,
                    bool userMayOpen, Platform platform);

} // namespace serial
