// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/statistics.h"

#include <cmath>

namespace measure {

QString mmText(double tenths, int decimals)
{
    return QString::number(tenths / 10.0, 'f', decimals) + " mm";
}

void Statistics::add(qint64 ms, qint32 distance)
{
    if (m_count == 0) {
        m_min = m_max = distance;
        m_firstMs = ms;
    } else {
        m_min = qMin(m_min, distance);
        m_max = qMax(m_max, distance);
    }
    ++m_count;
    const double delta = distance - m_mean;
    m_mean += delta / double(m_count);
    m_m2 += delta * (distance - m_mean);
    m_last = distance;
    m_lastMs = ms;
}

void Statistics::merge(const Statistics &other)
{
    if (other.m_count == 0)
        return;
    if (m_count == 0) {
        *this = other;
        return;
    }
    const double n = double(m_count + other.m_count);
    const double delta = other.m_mean - m_mean;
    m_mean += delta * double(other.m_count) / n;
    m_m2 += other.m_m2 + delta * delta * double(m_count) * double(other.m_count) / n;
    m_count += other.m_count;
    m_min = qMin(m_min, other.m_min);
    m_max = qMax(m_max, other.m_max);
    m_firstMs = qMin(m_firstMs, other.m_firstMs);
    if (other.m_lastMs >= m_lastMs) {
        m_lastMs = other.m_lastMs;
        m_last = other.m_last;
    }
}

double Statistics::standardDeviation() const
{
    return m_count < 2 ? 0.0 : std::sqrt(qMax(0.0, m_m2) / double(m_count - 1));
}

double Statistics::rate() const
{
    const qint64 span = m_lastMs - m_firstMs;
    return m_count < 2 || span <= 0 ? 0.0 : double(m_count - 1) * 1000.0 / double(span);
}

QList<QPair<QString, QString>> Statistics::pairs() const
{
    QList<QPair<QString, QString>> pairs{{"count", QString::number(m_count)}};
    if (m_count == 0)
        return pairs;
    pairs << qMakePair(QString("rate"), QString("%1 frames/s").arg(rate(), 0, 'f', 1))
          << qMakePair(QString("last"), mmText(m_last))
          << qMakePair(QString("min"), mmText(m_min)) << qMakePair(QString("max"), mmText(m_max))
          << qMakePair(QString("mean"), mmText(m_mean, 2))
          << qMakePair(QString("std dev"), mmText(standardDeviation(), 2))
          << qMakePair(QString("peak to peak"), mmText(double(m_max) - double(m_min)));
    return pairs;
}

QStringList Statistics::fields() const
{
    QStringList fields;
    for (const auto &pair : pairs())
        fields << pair.first + " " + pair.second;
    return fields;
}

QString Statistics::text() const
{
    return fields().join(", ");
}

} // namespace measure
