#include "serial/linepresets.h"

namespace serial {

namespace {
const LinePreset kPresets[kLinePresetCount] = {
    {9600, QSerialPort::Data8, QSerialPort::NoParity},
    {9600, QSerialPort::Data7, QSerialPort::EvenParity},
    {19200, QSerialPort::Data8, QSerialPort::NoParity},
    {19200, QSerialPort::Data7, QSerialPort::EvenParity},
    {38400, QSerialPort::Data8, QSerialPort::NoParity},
    {38400, QSerialPort::Data7, QSerialPort::EvenParity},
    {115200, QSerialPort::Data8, QSerialPort::NoParity},
    {115200, QSerialPort::Data7, QSerialPort::EvenParity},
};
} // namespace

bool linePreset(int index, LinePreset *preset)
{
    if (index < 0 || index >= kLinePresetCount)
        return false;
    *preset = kPresets[index];
    return true;
}

bool applyLinePreset(QSerialPort &port, int index)
{
    LinePreset preset;
    if (!linePreset(index, &preset))
        return false;
    port.setBaudRate(preset.baudRate, QSerialPort::AllDirections);
    port.setDataBits(preset.dataBits);
    port.setParity(preset.parity);
    port.setStopBits(QSerialPort::OneStop);
    return true;
}

} // namespace serial
