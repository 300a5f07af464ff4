// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/portpreset.h"

#include "protocol/linepresets.h"

namespace serial {

bool applyLinePreset(QSerialPort &port, int index)
{
    if (!protocol::isLinePreset(index))
        return false;
    const protocol::LinePreset &preset = protocol::kLinePresets[index];
    port.setBaudRate(preset.baudRate, QSerialPort::AllDirections);
    port.setDataBits(preset.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    port.setParity(preset.parity == 'E' ? QSerialPort::EvenParity : QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    return true;
}

} // namespace serial
