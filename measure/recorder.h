// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The distance history of a run, for the chart window: every distance frame
// the sensor sends, with the time it arrived, from the program's start on,
// whether the chart is open or not. Taking a chunk costs O(1) per frame.
//
// Memory is bounded. The samples go into a ring of kSampleBits (8 bytes
// each: 32 MiB for 4,194,304 frames, 79 minutes at the full line rate of 886
// frames/s); beyond it the oldest go. Each second also goes into a summary of
// its own (its count, extremes, mean and spread; kSecondBits of them, 72
// hours, at most 14 MiB), so the longest windows keep their extremes and
// statistics after the samples themselves have gone.

#include "measure/ring.h"
#include "measure/statistics.h"
#include "protocol/framestream.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>

class QIODevice;

namespace measure {

struct Sample
{
    qint64 ms;       // on the recorder's clock
    qint32 distance; // 0.1 mm
};

// A QObject only so that whoever feeds it can own it as a child.
class Recorder : public QObject
{
public:
    static constexpr int kSampleBits = 22;
    static constexpr int kSecondBits = 18;
    static constexpr int kBytesPerSample = 8;

    explicit Recorder(QObject *parent = nullptr, int sampleBits = kSampleBits,
                      int secondBits = kSecondBits);

    // The frames that `chunk` completes, cut from the stream at CR LF across
    // chunks (protocol::FrameStream), recorded at the time it came. Returns
    // their distances and, in `notFrame`, the stream's first line that was no
    // frame, for whoever shows the same stream.
    QList<QByteArray> take(const QByteArray &chunk, QByteArray *notFrame = nullptr);
    // One frame at `ms` on the recorder's clock; times do not go back.
    void add(qint64 ms, qint32 distance);
    // Forgets every frame; the stream's unfinished line stays.
    void clear();

    // Milliseconds since the recorder was made (or the last frame's time, if
    // that is later: frames added by hand bring their own clock).
    qint64 now() const;
    // The wall-clock time of `ms`, for display and export.
    QDateTime wallTime(qint64 ms) const;

    // Frames since the start or the last clear.
    qint64 total() const { return m_samples.end(); }
    // The frames kept are numbered from oldestKept() to total() - 1.
    qint64 oldestKept() const { return m_samples.begin(); }
    Sample sample(qint64 number) const;
    // The number of the first kept frame at or after `ms` (total() if none).
    qint64 firstAtOrAfter(qint64 ms) const;
    // One summary per second that had frames (second = ms / 1000), newest last.
    const Ring<Statistics> &seconds() const { return m_seconds; }

    // Heap memory of the history now.
    qint64 allocatedBytes() const;

    // The kept frames as orvante-ctl measure --csv prints them: local ISO 8601
    // time with milliseconds and UTC offset, a comma, the distance in 0.1 mm.
    // Returns the lines written, or -1 when the device failed.
    qint64 writeCsv(QIODevice *device) const;

private:
    protocol::FrameStream m_frames;
    QElapsedTimer m_clock;
    qint64 m_startEpochMs; // the wall clock when the recorder's clock started
    Ring<quint64> m_samples;
    Ring<Statistics> m_seconds;
};

} // namespace measure
