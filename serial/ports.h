// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace serial {

// Device paths given on the command line (pseudo-terminals, network-serial
// bridges, the simulator): the system's enumeration never lists them, and the
// operator named them on purpose, so Scan offers them first, under the same
// open test.
void setExtraPortPaths(const QStringList &paths);
QStringList extraPortPaths();

// Whether the device opens for reading and writing now (it is closed again at
// once). If not, `reason` gets the system's explanation.
bool portOpens(const QString &path, QString *reason = nullptr);

// Names of the ports that can be opened for reading and writing right now: the
// extra paths in the order given, then the enumerated ports in enumeration
// order. A port held open elsewhere is left out; `held`, the port this
// program holds open, is listed where it would be, without being tried.
QStringList openablePorts(const QString &held = QString());

// Whether two port names (a short system name such as ttyUSB0 or COM3, or a
// path) name the same device as QSerialPort opens them.
bool samePort(const QString &a, const QString &b);

} // namespace serial
