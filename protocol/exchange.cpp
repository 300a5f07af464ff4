// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/exchange.h"

namespace protocol {

const char *commandName(quint8 command)
{
    switch (command) {
    case IdentityQuery:
        return "identity query";
    case AnalogQuery:
        return "analog output query";
    case SwitchingQuery:
        return "switching output query";
    default:
        return nullptr;
    }
}

const char *settingName(quint8 setting)
{
    switch (setting) {
    case LineSpeedSetting:
        return "line preset setting";
    case AnalogSetting:
        return "analog output setting";
    case SwitchingFirstSetting:
        return "switching output 1 setting";
    case SwitchingSecondSetting:
        return "switching output 2 setting";
    case AutoMeasureSetting:
        return "automatic measurement setting";
    default:
        return nullptr;
    }
}

bool isBusy(quint8 activeCommand)
{
    return activeCommand != Idle;
}

bool showsDistance(quint8 activeCommand, bool distanceDisplay)
{
    return activeCommand == SingleMeasurement || activeCommand == ContinuousMeasurement ||
           distanceDisplay;
}

void trimIdleBuffer(QByteArray &buffer)
{
    // Cutting it back to the limit on every chunk moved the whole 64 KiB per
    // 13-byte frame; now 64 KiB move once per 64 KiB received.
    if (buffer.size() > 2 * kIdleBufferLimit)
        buffer.remove(0, buffer.size() - kIdleBufferLimit);
}

} // namespace protocol
