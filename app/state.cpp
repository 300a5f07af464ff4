// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/state.h"

#include "protocol/commands.h"
#include "protocol/codes.h"

QTimer *responseTimer = nullptr;
view::TrafficDisplay *trafficDisplay = nullptr;
measure::Recorder *distanceRecorder = nullptr;
int rxByteCount = 0;
QByteArray rxBuffer;
QByteArray rxRawBuffer;
QByteArray daCommandTemplate = protocol::kSwitchingSecondTemplate;
QString saveFilePath;
bool saveActive = false;
serial::TrafficLog trafficLog;
quint8 pendingSetting = protocol::NoSetting;
quint8 activeCommand = protocol::Idle;
bool distanceDisplay = true;
QStringList portNameList;
qint8 portIndex = 0;
bool portClosed = true;

void clearRxBuffer()
{
    rxBuffer.clear();
    rxRawBuffer.clear();
}
