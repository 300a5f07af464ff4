// SPDX-License-Identifier: GPL-3.0-or-later
// The exchange engine against the simulated sensor's model, on the event
// loop: what each exchange writes, and the verdict it ends with, when the
// sensor answers, refuses or stays silent.

#include "engine/exchanger.h"
#include "protocol/codes.h"
#include "protocol/commands.h"
#include "sim/sensormodel.h"

#include <QtTest>

#include <optional>

using engine::Exchanger;
using Outcome = engine::Exchanger::Outcome;

class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void exchanges_data()
    {
        QTest::addColumn<QString>("exchange");
        QTest::addColumn<QStringList>("refused"); // by the sensor
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QByteArray>("writes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("setting");

        const QStringList none;
        QTest::newRow("identity") << "identity" << none << false << QByteArray("IDR+F\r\n")
                                  << int(Outcome::Answered) << 0;
        QTest::newRow("switching, both accepted")
            << "switching" << none << false
            << QByteArray("oq1+00002500+00002400\r\n|oq2+00003500+00003300|\r\n")
            << int(Outcome::Accepted) << int(protocol::SwitchingSecondSetting);
        // Output 2 never goes out once output 1 is refused.
        QTest::newRow("switching, refused")
            << "switching" << QStringList{"switching"} << false
            << QByteArray("oq1+00002500+00002400\r\n") << int(Outcome::Refused)
            << int(protocol::SwitchingFirstSetting);
        QTest::newRow("analog, distances on request")
            << "analog" << none << false << QByteArray("dt+0\r\n|ds+|00000150|+|00090000|\r\n")
            << int(Outcome::Accepted) << int(protocol::AnalogSetting);
        QTest::newRow("analog, refused")
            << "analog" << QStringList{"analog"} << false << QByteArray("dt+0\r\n")
            << int(Outcome::Refused) << int(protocol::AnalogSetting);
        QTest::newRow("automatic measurement")
            << "auto" << none << false << QByteArray("sa+1\r\n") << int(Outcome::Accepted)
            << int(protocol::AutoMeasureSetting);
        QTest::newRow("line preset, silent")
            << "preset" << none << true << QByteArray("ut+4\r\n") << int(Outcome::NoAnswer)
            << int(protocol::LineSpeedSetting);
    }

    void exchanges()
    {
        QFETCH(QString, exchange);
        QFETCH(QStringList, refused);
        QFETCH(bool, silent);
        QFETCH(QByteArray, writes);
        QFETCH(int, kind);
        QFETCH(int, setting);

        sim::SensorModel::Options options;
        options.rejectedSettings = refused;
        options.silent = silent;
        sim::SensorModel sensor(options);
        Exchanger engine;
        QByteArrayList written;
        // The sensor answers on the next turn of the event loop, as a line would.
        engine.write = [&](const QByteArray &bytes) {
            written << bytes;
            sensor.receive(bytes);
            QTimer::singleShot(0, [&] { engine.take(sensor.takeOutput()); });
        };
        std::optional<Outcome> outcome;
        engine.finished = [&](const Outcome &o) { outcome = o; };

        bool started = false;
        if (exchange == "identity")
            started = engine.query(protocol::IdentityQuery);
        else if (exchange == "switching")
            started = engine.setSwitching(1, {"2500", "2400", "3500", "3300"});
        else if (exchange == "analog")
            started = engine.setAnalog(0, "150", "90000", true);
        else if (exchange == "auto")
            started = engine.setAuto(0);
        else
            started = engine.setLinePreset(4);
        QVERIFY(started);
        // One exchange at a time.
        QVERIFY(!engine.query(protocol::AnalogQuery));
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 5000);
        QCOMPARE(written.join('|'), writes);
        QCOMPARE(int(outcome->kind), kind);
        QCOMPARE(int(outcome->setting), setting);
        QVERIFY(!engine.isRunning());
        if (exchange == "identity")
            QVERIFY(outcome->answer.raw.startsWith("DEVICE-ID: "));
    }

    // The one busy rule, for an exclusive engine and one that shares the line
    // with its owner's state: a command in flight refuses every exchange, a
    // pending setting only the exclusive engine's.
    void busyRule_data()
    {
        QTest::addColumn<bool>("exclusive");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("pending");
        QTest::addColumn<int>("busy");
        QTest::addColumn<bool>("mayStart");
        const auto row = [](const char *name, bool exclusive, int command, int pending,
                            engine::Busy busy, bool mayStart) {
            QTest::newRow(name) << exclusive << command << pending << int(busy) << mayStart;
        };
        using engine::Busy;
        using namespace protocol;
        for (const bool exclusive : {true, false}) {
            const QByteArray kind = exclusive ? "exclusive, " : "shared, ";
            row(kind + "idle", exclusive, Idle, NoSetting, Busy::Free, true);
            row(kind + "query in flight", exclusive, SwitchingQuery, NoSetting, Busy::Command,
                false);
            row(kind + "measurement running", exclusive, ContinuousMeasurement, AutoMeasureSetting,
                Busy::Command, false);
            row(kind + "setting pending", exclusive, Idle, SwitchingSecondSetting, Busy::Setting,
                !exclusive);
        }
    }

    void busyRule()
    {
        QFETCH(bool, exclusive);
        QFETCH(int, command);
        QFETCH(int, pending);
        QFETCH(int, busy);
        QFETCH(bool, mayStart);
        quint8 inFlight = quint8(command), awaiting = quint8(pending);
        QByteArray text, raw, second = protocol::kSwitchingSecondTemplate;
        int count = 0;
        QTimer window;
        Exchanger engine({&inFlight, &awaiting, &text, &count, &raw, &second, &window},
                         {exclusive, false});
        QByteArrayList written;
        engine.write = [&](const QByteArray &bytes) { written << bytes; };
        QCOMPARE(int(engine.busy()), busy);
        QCOMPARE(engine.mayStart(), mayStart);
        // The starts obey it, and a refused one writes and changes nothing.
        QCOMPARE(engine.setLinePreset(2), mayStart);
        QCOMPARE(written, mayStart ? QByteArrayList{"ut+2\r\n"} : QByteArrayList{});
        QCOMPARE(int(awaiting), mayStart ? int(protocol::LineSpeedSetting) : pending);
        QCOMPARE(int(inFlight), command);
    }

    // Cancelled between steps: the second switching-output command never
    // goes out, and the engine takes the next exchange.
    void cancel()
    {
        Exchanger engine;
        QByteArrayList written;
        engine.write = [&](const QByteArray &bytes) { written << bytes; };
        QList<int> kinds;
        engine.finished = [&](const Outcome &o) { kinds << int(o.kind); };
        QVERIFY(engine.setSwitching(0, {"1", "2", "3", "4"}));
        engine.take("ok\r\n");
        engine.cancel();
        QCOMPARE(kinds, QList<int>{int(Outcome::Cancelled)});
        QTest::qWait(1200); // past the response window the first step had
        QCOMPARE(written.size(), 1);
        QVERIFY(engine.query(protocol::IdentityQuery));
        QCOMPARE(written.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
