// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The messages the gateway publishes, as docs/mqtt.md shows them: one JSON
// object each (the status is a bare word). Times are measure/'s timestamps
// (ISO 8601 local time with milliseconds and UTC offset), distances in mm and
// in the sensor's own 0.1 mm.

#include <QByteArray>
#include <QString>

namespace measure {
class Statistics;
}

namespace gateway {

class Payloads
{
public:
    // What the gateway has done with the frames since it started.
    struct Counts
    {
        qint64 frames = 0;             // read from the sensor
        qint64 published = 0;          // handed to the broker connection
        qint64 droppedOffline = 0;     // QoS 0, while the broker was not connected
        qint64 droppedQueueFull = 0;   // QoS 1, the oldest beyond the queue's bound
        qint64 queued = 0;             // QoS 1, waiting for the broker now
    };

    // {"production_date":..,"serial_number":..,"version":..}, as
    // orvante-ctl identity --json prints it.
    static QByteArray identity(const QString &serialNumber, const QString &version,
                               const QString &productionDate);
    // One frame: its number since the gateway started (from 1), the time it
    // was read and its distance as the sensor's digits (no leading zeros).
    static QByteArray distance(qint64 seq, const QString &time, const QByteArray &digits);
    // The statistics of the frames of the last second (measure/'s, as the
    // chart and measure --stats have them) and the counts so far.
    static QByteArray statistics(const QString &time, const measure::Statistics &second,
                                 const Counts &counts);
};

} // namespace gateway
