// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/exchange.h"

namespace protocol {

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
    if (buffer.size() > kIdleBufferLimit)
        buffer.remove(0, buffer.size() - kIdleBufferLimit);
}

} // namespace protocol
