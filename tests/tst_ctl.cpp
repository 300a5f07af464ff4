// orvante-ctl against the simulated sensor, as a script runs it: what each
// command prints and the status it ends with, when the sensor answers,
// answers in pieces, refuses, stays silent or drops the line, and a
// continuous measurement ended with Ctrl-C.

#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {

struct Run
{
    QStringList args; // %PORT% stands for the simulator's device
    int status;
    QString out; // regular expressions for all of stdout and stderr
    QString err = QString();
};

const QString kTime = "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}(Z|[+-]\\d\\d:\\d\\d)";

QStringList on(const QStringList &args)
{
    return QStringList{"--port", "%PORT%"} + args;
}

QString binary(const QString &name)
{
    return QCoreApplication::applicationDirPath() + "/" + name;
}

} // namespace

Q_DECLARE_METATYPE(Run)

class TestCtl : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> sim;

    QString startSimulator(const QStringList &arguments)
    {
        sim = std::make_unique<QProcess>();
        sim->start(binary("sensor-sim"), arguments);
        if (!sim->waitForStarted(5000))
            return QString();
        while (!sim->canReadLine() && sim->waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(sim->readLine()).trimmed();
    }

private slots:
    void cleanup()
    {
        if (sim && sim->state() != QProcess::NotRunning) {
            sim->terminate();
            QVERIFY(sim->waitForFinished(5000));
        }
        sim.reset();
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QList<Run>>("runs");

        const QString identity = "serial_number: A17\nversion: 12\nproduction_date: 2024-06-18\n";
        const QString switching = "on1: 1500\noff1: 1400\non2: 3000\noff2: 2900\n";
        const QStringList pieces{"--chunk-size", "5", "--chunk-gap", "40"};
        const QString silence = "orvante-ctl: no answer to the %1 within 1000 ms; check .*\n";
        const QString refusal = "orvante-ctl: the sensor refused the %1 \\(answered '%2'\\); .*\n";
        const QString usage = "orvante-ctl: %1; see orvante-ctl .*--help\n";

        QTest::newRow("identity") << QStringList() << QList<Run>{{on({"identity"}), 0, identity}};
        QTest::newRow("identity as JSON")
            << QStringList()
            << QList<Run>{{on({"identity", "--json"}), 0,
                           "\\{\"production_date\":\"2024-06-18\",\"serial_number\":\"A17\","
                           "\"version\":\"12\"\\}\\n"}};
        QTest::newRow("identity in pieces")
            << pieces << QList<Run>{{on({"identity"}), 0, identity}};
        QTest::newRow("identity after the window")
            << QStringList{"--delay", "1500"}
            << QList<Run>{{on({"identity"}), 3, "", silence.arg("identity query")}};
        // Positions 18 to 20 have not come when the window ends.
        QTest::newRow("identity cut off by the window")
            << QStringList{"--chunk-size", "9", "--chunk-gap", "600"}
            << QList<Run>{{on({"identity"}), 3,
                           "serial_number: \nversion: 12\nproduction_date: 2024-06-18\n",
                           "orvante-ctl: no complete answer to the identity query within 1000 ms "
                           "\\(no serial_number; received 'DEVICE-ID: 4061812'\\); .*\n"}};
        QTest::newRow("analog") << QStringList()
                                << QList<Run>{
                                       {on({"analog"}), 0, "range: 4-20\nmin: 0\nmax: 100000\n"}};
        QTest::newRow("switching")
            << QStringList() << QList<Run>{{on({"switching"}), 0, switching}};
        QTest::newRow("switching in pieces")
            << QStringList{"--chunk-size", "7", "--chunk-gap", "40"}
            << QList<Run>{{on({"switching"}), 0, switching}};

        QTest::newRow("single measurement") << QStringList{"--distance", "4711"}
                                            << QList<Run>{{on({"measure"}), 0, kTime + " 4711\n"}};
        QTest::newRow("zero distance")
            << QStringList{"--distance", "0"} << QList<Run>{{on({"measure"}), 0, kTime + " 0\n"}};
        QTest::newRow("three frames as CSV")
            << QStringList{"--rate", "20"}
            << QList<Run>{
                   {on({"measure", "--count", "3", "--csv"}), 0, "(" + kTime + ",12345\n){3}"}};
        // The window reads a frame only when it comes in one piece.
        QTest::newRow("frames in pieces")
            << QStringList{"--chunk-size", "5", "--chunk-gap", "10"}
            << QList<Run>{{on({"measure", "--count", "2"}), 0, "(" + kTime + " 12345\n){2}"}};
        QTest::newRow("half a second at 10 Hz")
            << QStringList()
            << QList<Run>{{on({"measure", "--seconds", "0.5"}), 0, "(" + kTime + " 12345\n){3,7}"}};

        QTest::newRow("line preset, read back")
            << QStringList()
            << QList<Run>{{on({"set", "line-preset", "4"}), 0, "accepted\n"},
                          {on({"send", "PARAMETER"}), 0, "(?s).*baud:38400\r\n.*"}};
        QTest::newRow("automatic measurement, read back")
            << QStringList()
            << QList<Run>{{on({"set", "auto", "on"}), 0, "accepted\n"},
                          {on({"send", "PARAMETER"}), 0, "(?s).*auto:1\r\n.*"}};
        QTest::newRow("analog output, read back")
            << QStringList()
            << QList<Run>{
                   {on({"set", "analog", "--range", "0-20", "--min", "150", "--max", "90000"}), 0,
                    "accepted\n"},
                   {on({"analog"}), 0, "range: 0-20\nmin: 150\nmax: 90000\n"}};
        QTest::newRow("switching outputs, read back")
            << QStringList()
            << QList<Run>{{on({"set", "switching", "--mode", "2", "--on1", "2500", "--off1", "2400",
                               "--on2", "3500", "--off2", "3300"}),
                           0, "accepted\n"},
                          {on({"switching"}), 0, "on1: 2500\noff1: 2400\non2: 3500\noff2: 3300\n"}};

        QTest::newRow("line preset, refused")
            << QStringList{"--reject-settings"}
            << QList<Run>{{on({"set", "line-preset", "4"}), 1, "",
                           refusal.arg("line preset setting", "Set:E")}};
        QTest::newRow("automatic measurement, refused")
            << QStringList{"--reject-settings"}
            << QList<Run>{{on({"set", "auto", "off"}), 1, "",
                           refusal.arg("automatic measurement setting", "SA:NAK")}};
        QTest::newRow("analog output, refused")
            << QStringList{"--reject-settings"}
            << QList<Run>{{on({"set", "analog", "--range", "4-20", "--min", "0", "--max", "9"}), 1,
                           "", refusal.arg("analog output setting", "DT:NAK")}};
        QTest::newRow("switching outputs, refused")
            << QStringList{"--reject-settings"}
            << QList<Run>{{on({"set", "switching", "--mode", "1", "--on1", "1", "--off1", "2",
                               "--on2", "3", "--off2", "4"}),
                           1, "", refusal.arg("switching output 1 setting", "Ezz")}};

        QTest::newRow("silent: query") << QStringList{"--silent"}
                                       << QList<Run>{{on({"switching", "--json"}), 3, "",
                                                      silence.arg("switching output query")}};
        QTest::newRow("silent: setting")
            << QStringList{"--silent"}
            << QList<Run>{{on({"set", "auto", "on"}), 3, "",
                           silence.arg("automatic measurement setting")}};
        QTest::newRow("silent: measurement")
            << QStringList{"--silent"}
            << QList<Run>{{on({"measure", "--seconds", "5"}), 3, "",
                           "orvante-ctl: no distance frame within 1000 ms; .*\n"}};

        const QString lost = "orvante-ctl: lost the port %PORT% \\(.*\\); check the cable .*\n";
        QTest::newRow("line lost while measuring")
            << QStringList{"--drop-after", "1", "--rate", "20"}
            << QList<Run>{
                   {on({"measure", "--count", "0"}), 4, "(" + kTime + " 12345\n){10,}", lost}};
        QTest::newRow("line lost while listening")
            << QStringList{"--drop-after", "1", "--auto"}
            << QList<Run>{{on({"listen"}), 4, "(DT:00012345\r\n)+", lost}};

        QTest::newRow("send") << QStringList() << QList<Run>{{on({"send", "sl"}), 0, "SL:ACK\r\n"}};
        QTest::newRow("send, hex")
            << QStringList() << QList<Run>{{on({"send", "--hex", "c"}), 0, "433a41434b0d0a\n"}};
        QTest::newRow("listen to automatic measurement")
            << QStringList{"--auto", "--rate", "20"}
            << QList<Run>{{on({"listen", "--seconds", "0.5"}), 0, "(DT:00012345\r\n){5,}"}};
        QTest::newRow("ports: --port first")
            << QStringList()
            << QList<Run>{{{"ports", "--port", "%PORT%", "--port", "/dev/nonexistent", "--json"},
                           0,
                           "\\[\"%PORT%\"(,\"[^\"]+\")*\\]\\n"}};

        QTest::newRow("usage: no port")
            << QStringList() << QList<Run>{{{"identity"}, 2, "", usage.arg("which port\\? .*")}};
        QTest::newRow("usage: distance with a point")
            << QStringList()
            << QList<Run>{{on({"set", "switching", "--mode", "1", "--on1", "1.5", "--off1", "1",
                               "--on2", "1", "--off2", "1"}),
                           2, "", usage.arg("--on1 wants a distance .*, not '1.5'")}};
        QTest::newRow("usage: --count and --seconds")
            << QStringList()
            << QList<Run>{{on({"measure", "--count", "2", "--seconds", "1"}), 2, "",
                           usage.arg("give --count or --seconds, not both")}};
        QTest::newRow("port that does not open")
            << QStringList()
            << QList<Run>{{{"--port", "/dev/nonexistent", "identity"},
                           4,
                           "",
                           "orvante-ctl: cannot open /dev/nonexistent: .*\n"}};
    }

    void commands()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QList<Run>, runs);

        const QString port = startSimulator(simArgs);
        QVERIFY(!port.isEmpty());
        for (const Run &run : runs) {
            QProcess ctl;
            QStringList args = run.args;
            ctl.start(binary("orvante-ctl"), args.replaceInStrings("%PORT%", port));
            QVERIFY(ctl.waitForFinished(10000));
            const QString out = QString::fromUtf8(ctl.readAllStandardOutput());
            const QString err = QString::fromUtf8(ctl.readAllStandardError());
            const auto matches = [&](const QString &pattern, const QString &text) {
                QString expanded = pattern;
                expanded.replace("%PORT%", QRegularExpression::escape(port));
                return QRegularExpression(QRegularExpression::anchoredPattern(expanded))
                    .match(text)
                    .hasMatch();
            };
            const QByteArray said =
                (run.args.join(' ') + "\nstdout: " + out + "\nstderr: " + err).toUtf8();
            QVERIFY2(ctl.exitStatus() == QProcess::NormalExit && ctl.exitCode() == run.status,
                     said.constData());
            QVERIFY2(matches(run.out, out) && matches(run.err, err), said.constData());
        }
    }

    // Ctrl-C ends a continuous measurement: Stop goes out, every line printed
    // is whole, and the status is 0.
    void interruptedCsv()
    {
        const QString port = startSimulator({"--verbose", "--profile", "ramp", "--rate", "20"});
        QVERIFY(!port.isEmpty());
        QProcess ctl;
        ctl.start(binary("orvante-ctl"), {"--port", port, "measure", "--count", "0", "--csv"});
        QTRY_VERIFY_WITH_TIMEOUT(ctl.peek(1 << 16).count('\n') >= 3, 5000);
        ::kill(pid_t(ctl.processId()), SIGINT);
        QVERIFY(ctl.waitForFinished(5000));
        QCOMPARE(ctl.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ctl.exitCode(), 0);
        QCOMPARE(ctl.readAllStandardError(), QByteArray());

        const QStringList lines = QString::fromUtf8(ctl.readAll()).split('\n');
        QVERIFY(lines.size() >= 3);
        QCOMPARE(lines.last(), QString()); // ends with a whole line
        QDateTime previous;
        for (const QString &line : lines.mid(0, lines.size() - 1)) {
            const QStringList fields = line.split(',');
            const QDateTime when = QDateTime::fromString(fields.value(0), Qt::ISODateWithMs);
            bool ok = false;
            const int distance = fields.value(1).toInt(&ok);
            QVERIFY2(fields.size() == 2 && when.isValid() && ok && distance >= 12345 &&
                         distance < 13345 && !(when < previous),
                     qPrintable(line));
            previous = when;
        }

        // The simulator saw the measurement started and stopped.
        sim->terminate();
        QVERIFY(sim->waitForFinished(5000));
        const QByteArray heard = sim->readAllStandardError();
        QVERIFY2(QRegularExpression("rx 4: tk\\\\r\\\\n\\n(.*\\n)*rx 3: c\\\\r\\\\n\\n")
                     .match(QString::fromLatin1(heard))
                     .hasMatch(),
                 heard.constData());
    }
};

QTEST_GUILESS_MAIN(TestCtl)
#include "tst_ctl.moc"
