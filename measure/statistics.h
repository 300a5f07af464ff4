// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Statistics of a series of distances, kept as the frames come: adding one
// costs O(1), and two summaries merge into the summary of both, which is how
// a chart window's figures come from its pixel columns and its seconds.
//
// The spread is kept as a running mean and sum of squared deviations
// (Welford; merged as Chan et al. do), not as a sum of squares: distances
// near 10^8 (0.1 mm) squared would leave no digit of a small jitter in a
// double.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace measure {

// A distance in 0.1 mm as the figures write it: "1234.5 mm".
QString mmText(double tenths, int decimals = 1);

class Statistics
{
public:
    // One frame: its time in ms (any clock, non-decreasing) and its distance
    // in 0.1 mm.
    void add(qint64 ms, qint32 distance);
    // Adds the samples `other` summarises, which come no earlier than these.
    void merge(const Statistics &other);

    qint64 count() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    // In 0.1 mm; 0 while empty.
    qint32 minimum() const { return m_min; }
    qint32 maximum() const { return m_max; }
    qint32 last() const { return m_last; }
    double mean() const { return m_mean; }
    // Sample standard deviation (n - 1), in 0.1 mm; 0 below two samples.
    double standardDeviation() const;
    // Frames per second from the first frame to the last; 0 below two
    // frames or while they share one millisecond.
    double rate() const;
    qint64 firstMs() const { return m_firstMs; }
    qint64 lastMs() const { return m_lastMs; }

    // The figures as name and value: ("count", "8861"), ("rate", "886.1
    // frames/s"), ("last", "1234.5 mm"), then min, max, mean, std dev and
    // peak to peak, in mm. Only the count while empty.
    QList<QPair<QString, QString>> pairs() const;
    // Each pair as written, name and value apart by a blank: "count 8861".
    QStringList fields() const;
    // All of them on one line, as orvante-ctl measure --stats prints them;
    // the chart writes the same fields.
    QString text() const;

private:
    qint64 m_count = 0;
    qint32 m_min = 0;
    qint32 m_max = 0;
    qint32 m_last = 0;
    double m_mean = 0;
    double m_m2 = 0; // sum of squared deviations from the mean
    qint64 m_firstMs = 0;
    qint64 m_lastMs = 0;
};

} // namespace measure
