// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace sim {

// One end of the serial line, seen from the sensor.
class Line
{
public:
    virtual ~Line() = default;
    // Whether anyone is there to receive what the sensor sends.
    virtual bool listening() const = 0;
    // Returns the number of bytes the line took.
    virtual qint64 write(const QByteArray &bytes) = 0;
    virtual void close() = 0;
    // The sensor has switched to line preset `preset` once its answer has left.
    virtual void followPreset(int preset) { Q_UNUSED(preset) }

    std::function<void(const QByteArray &)> received;
    std::function<void(const QString &)> lost;
    // What the line did to bytes on their way (the verbose log shows it).
    std::function<void(const QString &)> noted;
};

} // namespace sim
