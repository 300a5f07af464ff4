#pragma once

#include <QSerialPort>

namespace serial {

// The eight line presets, in the order of both preset combo boxes.
struct LinePreset
{
    qint32 baudRate;
    QSerialPort::DataBits dataBits;
    QSerialPort::Parity parity;
};

constexpr int kLinePresetCount = 8;

// False for an index outside 0..7.
bool linePreset(int index, LinePreset *preset);

// Sets speed (both directions), data bits, parity and one stop bit. Flow
// control is left as the port has it.
bool applyLinePreset(QSerialPort &port, int index);

} // namespace serial
