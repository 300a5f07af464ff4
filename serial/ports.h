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
// order. A port held open elsewhere (also by this program) is left out.
QStringList openablePorts();

} // namespace serial
