// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Exchange and port state shared by the main window's slots. There is exactly
// one main window per process, so these live at file scope rather than in the
// window; tests reach them through this header.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "serial/trafficlog.h"

class QTimer;
namespace measure {
class Recorder;
}
namespace view {
class TrafficDisplay;
}

// The exchange state below (responseTimer to daCommandTemplate, pendingSetting
// and activeCommand) is the window's engine::Exchanger's: it collects the
// answer, runs the response window and moves the codes; the slots read it.

// Response window of the timed exchanges; created by the main window.
extern QTimer *responseTimer;
// The traffic display, painted at the screen's pace with the distance field;
// created by the main window.
extern view::TrafficDisplay *trafficDisplay;
// Every distance frame received, for the chart; created by the main window.
extern measure::Recorder *distanceRecorder;
// Bytes received since the last switching-output query (saturates at INT_MAX).
extern int rxByteCount;
// Text received since the last clear; what the response window parses.
extern QByteArray rxBuffer;
// The same reads as they came, zero bytes and all: what the checks of an
// answer judge. Cleared with rxBuffer, by clearRxBuffer().
extern QByteArray rxRawBuffer;
void clearRxBuffer();
// Second switching-output command, prepared when the first one is sent.
extern QByteArray daCommandTemplate;
// Traffic log file and whether received chunks go to it. Logging stops when
// the file fails; the next Save starts a new one.
extern QString saveFilePath;
extern bool saveActive;
extern serial::TrafficLog trafficLog;
// Setting write awaiting its answer (protocol::Setting).
extern quint8 pendingSetting;
// Command in flight (protocol::Command).
extern quint8 activeCommand;
// Frame-sized chunks count as distances whatever is in flight, until the first
// laser, stop or query command.
extern bool distanceDisplay;
// Ports found by the last Scan, in combo-box order.
extern QStringList portNameList;
extern qint8 portIndex;
// State of the Open/Close toggle.
extern bool portClosed;
