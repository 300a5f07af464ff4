#pragma once

#include <QStringList>

namespace serial {

// Device paths given on the command line (pseudo-terminals, network-serial
// bridges, the simulator): the system's enumeration never lists them, so Scan
// offers them after the enumerated ports, under the same open test.
void setExtraPortPaths(const QStringList &paths);
QStringList extraPortPaths();

// Names of the ports that can be opened for reading and writing right now, in
// enumeration order, then the extra paths. A port held open elsewhere (also by
// this program) is left out.
QStringList openablePorts();

} // namespace serial
