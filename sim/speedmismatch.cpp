// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/speedmismatch.h"

#include <QVector>

#include <cmath>

namespace sim {

QByteArray acrossSpeeds(const QByteArray &bytes, int sentBaud, int readBaud, int dataBits,
                        char parity)
{
    const bool withParity = parity == 'E';
    const int frameBits = 1 + dataBits + (withParity ? 1 : 0) + 1;
    // The line, bit by bit as sent; idle (1) after the last stop bit.
    QVector<bool> line;
    line.reserve(bytes.size() * frameBits);
    for (const char byte : bytes) {
        line << false;
        int ones = 0;
        for (int i = 0; i < dataBits; ++i) {
            const bool bit = (byte >> i) & 1;
            ones += bit;
            line << bit;
        }
        if (withParity)
            line << bool(ones & 1);
        line << true;
    }
    const double sentBit = 1.0 / sentBaud;
    const double readBit = 1.0 / readBaud;
    const auto level = [&](double t) {
        const qint64 index = qint64(std::floor(t / sentBit));
        return index < 0 || index >= line.size() || line.at(int(index));
    };

    QByteArray received;
    double hunting = 0; // the receiver looks for a start bit from here on
    for (;;) {
        // The next falling edge: the line changes only at the sender's bit edges.
        qint64 index = qint64(std::ceil(hunting / sentBit - 1e-9));
        while (index < line.size() && line.at(int(index)))
            ++index;
        if (index >= line.size())
            break;
        const double edge = index * sentBit;
        const auto sample = [&](int bit) { return level(edge + (bit + 0.5) * readBit); };
        if (sample(0)) {
            // A glitch, not a start bit.
            hunting = edge + 0.5 * readBit;
            continue;
        }
        int value = 0;
        int ones = 0;
        for (int i = 0; i < dataBits; ++i) {
            const bool bit = sample(1 + i);
            ones += bit;
            value |= int(bit) << i;
        }
        bool good = sample(frameBits - 1);
        if (withParity)
            good = good && sample(1 + dataBits) == bool(ones & 1);
        received += good ? char(value) : '\0';
        hunting = edge + (frameBits - 0.5) * readBit;
    }
    return received;
}

} // namespace sim
