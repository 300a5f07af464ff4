// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/codes.h"

namespace protocol {

const char *commandName(Command command)
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

const char *settingName(Setting setting)
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

bool isBusy(Command activeCommand)
{
    return activeCommand != Idle;
}

bool showsDistance(Command activeCommand, bool distanceDisplay)
{
    return activeCommand == SingleMeasurement || activeCommand == ContinuousMeasurement ||
           distanceDisplay;
}

} // namespace protocol
