// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/columns.h"

namespace measure {

namespace {

qint64 half(qint64 index)
{
    return index >= 0 ? index / 2 : (index - 1) / 2;
}

} // namespace

void Columns::reset(int count, qint64 widthUs)
{
    m_slots.assign(size_t(qMax(1, count)), Statistics());
    m_widthUs = qMax(qint64(1), widthUs);
    m_newest = 0;
}

bool Columns::advanceTo(qint64 ms)
{
    const qint64 index = indexOf(ms);
    if (index <= m_newest)
        return false;
    const qint64 from = qMax(m_newest + 1, index - count() + 1);
    for (qint64 i = from; i <= index; ++i)
        m_slots[slot(i)] = Statistics();
    m_newest = index;
    return true;
}

Statistics *Columns::columnFor(qint64 ms)
{
    const qint64 index = indexOf(ms);
    if (index > m_newest)
        advanceTo(ms);
    else if (index < oldest())
        return nullptr;
    return &m_slots[slot(index)];
}

void Columns::add(qint64 ms, qint32 distance)
{
    if (Statistics *column = columnFor(ms))
        column->add(ms, distance);
}

void Columns::add(const Statistics &summary)
{
    if (summary.isEmpty())
        return;
    if (Statistics *column = columnFor(summary.firstMs()))
        column->merge(summary);
}

void Columns::coarsen()
{
    std::vector<Statistics> wider(m_slots.size());
    const qint64 newest = half(m_newest);
    const qint64 oldestWide = newest - count() + 1;
    for (qint64 i = oldest(); i <= m_newest; ++i) {
        if (half(i) >= oldestWide)
            wider[slot(half(i))].merge(column(i));
    }
    m_slots.swap(wider);
    m_newest = newest;
    m_widthUs *= 2;
}

Statistics Columns::total() const
{
    Statistics all;
    for (qint64 i = oldest(); i <= m_newest; ++i)
        all.merge(column(i));
    return all;
}

} // namespace measure
