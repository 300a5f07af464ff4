// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace serial {

// Device paths given on the command line (pseudo-terminals, network-serial
// bridges, the simulator): the system's enumeration never lists them, and the
// operator named them on purpose, so a scan offers them first, under the same
// open test.
void setExtraPortPaths(const QStringList &paths);
QStringList extraPortPaths();

// A port as the command line gives it: a relative path to something that
// exists here is made absolute (QSerialPort would look for a bare name in
// /dev); anything else (ttyUSB0, COM3, /dev/ttyS0) is kept as given.
QString portFromArgument(const QString &given);

// Whether the device opens for reading and writing now (it is closed again at
// once). If not, `reason` gets why and what to do (openProblem).
bool portOpens(const QString &path, QString *reason = nullptr);

// A port a scan found but could not open, and why (openProblem).
struct LeftOutPort
{
    QString name;
    QString reason;
};

struct PortScan
{
    QStringList openable;
    QList<LeftOutPort> leftOut;
};

// The ports that can be opened for reading and writing right now: the extra
// paths in the order given (network addresses untried), then the enumerated
// ports in enumeration order.
// A port that does not open (held elsewhere, no permission) is left out,
// with its reason; `held`, the port this program holds open, is listed where
// it would be, without being tried.
PortScan scanPorts(const QString &held = QString());
// Their names only.
QStringList openablePorts(const QString &held = QString());

// Whether two port names (a short system name such as ttyUSB0 or COM3, or a
// path) name the same device as QSerialPort opens them.
bool samePort(const QString &a, const QString &b);

} // namespace serial
