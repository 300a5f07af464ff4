// SPDX-License-Identifier: GPL-3.0-or-later
// The distance history and its statistics: the figures against a plain
// two-pass computation, frames cut from the stream however the reads fall,
// and the CSV export read back.

#include "measure/recorder.h"
#include "measure/statistics.h"
#include "measure/timestamp.h"

#include <QBuffer>
#include <QtTest>

#include <cmath>

using Series = QVector<qint32>;

class TestMeasure : public QObject
{
    Q_OBJECT

private slots:
    void statistics_data();
    void statistics();
    void framesAcrossReads_data();
    void framesAcrossReads();
    void csvReadsBack();
};

void TestMeasure::statistics_data()
{
    QTest::addColumn<Series>("series");
    QTest::newRow("constant") << Series(50, 12345);
    QTest::newRow("one sample") << Series{777};
    // Squares near 10^16: a sum of squares in a double keeps nothing of a
    // spread of a few tenths of a millimetre.
    Series offset;
    for (int i = 0; i < 2000; ++i)
        offset << 99999990 + (i * 7919) % 10;
    QTest::newRow("offset near 10^8") << offset;
    QTest::newRow("step") << (Series(30, 1000) + Series(10, 3000));
}

// Each figure against the textbook definition, computed in two passes; once
// added frame by frame and once merged from three parts, as the chart sums
// its columns.
void TestMeasure::statistics()
{
    QFETCH(Series, series);
    const int n = series.size();
    double sum = 0;
    for (qint32 v : series)
        sum += v;
    const double mean = sum / n;
    double squares = 0;
    for (qint32 v : series)
        squares += (v - mean) * (v - mean);
    const double deviation = n > 1 ? std::sqrt(squares / (n - 1)) : 0.0;

    measure::Statistics whole, parts[3], merged;
    for (int i = 0; i < n; ++i) {
        whole.add(10 * i, series[i]);
        parts[i * 3 / n].add(10 * i, series[i]);
    }
    for (const measure::Statistics &part : parts)
        merged.merge(part);

    for (const measure::Statistics &s : {whole, merged}) {
        QCOMPARE(s.count(), qint64(n));
        QCOMPARE(s.minimum(), *std::min_element(series.begin(), series.end()));
        QCOMPARE(s.maximum(), *std::max_element(series.begin(), series.end()));
        QCOMPARE(s.last(), series.last());
        QVERIFY2(std::abs(s.mean() - mean) <= 1e-9 * std::abs(mean), qPrintable(s.text()));
        QVERIFY2(std::abs(s.standardDeviation() - deviation) <= 1e-9 * qMax(1.0, deviation),
                 qPrintable(QString("%1 instead of %2").arg(s.standardDeviation()).arg(deviation)));
        QCOMPARE(s.rate(), n > 1 ? 100.0 : 0.0);
    }
}

void TestMeasure::framesAcrossReads_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<Series>("distances");
    QTest::newRow("split inside a frame")
        << QByteArrayList{"DT:000", "12345\r", "\nDT:00000001\r\n"} << Series{12345, 1};
    QTest::newRow("several frames in one read")
        << QByteArrayList{"DT:00000010\r\nDT:00000020\r\nDT:00000030\r\nDT:0000"}
        << Series{10, 20, 30};
    QTest::newRow("garbage between frames")
        << QByteArrayList{"ok\r\n\x01\xff\x7f\r\nDT:00000042\r\nDT:0000x042\r\n",
                          QByteArray(5000, 'z'), "\r\nDT:99999999\r\nDT:00000000\r\n"}
        << Series{42, 99999999, 0};
    QTest::newRow("one byte per read")
        << QByteArrayList{"D", "T", ":", "0", "0", "0", "0", "0", "0", "0", "7", "\r", "\n"}
        << Series{7};
}

void TestMeasure::framesAcrossReads()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(Series, distances);
    measure::Recorder recorder;
    for (const QByteArray &read : reads)
        recorder.take(read);
    Series recorded;
    for (qint64 i = recorder.oldestKept(); i < recorder.total(); ++i)
        recorded << recorder.sample(i).distance;
    QCOMPARE(recorded, distances);
}

// Every kept frame, as orvante-ctl prints one: the shared timestamp, a comma,
// the distance; and the time reads back to the frame's own.
void TestMeasure::csvReadsBack()
{
    // A ring of 16: the first 4 frames are no longer kept.
    measure::Recorder recorder(nullptr, 4, 4);
    const QVector<qint64> times{0,        1,        999,       1000,      1001,
                                59999,    60000,    3599999,   3600000,   3600000,
                                86399999, 86400000, 86400001,  86400999,  86401000,
                                86401000, 90000000, 123456789, 123456790, 200000000};
    for (int i = 0; i < times.size(); ++i)
        recorder.add(times[i], i * 4999999);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QCOMPARE(recorder.writeCsv(&buffer), qint64(16));

    const QList<QByteArray> lines = buffer.data().split('\n');
    QCOMPARE(lines.size(), 17);
    QVERIFY(lines.last().isEmpty());
    for (int i = 0; i < 16; ++i) {
        const measure::Sample s = recorder.sample(recorder.oldestKept() + i);
        const QDateTime when = recorder.wallTime(s.ms);
        QCOMPARE(QString::fromLatin1(lines[i]),
                 measure::timestamp(when) + "," + QString::number(s.distance));
        const QList<QByteArray> fields = lines[i].split(',');
        QCOMPARE(QDateTime::fromString(QString::fromLatin1(fields[0]), Qt::ISODateWithMs)
                     .toMSecsSinceEpoch(),
                 when.toMSecsSinceEpoch());
        QCOMPARE(fields[1].toInt(), (i + 4) * 4999999);
    }
}

QTEST_GUILESS_MAIN(TestMeasure)
#include "tst_measure.moc"
