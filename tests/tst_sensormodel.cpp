// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated sensor against the answer formats the program reads: fixed
// positions, keyed lines and markers, checked by hand and with the program's
// own parsers so that both sides are known to agree.

#include "protocol/answers.h"
#include "sim/sensormodel.h"

#include <QtTest>

#include <cmath>

using sim::SensorModel;
using Options = sim::SensorOptions;

namespace {

QByteArray exchange(SensorModel &model, const QByteArray &command)
{
    model.receive(command);
    return model.takeOutput();
}

// Everything a query reports: a setting that is refused must leave it alone.
QByteArray readBack(SensorModel &model)
{
    QByteArray out = exchange(model, "IDR+F\r\n");
    out += exchange(model, "RD+v\r\n");
    out += exchange(model, "PARAMETER\r\n");
    return out;
}

// Drives the clock one millisecond at a time and records when each piece
// of output appears.
QList<QPair<qint64, QByteArray>> collect(SensorModel &model, qint64 ms)
{
    QList<QPair<qint64, QByteArray>> pieces;
    for (qint64 t = 0; t <= ms; ++t) {
        if (t > 0)
            model.advance(1);
        const QByteArray out = model.takeOutput();
        if (!out.isEmpty())
            pieces.append({model.now(), out});
    }
    return pieces;
}

// The value of `key` in a keyed answer, as a host would look it up.
QByteArray keyedValue(const QByteArray &answer, const QByteArray &key)
{
    return protocol::dataAnalysis(answer, key, answer.size());
}

const QByteArray kSwitchFirst = "op1+00002005+00001995\r\n";

} // namespace

class tst_SensorModel : public QObject
{
    Q_OBJECT

private slots:
    void answerMarkers_data();
    void answerMarkers();
    void distanceFrame_data();
    void distanceFrame();
    void jitterRepeatsWithSeed();
    void identity_data();
    void identity();
    void analogReadBack_data();
    void analogReadBack();
    void switchingReadBack_data();
    void switchingReadBack();
    void linePreset_data();
    void linePreset();
    void autoMeasure_data();
    void autoMeasure();
    void continuousFrames_data();
    void continuousFrames();
    void continuousRate_data();
    void continuousRate();
    void measurementEnds_data();
    void measurementEnds();
    void inputChunking_data();
    void inputChunking();
    void overlongLineIsDropped();
    void silent();
    void answerDelay_data();
    void answerDelay();
    void chunkedAnswers_data();
    void chunkedAnswers();
    void noiseBytes();
    void lineDrop();
    void validate_data();
    void validate();
};

void tst_SensorModel::answerMarkers_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("reject");
    QTest::addColumn<QByteArray>("marker"); // the one marker expected, or empty
    QTest::addColumn<bool>("stored");       // whether the queries read back a change

    auto row = [](const char *name, const QByteArray &command, bool reject, const char *marker,
                  bool stored) {
        QTest::newRow(name) << command << reject << QByteArray(marker) << stored;
    };
    row("laser on", "sl\r\n", false, "", false);
    row("laser off", "so\r\n", false, "", false);
    row("stop", "c\r\n", false, "", false);
    row("identity", "IDR+F\r\n", false, "", false);
    row("analog query", "RD+v\r\n", false, "", false);
    row("switching query", "PARAMETER\r\n", false, "", false);
    row("line speed", "ut+5\r\n", false, "Set", true);
    row("line speed refused", "ut+5\r\n", true, "Set", false);
    row("line speed out of range", "ut+9\r\n", false, "Set", false);
    row("analog range", "dt+0\r\n", false, "DAC", true);
    row("analog range refused", "dt+0\r\n", true, "", false);
    row("analog range bad", "dt+2\r\n", false, "", false);
    row("distances", "ds+00000010+00000020\r\n", false, "", true);
    row("distances refused", "ds+00000010+00000020\r\n", true, "", false);
    row("distance not a number", "ds+0000012a+00000002\r\n", false, "", false);
    row("distance too long", "ds+000000001+00000002\r\n", false, "", false);
    row("distance missing", "ds+00000001\r\n", false, "", false);
    row("switching", kSwitchFirst, false, "ok", true);
    row("switching refused", kSwitchFirst, true, "Ezz", false);
    row("switching not a number", "op1+0000200x+00001995\r\n", false, "Ezz", false);
    row("switching bad mode", "ox1+00002005+00001995\r\n", false, "Ezz", false);
    row("switching short", "op1+2005+1995\r\n", false, "Ezz", false);
    row("auto on", "sa+1\r\n", false, "Aut", true);
    row("auto refused", "sa+1\r\n", true, "", false);
    row("auto bad", "sa+2\r\n", false, "", false);
    row("unknown", "hello\r\n", false, "", false);
    row("unknown holding markers", "ok Ezz Set DAC Aut\r\n", false, "", false);
}

// The program looks for its markers anywhere in collected answers and takes
// 13- and 26-byte chunks for distance frames, so an answer must carry only
// the marker it means; and a refused setting must change nothing.
void tst_SensorModel::answerMarkers()
{
    QFETCH(QByteArray, command);
    QFETCH(bool, reject);
    QFETCH(QByteArray, marker);
    QFETCH(bool, stored);

    Options o;
    o.rejectSettings = reject;
    SensorModel model(o);
    const QByteArray before = readBack(model);
    const QByteArray answer = exchange(model, command);

    QVERIFY(answer.endsWith("\r\n"));
    QVERIFY2(answer.size() != 13 && answer.size() != 26, answer.constData());
    QCOMPARE(answer.contains("ok"), marker == "ok");
    QCOMPARE(answer.contains("Ezz"), marker == "Ezz");
    QCOMPARE(answer.contains("Set"), marker == "Set");
    QCOMPARE(protocol::isAnalogRangeRequest(answer), marker == "DAC");
    QCOMPARE(protocol::isAutoMeasureAck(answer), marker == "Aut");
    if (marker == "Set")
        QCOMPARE(protocol::lineSpeedAccepted(answer, answer.size()), stored);
    QCOMPARE(readBack(model) != before, stored);
}

void tst_SensorModel::distanceFrame_data()
{
    QTest::addColumn<int>("profile");
    QTest::addColumn<qint64>("distance");
    QTest::addColumn<qint64>("amplitude");
    QTest::addColumn<qint64>("at");
    QTest::addColumn<qint64>("expected");

    const int fixed = int(sim::Profile::Fixed);
    const int ramp = int(sim::Profile::Ramp);
    const int sine = int(sim::Profile::Sine);
    // Period 1000 ms throughout.
    QTest::newRow("fixed") << fixed << qint64(12345) << qint64(0) << qint64(0) << qint64(12345);
    QTest::newRow("fixed zero") << fixed << qint64(0) << qint64(0) << qint64(0) << qint64(0);
    QTest::newRow("fixed largest") << fixed << SensorModel::kMaxDistance << qint64(0) << qint64(0)
                                   << SensorModel::kMaxDistance;
    QTest::newRow("ramp start") << ramp << qint64(1000) << qint64(400) << qint64(0) << qint64(1000);
    QTest::newRow("ramp quarter") << ramp << qint64(1000) << qint64(400) << qint64(250)
                                  << qint64(1100);
    QTest::newRow("ramp wraps") << ramp << qint64(1000) << qint64(400) << qint64(1000)
                                << qint64(1000);
    QTest::newRow("sine peak") << sine << qint64(5000) << qint64(300) << qint64(250)
                               << qint64(5300);
    QTest::newRow("sine trough") << sine << qint64(5000) << qint64(300) << qint64(750)
                                 << qint64(4700);
    QTest::newRow("sine clamped at 0")
        << sine << qint64(100) << qint64(300) << qint64(750) << qint64(0);
    QTest::newRow("sine clamped at top") << sine << SensorModel::kMaxDistance << qint64(300)
                                         << qint64(250) << SensorModel::kMaxDistance;
}

void tst_SensorModel::distanceFrame()
{
    QFETCH(int, profile);
    QFETCH(qint64, distance);
    QFETCH(qint64, amplitude);
    QFETCH(qint64, at);
    QFETCH(qint64, expected);

    Options o;
    o.profile = sim::Profile(profile);
    o.distance = distance;
    o.amplitude = amplitude;
    o.periodMs = 1000;
    SensorModel model(o);
    model.advance(at);
    const QByteArray frame = exchange(model, "td\r\n");

    QCOMPARE(frame.size(), 13);
    QCOMPARE(frame.mid(3, 8), QByteArray::number(expected).rightJustified(8, '0'));
    QVERIFY(frame.endsWith("\r\n"));
    QByteArray shown;
    QVERIFY(protocol::frameDistance(frame, &shown));
    QCOMPARE(shown, expected == 0 ? QByteArray() : QByteArray::number(expected));
}

void tst_SensorModel::jitterRepeatsWithSeed()
{
    auto frames = [](quint32 seed) {
        Options o;
        o.profile = sim::Profile::Sine;
        o.distance = 5000;
        o.amplitude = 0;
        o.jitter = 50;
        o.seed = seed;
        o.frameIntervalMs = 10;
        SensorModel model(o);
        model.receive("tk\r\n");
        model.advance(190);
        return model.takeOutput();
    };
    const QByteArray first = frames(7);
    QCOMPARE(first.size(), 20 * 13);
    QCOMPARE(frames(7), first);
    QVERIFY(frames(8) != first);
    for (int i = 0; i < first.size(); i += 13) {
        const qint64 d = first.mid(i + 3, 8).toLongLong();
        QVERIFY2(d >= 4950 && d <= 5050, first.mid(i, 13).constData());
    }
}

void tst_SensorModel::identity_data()
{
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QByteArray>("shownDate");

    QTest::newRow("digits") << QByteArray("789") << QByteArray("11") << QDate(2025, 3, 12)
                            << QByteArray("2025-03-12");
    QTest::newRow("letters") << QByteArray("X9Z") << QByteArray("B2") << QDate(2020, 12, 31)
                             << QByteArray("2020-12-31");
}

void tst_SensorModel::identity()
{
    QFETCH(QByteArray, serial);
    QFETCH(QByteArray, version);
    QFETCH(QDate, date);
    QFETCH(QByteArray, shownDate);

    Options o;
    o.serialNumber = serial;
    o.version = version;
    o.productionDate = date;
    SensorModel model(o);
    const QByteArray answer = exchange(model, "IDR+F\r\n");

    QCOMPARE(answer.size(), 23);
    QCOMPARE(answer.mid(11, 5), shownDate.mid(3, 1) + shownDate.mid(5, 2) + shownDate.mid(8, 2));
    QCOMPARE(answer.mid(16, 2), version);
    QCOMPARE(answer.mid(18, 3), serial);
    QCOMPARE(answer.mid(21), QByteArray("\r\n"));

    const protocol::Identity id = protocol::parseIdentity(answer);
    QCOMPARE(id.serialNumber, serial);
    QCOMPARE(id.version, version);
    QCOMPARE(id.date, shownDate);
}

void tst_SensorModel::analogReadBack_data()
{
    QTest::addColumn<char>("range");
    QTest::addColumn<QByteArray>("minField");
    QTest::addColumn<QByteArray>("maxField");
    QTest::addColumn<QByteArray>("shownRange");
    QTest::addColumn<QByteArray>("shownMin");
    QTest::addColumn<QByteArray>("shownMax");

    QTest::newRow("4~20, 0 to 100000")
        << '1' << QByteArray("00000000") << QByteArray("00100000") << QByteArray("4~20")
        << QByteArray("0") << QByteArray("100000");
    QTest::newRow("0~20, 150 to 100000")
        << '0' << QByteArray("00000150") << QByteArray("00100000") << QByteArray("0~20")
        << QByteArray("150") << QByteArray("100000");
    // Short and long values whose plain answer would be 13 or 26 bytes long.
    QTest::newRow("frame-sized short") << '0' << QByteArray("00000000") << QByteArray("00000000")
                                       << QByteArray("0~20") << QByteArray("0") << QByteArray("0");
    QTest::newRow("frame-sized long")
        << '1' << QByteArray("01234567") << QByteArray("99999999") << QByteArray("4~20")
        << QByteArray("1234567") << QByteArray("99999999");
}

// The program sends the distances as five writes once the range is asked for.
void tst_SensorModel::analogReadBack()
{
    QFETCH(char, range);
    QFETCH(QByteArray, minField);
    QFETCH(QByteArray, maxField);
    QFETCH(QByteArray, shownRange);
    QFETCH(QByteArray, shownMin);
    QFETCH(QByteArray, shownMax);

    SensorModel model;
    QVERIFY(protocol::isAnalogRangeRequest(exchange(model, QByteArray("dt+") + range + "\r\n")));
    for (const QByteArray &part : {QByteArray("ds+"), minField, QByteArray("+"), maxField})
        QCOMPARE(exchange(model, part), QByteArray());
    QCOMPARE(exchange(model, "\r\n"), QByteArray("DS:ACK\r\n"));

    const QByteArray answer = exchange(model, "RD+v\r\n");
    QCOMPARE(answer.at(5), range);
    QVERIFY(answer.size() != 13 && answer.size() != 26);
    QVERIFY(answer.endsWith("\r\n"));
    const protocol::AnalogOutput parsed = protocol::parseAnalog(answer);
    QCOMPARE(parsed.range, shownRange);
    QCOMPARE(parsed.minDistance, shownMin);
    QCOMPARE(parsed.maxDistance, shownMax);
}

void tst_SensorModel::switchingReadBack_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QList<QByteArray>>("values"); // on1, off1, on2, off2

    QTest::newRow("mode 1") << kSwitchFirst << QByteArray("op2+00003000+00002500\r\n")
                            << QByteArray("1") << QList<QByteArray>{"2005", "1995", "3000", "2500"};
    QTest::newRow("mode 2") << QByteArray("oq1+00000007+00000000\r\n")
                            << QByteArray("oq2+12345678+00000100\r\n") << QByteArray("2")
                            << QList<QByteArray>{"7", "0", "12345678", "100"};
}

void tst_SensorModel::switchingReadBack()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QByteArray, mode);
    QFETCH(QList<QByteArray>, values);

    SensorModel model;
    const QByteArray firstAnswer = exchange(model, first);
    QCOMPARE(protocol::scanAck(firstAnswer, firstAnswer.size()), protocol::Ack::Ok);
    const QByteArray secondAnswer = exchange(model, second);
    QCOMPARE(protocol::scanAck(secondAnswer, secondAnswer.size()), protocol::Ack::Ok);

    const QByteArray answer = exchange(model, "PARAMETER\r\n");
    // Every line is keyed: key, one separator byte, value, CR LF.
    for (const QByteArray &line : answer.split('\n')) {
        if (line.isEmpty())
            continue;
        QVERIFY2(line.endsWith('\r') && line.indexOf(':') >= 3, line.constData());
    }
    const protocol::SwitchingOutputs s = protocol::parseSwitching(answer, answer.size());
    QCOMPARE((QList<QByteArray>{s.on1, s.off1, s.on2, s.off2}), values);
    QCOMPARE(keyedValue(answer, "mode"), mode);
}

void tst_SensorModel::linePreset_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("baud");
    QTest::addColumn<QByteArray>("format");

    const char *bauds[] = {"9600", "9600", "19200", "19200", "38400", "38400", "115200", "115200"};
    for (int i = 0; i < 8; ++i) {
        QTest::addRow("preset %d", i)
            << QByteArray("ut+") + char('0' + i) + "\r\n"
            << true << QByteArray(bauds[i]) << QByteArray(i % 2 ? "7E1" : "8N1");
    }
    // Refused: the preset the sensor started with (0) stays.
    QTest::newRow("index 8") << QByteArray("ut+8\r\n") << false << QByteArray("9600")
                             << QByteArray("8N1");
    QTest::newRow("letter") << QByteArray("ut+a\r\n") << false << QByteArray("9600")
                            << QByteArray("8N1");
    QTest::newRow("no index") << QByteArray("ut+\r\n") << false << QByteArray("9600")
                              << QByteArray("8N1");
}

void tst_SensorModel::linePreset()
{
    QFETCH(QByteArray, command);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, baud);
    QFETCH(QByteArray, format);

    SensorModel model;
    const QByteArray answer = exchange(model, command);
    QCOMPARE(protocol::lineSpeedAccepted(answer, answer.size()), accepted);
    if (accepted)
        QCOMPARE(keyedValue(answer, "Set"), command.mid(3, 1));

    const QByteArray parameters = exchange(model, "PARAMETER\r\n");
    QCOMPARE(keyedValue(parameters, "baud"), baud);
    QCOMPARE(keyedValue(parameters, "data"), format);
}

void tst_SensorModel::autoMeasure_data()
{
    QTest::addColumn<bool>("startOn");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reported");

    QTest::newRow("switch on") << false << QByteArray("sa+1\r\n") << QByteArray("1");
    QTest::newRow("switch off") << true << QByteArray("sa+0\r\n") << QByteArray("0");
}

// The setting is read back at once; it takes effect at the next power-up,
// when a sensor with it on measures without being asked.
void tst_SensorModel::autoMeasure()
{
    QFETCH(bool, startOn);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reported);

    Options o;
    o.autoMeasure = startOn;
    o.frameIntervalMs = 50;
    SensorModel model(o);
    QByteArray powerUp = model.takeOutput();
    model.advance(100);
    powerUp += model.takeOutput();
    QCOMPARE(powerUp.size(), startOn ? 3 * 13 : 0);

    model.receive("c\r\n");
    model.takeOutput();
    QVERIFY(protocol::isAutoMeasureAck(exchange(model, command)));
    QCOMPARE(keyedValue(exchange(model, "PARAMETER\r\n"), "auto"), reported);
}

void tst_SensorModel::continuousFrames_data()
{
    QTest::addColumn<int>("intervalMs");
    QTest::newRow("10 per second") << 100;
    QTest::newRow("odd interval") << 37;
    QTest::newRow("every millisecond") << 1;
}

void tst_SensorModel::continuousFrames()
{
    QFETCH(int, intervalMs);

    Options o;
    o.frameIntervalMs = intervalMs;
    SensorModel model(o);
    model.advance(5);
    model.receive("tk\r\n");
    QVERIFY(model.measuringContinuously());
    const auto pieces = collect(model, 10 * intervalMs);

    QCOMPARE(pieces.size(), 11);
    for (int i = 0; i < pieces.size(); ++i) {
        QCOMPARE(pieces.at(i).first, 5 + qint64(i) * intervalMs);
        QCOMPARE(pieces.at(i).second, QByteArray("DT:00012345\r\n"));
    }
}

void tst_SensorModel::continuousRate_data()
{
    QTest::addColumn<double>("rate");
    for (double rate : {20.0, 300.0, 600.0, 886.15, 1000.0})
        QTest::addRow("%g per second", rate) << rate;
}

// The rate sensor-sim is asked for (--rate), as planned over ten seconds of
// the model's clock: no frame lost or added, and no gap more than a
// millisecond off the interval. How the wall clock keeps to the plan is
// measured by bench_simrate.
void tst_SensorModel::continuousRate()
{
    QFETCH(double, rate);
    Options o;
    o.frameIntervalMs = 1000.0 / rate;
    SensorModel model(o);
    model.receive("tk\r\n");
    qint64 frames = 0, last = -1;
    for (const auto &piece : collect(model, 10000)) {
        QCOMPARE(piece.second.count("DT:"), 1);
        ++frames;
        if (last >= 0) {
            const qint64 gap = piece.first - last;
            QVERIFY2(gap >= std::floor(o.frameIntervalMs) && gap <= std::ceil(o.frameIntervalMs),
                     qPrintable(QString("a gap of %1 ms at %2 ms").arg(gap).arg(piece.first)));
        }
        last = piece.first;
    }
    QVERIFY2(qAbs(double(frames - 1) - 10 * rate) <= 1,
             qPrintable(QString("%1 frames in 10 s").arg(frames)));
}

void tst_SensorModel::measurementEnds_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("framesAfter");
    QTest::addColumn<bool>("laserOn");

    QTest::newRow("stop") << QByteArray("c\r\n") << 0 << true;
    QTest::newRow("laser off") << QByteArray("so\r\n") << 0 << false;
    QTest::newRow("single measurement") << QByteArray("td\r\n") << 1 << true;
    QTest::newRow("continuous again") << QByteArray("tk\r\n") << 10 << true;
}

// A measurement needs no earlier laser-on: it switches the laser on itself.
void tst_SensorModel::measurementEnds()
{
    QFETCH(QByteArray, command);
    QFETCH(int, framesAfter);
    QFETCH(bool, laserOn);

    SensorModel model; // 100 ms frame interval
    QVERIFY(!model.laserOn());
    model.receive("tk\r\n");
    QVERIFY(model.laserOn());
    model.advance(250);
    QCOMPARE(model.takeOutput().size(), 3 * 13);

    model.receive(command);
    model.advance(1000);
    QCOMPARE(model.takeOutput().count("DT:"), framesAfter);
    QCOMPARE(model.laserOn(), laserOn);
}

void tst_SensorModel::inputChunking_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");

    const QByteArray all = "sl\r\nIDR+F\r\nut+6\r\nPARAMETER\r\n";
    QList<QByteArray> bytes;
    for (char c : all)
        bytes.append(QByteArray(1, c));
    QTest::newRow("one chunk") << QList<QByteArray>{all};
    QTest::newRow("byte by byte") << bytes;
    QTest::newRow("split between CR and LF")
        << QList<QByteArray>{"sl\r", "\nIDR+F\r", "\nut+6\r\nPARA", "METER\r", "\n"};
}

void tst_SensorModel::inputChunking()
{
    QFETCH(QList<QByteArray>, chunks);

    SensorModel reference;
    QByteArray expected;
    for (const char *command : {"sl\r\n", "IDR+F\r\n", "ut+6\r\n", "PARAMETER\r\n"})
        expected += exchange(reference, command);
    SensorModel model;
    QByteArray out;
    for (const QByteArray &chunk : chunks)
        out += exchange(model, chunk);
    QCOMPARE(out, expected);
}

// Free text of any length must not grow the sensor's buffer without bound,
// nor swallow the command after it.
void tst_SensorModel::overlongLineIsDropped()
{
    SensorModel model;
    const QByteArray junk(100000, 't');
    QByteArray out = exchange(model, junk + "d\r\n");
    out += exchange(model, "td\r\n");
    QCOMPARE(out, QByteArray("?unknown command\r\nDT:00012345\r\n"));
}

void tst_SensorModel::silent()
{
    Options o;
    o.silent = true;
    SensorModel model(o);
    model.receive("tk\r\nIDR+F\r\nut+4\r\n");
    model.advance(10000);
    QCOMPARE(model.takeOutput(), QByteArray());
    // It still does what it is told; only its answers are missing.
    QCOMPARE(model.linePreset(), 4);
}

void tst_SensorModel::answerDelay_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::newRow("none") << 0;
    QTest::newRow("short") << 1;
    QTest::newRow("past the response window") << 1500;
}

void tst_SensorModel::answerDelay()
{
    QFETCH(int, delayMs);

    Options o;
    o.answerDelayMs = delayMs;
    SensorModel model(o);
    model.receive("td\r\nsl\r\n");
    QCOMPARE(model.msUntilNextEvent(), qint64(delayMs));
    const auto pieces = collect(model, delayMs + 100);
    QCOMPARE(pieces.size(), 1);
    QCOMPARE(pieces.at(0).first, qint64(delayMs));
    QCOMPARE(pieces.at(0).second, QByteArray("DT:00012345\r\nSL:ACK\r\n"));
}

void tst_SensorModel::chunkedAnswers_data()
{
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("gapMs");

    QTest::newRow("frame as 8 and 5") << QByteArray("td\r\n") << 8 << 20;
    QTest::newRow("identity in threes") << QByteArray("IDR+F\r\n") << 3 << 5;
    QTest::newRow("'DAC' cut after 'D'") << QByteArray("dt+1\r\n") << 1 << 10;
    QTest::newRow("two answers keep the gap") << QByteArray("sl\r\nso\r\n") << 5 << 7;
}

void tst_SensorModel::chunkedAnswers()
{
    QFETCH(QByteArray, commands);
    QFETCH(int, size);
    QFETCH(int, gapMs);

    SensorModel whole;
    const QByteArray expected = exchange(whole, commands);

    Options o;
    o.chunkSize = size;
    o.chunkGapMs = gapMs;
    SensorModel model(o);
    model.receive(commands);
    const auto pieces = collect(model, 1000);

    QByteArray joined;
    for (int i = 0; i < pieces.size(); ++i) {
        QCOMPARE(pieces.at(i).first, qint64(i) * gapMs);
        QVERIFY(pieces.at(i).second.size() <= size);
        // The program sees none of the pieces as a frame or a marker.
        QVERIFY(!protocol::frameDistance(pieces.at(i).second, nullptr));
        QVERIFY(!protocol::isAnalogRangeRequest(pieces.at(i).second));
        joined += pieces.at(i).second;
    }
    QCOMPARE(joined, expected);
}

void tst_SensorModel::noiseBytes()
{
    Options o;
    o.noiseBytes = 4;
    o.seed = 3;
    SensorModel model(o);
    SensorModel twin(o);
    const QByteArray answer = exchange(model, "sl\r\n");

    QCOMPARE(answer.size(), 4 + 8);
    QCOMPARE(answer.mid(4), QByteArray("SL:ACK\r\n"));
    for (int i = 0; i < 4; ++i)
        QVERIFY(uchar(answer.at(i)) >= 0x80);
    QCOMPARE(exchange(twin, "sl\r\n"), answer);
}

void tst_SensorModel::lineDrop()
{
    Options o;
    o.dropAfterMs = 500;
    o.answerDelayMs = 300;
    o.frameIntervalMs = 100;
    SensorModel model(o);

    model.receive("tk\r\n");
    model.advance(150);
    model.receive("IDR+F\r\n"); // due at 450, still before the drop
    model.advance(200);
    model.receive("PARAMETER\r\n"); // due at 650, after it
    QByteArray out = model.takeOutput();
    QVERIFY(!model.lineDropped());
    QCOMPARE(model.msUntilNextEvent(), qint64(50)); // the frame of 100 ms, due at 400

    model.advance(1000);
    QVERIFY(model.lineDropped());
    out += model.takeOutput();
    // Frames from 0 to 400 ms went out at 300 to 700 ms: those before 500 ms
    // and the identity answer made it, nothing later did.
    QCOMPARE(out.count("DT:"), 2);
    QVERIFY(out.contains("DEVICE-ID"));
    QVERIFY(!out.contains("on1"));
    QCOMPARE(model.msUntilNextEvent(), qint64(-1));

    model.receive("td\r\n");
    model.advance(1000);
    QCOMPARE(model.takeOutput(), QByteArray());
}

void tst_SensorModel::validate_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("valid");

    QTest::newRow("defaults") << QString() << QVariant() << true;
    QTest::newRow("serial 3 characters") << "serial" << QVariant("Z-9") << true;
    QTest::newRow("serial 2 characters") << "serial" << QVariant("12") << false;
    QTest::newRow("serial with +") << "serial" << QVariant("1+2") << false;
    QTest::newRow("version 3 characters") << "version" << QVariant("123") << false;
    QTest::newRow("year 2029") << "date" << QVariant(QDate(2029, 12, 31)) << true;
    QTest::newRow("year 2019") << "date" << QVariant(QDate(2019, 1, 1)) << false;
    QTest::newRow("no date") << "date" << QVariant(QDate()) << false;
    QTest::newRow("preset 8") << "preset" << QVariant(8) << false;
    QTest::newRow("distance too far") << "distance" << QVariant(100000000) << false;
    QTest::newRow("zero frame interval") << "interval" << QVariant(0) << false;
}

void tst_SensorModel::validate()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(bool, valid);

    Options o;
    if (field == "serial")
        o.serialNumber = value.toByteArray();
    else if (field == "version")
        o.version = value.toByteArray();
    else if (field == "date")
        o.productionDate = value.toDate();
    else if (field == "preset")
        o.linePreset = value.toInt();
    else if (field == "distance")
        o.distance = value.toLongLong();
    else if (field == "interval")
        o.frameIntervalMs = value.toInt();
    QCOMPARE(SensorModel::validate(o).isEmpty(), valid);
}

QTEST_GUILESS_MAIN(tst_SensorModel)
#include "tst_sensormodel.moc"
