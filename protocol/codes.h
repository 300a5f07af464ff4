// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The codes of the commands that await an answer and of the settings, what
// they are called to the operator, and the response window's length.

#include <QByteArray>
#include <QtGlobal>

namespace protocol {

// The command in flight.
enum Command : quint8 {
    Idle = 0,
    IdentityQuery = 1,
    AnalogQuery = 2,
    SingleMeasurement = 3,
    ContinuousMeasurement = 4,
    SwitchingQuery = 7,
};

// The setting write that awaits its answer.
enum Setting : quint8 {
    NoSetting = 0,
    LineSpeedSetting = 1,
    AnalogSetting = 2,
    SwitchingFirstSetting = 3,
    SwitchingSecondSetting = 4,
    AutoMeasureSetting = 5,
};

// What a query or setting is called where a program names it to the operator
// (orvante-ctl's messages, the window's status bar): "identity query", "line
// preset setting", ... Null for the measurements, Idle and NoSetting.
const char *commandName(Command command);
const char *settingName(Setting setting);

// Queries and settings must not overlap a command in flight.
bool isBusy(Command activeCommand);

// Whether a frame-sized chunk is to be read as a distance.
bool showsDistance(Command activeCommand, bool distanceDisplay);

// Response window of the timed exchanges, in milliseconds.
constexpr int kResponseWindowMs = 1000;

} // namespace protocol
