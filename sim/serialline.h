// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/line.h"

#include <QSerialPort>

namespace sim {

// A serial device: a real port, or one end of a socat pair.
class SerialLine : public Line
{
public:
    bool open(const QString &path, int preset, QString *error);

    bool listening() const override { return m_port.isOpen(); }
    qint64 write(const QByteArray &bytes) override;
    void close() override { m_port.close(); }
    // The sensor changes its line speed once the answer to "ut+N" has left.
    void followPreset(int preset) override;

private:
    QSerialPort m_port;
    int m_preset = 0;
};

} // namespace sim
