// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// orvante-ctl's exchanges with the sensor, one query or setting each, run by
// the engine (engine/exchanger.h) on the line, for the commands that run
// several (the profiles). Each says on stderr what
// went wrong and returns the exit status (report.h).

#include "ctl/options.h"
#include "ctl/report.h"

#include <QByteArray>

namespace ctl {

class Line;

// Opens the sensor's port (Line::open); false, said, when it does not open.
bool openSensor(Line &line, const QString &path, int preset, bool fresh);

// Query `command` (a protocol Command code): `fields` gets the
// named values, each empty unless it came whole and well formed; empty when
// nothing came or the line was lost.
int ask(Line &line, quint8 command, Fields *fields);

// The settings, from the values of `inv` as the set commands read them.
int setLinePreset(Line &line, const Invocation &inv);
int setAuto(Line &line, const Invocation &inv);
// With `settle`, the answer to the distances is let pass first, for an
// exchange that follows.
int setAnalog(Line &line, const Invocation &inv, bool settle = false);
int setSwitching(Line &line, const Invocation &inv);

} // namespace ctl
