// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A time window cut into columns of equal duration, one per pixel column of
// a chart, each summarising its samples (extremes and statistics). A sample
// goes into its column in O(1), and painting or summing the window costs
// O(columns) however many samples it holds: an hour at line rate paints as
// fast as ten seconds, and a spike of one sample is never lost, as it is the
// maximum of its column.

#include "measure/statistics.h"

#include <vector>

namespace measure {

class Columns
{
public:
    // `count` empty columns of `widthUs` microseconds, aligned to multiples
    // of it; the newest is the one that holds time 0.
    void reset(int count, qint64 widthUs);

    int count() const { return int(m_slots.size()); }
    qint64 widthUs() const { return m_widthUs; }
    // Index of the newest column; column i spans [i, i + 1) * widthUs.
    qint64 newest() const { return m_newest; }
    qint64 oldest() const { return m_newest - count() + 1; }
    qint64 indexOf(qint64 ms) const { return ms * 1000 / m_widthUs; }

    // Makes the column that holds `ms` the newest, emptying those it passes.
    // Returns whether the window moved.
    bool advanceTo(qint64 ms);
    // A sample: older than the oldest column it is dropped; newer than the
    // newest it moves the window first.
    void add(qint64 ms, qint32 distance);
    // The samples a summary holds, all in the column of its first one.
    void add(const Statistics &summary);
    // Columns twice as wide, each holding the two it replaces.
    void coarsen();

    // `index` from oldest() to newest().
    const Statistics &column(qint64 index) const { return m_slots[slot(index)]; }
    // Everything in the window.
    Statistics total() const;

private:
    // The column that holds `ms`, the window moved on to it first if it is
    // newer; null when it is older than the oldest.
    Statistics *columnFor(qint64 ms);
    // Indices below 0 occur while the window still reaches back before time 0.
    size_t slot(qint64 index) const { return size_t(((index % count()) + count()) % count()); }

    std::vector<Statistics> m_slots;
    qint64 m_widthUs = 1000;
    qint64 m_newest = 0;
};

} // namespace measure
