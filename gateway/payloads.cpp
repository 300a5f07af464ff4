// SPDX-License-Identifier: GPL-3.0-or-later
#include "gateway/payloads.h"

#include "measure/statistics.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace gateway {

namespace {

// A distance in 0.1 mm as mm, rounded to `decimals`; null for none.
QJsonValue mm(double tenths, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(tenths / 10.0 * scale) / scale;
}

} // namespace

QByteArray Payloads::identity(const QString &serialNumber, const QString &version,
                              const QString &productionDate)
{
    const QJsonObject object{{"serial_number", serialNumber},
                             {"version", version},
                             {"production_date", productionDate}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray Payloads::distance(qint64 seq, const QString &time, const QByteArray &digits)
{
    // Written by hand, as this runs for every frame: the digits are the
    // sensor's, so the mm figure is exact (a point before the last digit).
    const QByteArray padded = digits.size() < 2 ? QByteArray(2 - digits.size(), '0') + digits
                                                 : digits;
    QByteArray out;
    out.reserve(112);
    out += "{\"seq\":";
    out += QByteArray::number(seq);
    out += ",\"time\":\"";
    out += time.toLatin1();
    out += "\",\"distance_mm\":";
    out += padded.left(padded.size() - 1);
    out += '.';
    out += padded.right(1);
    out += ",\"distance_tenth_mm\":";
    out += digits;
    out += '}';
    return out;
}

QByteArray Payloads::statistics(const QString &time, const measure::Statistics &second,
                                const Counts &counts)
{
    QJsonObject object{{"time", time},
                       {"frames", double(second.count())},
                       {"rate", std::round(second.rate() * 10.0) / 10.0}};
    const bool any = !second.isEmpty();
    object["min_mm"] = any ? mm(second.minimum(), 1) : QJsonValue();
    object["max_mm"] = any ? mm(second.maximum(), 1) : QJsonValue();
    object["mean_mm"] = any ? mm(second.mean(), 2) : QJsonValue();
    object["std_dev_mm"] = any ? mm(second.standardDeviation(), 2) : QJsonValue();
    object["frames_total"] = double(counts.frames);
    object["published_total"] = double(counts.published);
    object["queued"] = double(counts.queued);
    object["dropped_total"] = double(counts.droppedOffline + counts.droppedQueueFull);
    object["dropped"] = QJsonObject{{"broker_offline", double(counts.droppedOffline)},
                                    {"queue_full", double(counts.droppedQueueFull)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace gateway
