// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/serialline.h"

#include "serial/portpreset.h"
#include "serial/link.h"

#include <termios.h>

namespace sim {

bool SerialLine::open(const QString &path, int preset, QString *error)
{
    m_port.setPortName(path);
    serial::applyLinePreset(m_port, preset);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_preset = preset;
    if (!m_port.open(QIODevice::ReadWrite)) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, m_port.errorString());
        return false;
    }
    QObject::connect(&m_port, &QSerialPort::readyRead, [this] {
        if (received)
            received(m_port.readAll());
    });
    QObject::connect(&m_port, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
        // A device that went away fails every read: give up on it.
        if (serial::isDeviceLost(e) && lost)
            lost(m_port.errorString());
    });
    return true;
}

qint64 SerialLine::write(const QByteArray &bytes)
{
    return qMax<qint64>(0, m_port.write(bytes));
}

void SerialLine::followPreset(int preset)
{
    if (preset == m_preset || !m_port.isOpen())
        return;
    while (m_port.bytesToWrite() > 0 && m_port.waitForBytesWritten(200)) {
    }
    ::tcdrain(m_port.handle());
    serial::applyLinePreset(m_port, preset);
    m_preset = preset;
}

} // namespace sim
