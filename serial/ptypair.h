// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A pseudo-terminal pair: its slave is a serial device to any program that
// opens it (QSerialPort included), while this program holds the master and
// plays what is at the far end of the line. Only where the system has them.

#include <QString>

namespace serial {

struct PtyPair
{
    int master = -1; // non-blocking
    int slave = -1;  // kept open until the owner closes it
    QString slavePath;
};

// Makes a pair, the slave raw (a cooked one would echo what it is sent back
// to the sender); both descriptors close on exec. False, with `error`, when
// none can be made.
bool openPtyPair(PtyPair *pair, QString *error);

} // namespace serial
