// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the benchmarks measure against: the sensor's full frame rate, and the
// process's resident memory.

#include <QByteArray>
#include <QFile>

namespace bench {

// Frames a second at 115200 baud 8N1: 10 bits a byte, 13 bytes a frame.
constexpr double kLineRate = 115200.0 / 10 / 13;

// Resident memory in KiB, from /proc/self/status; -1 where there is none.
inline long rssKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace bench
