// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/sensormodel.h"

#include <QString>

class QCoreApplication;

namespace sim {

// What sensor-sim's command line asks for.
struct Settings
{
    SensorModel::Options model;
    QString device; // serve this serial device instead of a new pseudo-terminal
    QString link;   // a symbolic link to the pseudo-terminal, removed on exit
    bool verbose = false;
};

// Exit status for an unusable command line, as with most command-line tools;
// 1 is left for a device that cannot be served or is lost.
constexpr int kUsageError = 2;

// Reads the command line. --help and --version are answered, and a command
// line that cannot be read is refused with kUsageError, ending the process;
// false, with the reason in `error`, when a value cannot be used.
bool readCommandLine(const QCoreApplication &app, Settings *settings, QString *error);

} // namespace sim
