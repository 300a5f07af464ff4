// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What orvante-ctl's commands share about the sensor's line: opening it,
// running an exchange on it, and saying what went wrong the same way for
// every command (the profiles too). Each returns the exit status (report.h)
// after saying it on stderr.

#include "ctl/report.h"
#include "engine/exchanger.h"
#include "protocol/codes.h"

#include <QString>

#include <functional>

namespace ctl {

class Line;

// Opens the sensor's port (Line::open); false, said, when it does not open.
bool openSensor(Line &line, const QString &path, int preset, bool fresh);

// Runs one exchange of the engine on the line, to its end or the line's. A
// signal lets the exchange on the line end first (a setting is not left
// half written); a second one cancels it. `stoppedBy` gets the signal.
engine::Exchanger::Outcome exchange(Line &line,
                                    const std::function<bool(engine::Exchanger &)> &start,
                                    int *stoppedBy);

// One query on the engine: `fields` gets the values, those that did not come
// whole or in the sensor's form empty; what was missing or garbled is said.
// Done only when every value is good.
int ask(Line &line, protocol::Command command, Fields *fields);

// The line went away during the run.
int lost(const Line &line);

// The sensor took line preset `preset`, which the line cannot follow (raw
// TCP): said on stderr, the sensor's acceptance stands.
void serverKeepsLine(const Line &line, int preset);

// A setting's outcome from the engine: Done when accepted, otherwise the
// refusal or the missing answer named; `command` is the set command whose
// help says more ("set switching").
int settled(Line &line, const engine::Exchanger::Outcome &outcome, const QString &command);

// What to check when the sensor gives no usable answer.
QString checkLine();

} // namespace ctl
