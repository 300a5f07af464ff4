// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Codes of the request/answer exchange with the sensor. They are shared by the
// main window's slots, the tests and the simulator, so they live here without
// any widget dependency.

#include <QByteArray>
#include <QtGlobal>

namespace protocol {

// What command is in flight (activeCommand).
enum Command : quint8 {
    Idle = 0,
    IdentityQuery = 1,
    AnalogQuery = 2,
    SingleMeasurement = 3,
    ContinuousMeasurement = 4,
    SwitchingQuery = 7,
};

// Which setting write awaits its answer (pendingSetting).
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
const char *commandName(quint8 command);
const char *settingName(quint8 setting);

// Queries and settings must not overlap a command in flight.
bool isBusy(quint8 activeCommand);

// Whether a frame-sized chunk is to be read as a distance.
bool showsDistance(quint8 activeCommand, bool distanceDisplay);

// Response window of the timed exchanges, in milliseconds.
constexpr int kResponseWindowMs = 1000;

// Outside a response window nothing reads the receive buffer, and every
// window starts by clearing it; meanwhile it keeps only its newest bytes, so
// a measurement left running for hours does not fill the memory with them.
// It keeps at least the newest kIdleBufferLimit bytes and at most twice as
// many: cut only when it has doubled, a chunk pays nothing for the length.
constexpr int kIdleBufferLimit = 64 * 1024;
void trimIdleBuffer(QByteArray &buffer);

} // namespace protocol
