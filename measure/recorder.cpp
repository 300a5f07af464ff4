// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/recorder.h"

#include "measure/timestamp.h"

#include <QIODevice>

#include <algorithm>

namespace measure {

namespace {

// A sample in 64 bits: 37 of milliseconds (four years) above 27 of distance
// (8 digits of 0.1 mm need 27).
constexpr int kDistanceBits = 27;
constexpr qint64 kDistanceMask = (qint64(1) << kDistanceBits) - 1;
constexpr qint64 kMaxMs = (qint64(1) << (64 - kDistanceBits)) - 1;

quint64 pack(qint64 ms, qint32 distance)
{
    return (quint64(qBound(qint64(0), ms, kMaxMs)) << kDistanceBits) |
           quint64(qBound(qint64(0), qint64(distance), kDistanceMask));
}

// Sample blocks of 512 KiB, second blocks of 56 KiB.
constexpr int kSampleBlockBits = 16;
constexpr int kSecondBlockBits = 10;

} // namespace

Recorder::Recorder(QObject *parent, int sampleBits, int secondBits)
    : QObject(parent), m_startEpochMs(QDateTime::currentMSecsSinceEpoch()),
      m_samples(sampleBits, kSampleBlockBits), m_seconds(secondBits, kSecondBlockBits)
{
    m_clock.start();
}

QList<QByteArray> Recorder::take(const QByteArray &chunk, QByteArray *notFrame)
{
    const QList<QByteArray> distances = m_frames.take(chunk, notFrame);
    if (distances.isEmpty())
        return distances;
    const qint64 ms = m_clock.elapsed();
    for (const QByteArray &distance : distances)
        add(ms, distance.toInt());
    return distances;
}

void Recorder::add(qint64 ms, qint32 distance)
{
    if (!m_samples.isEmpty())
        ms = qMax(ms, sample(total() - 1).ms);
    m_samples.push(pack(ms, distance));
    if (m_seconds.isEmpty() || m_seconds.last().lastMs() / 1000 != ms / 1000)
        m_seconds.push(Statistics());
    m_seconds.last().add(ms, distance);
}

void Recorder::clear()
{
    m_samples.clear();
    m_seconds.clear();
}

qint64 Recorder::now() const
{
    const qint64 elapsed = m_clock.elapsed();
    return m_samples.isEmpty() ? elapsed : qMax(elapsed, sample(total() - 1).ms);
}

QDateTime Recorder::wallTime(qint64 ms) const
{
    return QDateTime::fromMSecsSinceEpoch(m_startEpochMs + ms);
}

Sample Recorder::sample(qint64 number) const
{
    const quint64 packed = m_samples.at(number);
    return {qint64(packed >> kDistanceBits), qint32(packed & kDistanceMask)};
}

qint64 Recorder::firstAtOrAfter(qint64 ms) const
{
    qint64 low = oldestKept(), high = total();
    while (low < high) {
        const qint64 middle = low + (high - low) / 2;
        if (sample(middle).ms < ms)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

qint64 Recorder::allocatedBytes() const
{
    return m_samples.allocatedBytes() + m_seconds.allocatedBytes();
}

qint64 Recorder::writeCsv(QIODevice *device) const
{
    // Formatting a local time costs microseconds: each second's text is made
    // once and its lines take only the milliseconds, so that a full history
    // (millions of lines) is written in well under a second.
    constexpr int kBuffer = 1 << 20;
    QByteArray out;
    out.reserve(kBuffer + 64);
    qint64 second = -1;
    QByteArray head, tail; // "2026-12-07T10:26:29." and "+01:00,"
    qint64 lines = 0;
    for (qint64 n = oldestKept(); n < total(); ++n) {
        const Sample s = sample(n);
        const qint64 wall = m_startEpochMs + s.ms;
        const qint64 wallSecond = wall >= 0 ? wall / 1000 : (wall - 999) / 1000;
        if (wallSecond != second) {
            second = wallSecond;
            const QByteArray text =
                timestamp(QDateTime::fromMSecsSinceEpoch(second * 1000)).toLatin1();
            head = text.left(kTimestampMsAt);
            tail = text.mid(kTimestampMsAt + 3) + ',';
        }
        const int ms = int(wall - second * 1000);
        out += head;
        const char millis[3] = {char('0' + ms / 100), char('0' + ms / 10 % 10),
                                char('0' + ms % 10)};
        out.append(millis, 3);
        out += tail;
        // The distance's digits, last first.
        char digits[12];
        int length = 0;
        for (qint32 d = s.distance; length == 0 || d > 0; d /= 10)
            digits[length++] = char('0' + d % 10);
        std::reverse(digits, digits + length);
        out.append(digits, length);
        out += '\n';
        ++lines;
        if (out.size() > kBuffer || n + 1 == total()) {
            if (device->write(out) != out.size())
                return -1;
            out.resize(0); // keeps the buffer
        }
    }
    return lines;
}

} // namespace measure
