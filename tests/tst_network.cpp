// SPDX-License-Identifier: GPL-3.0-or-later
// orvante-ctl on a sensor behind a real ser2net, over raw TCP and RFC 2217:
// the commands as on a local port, a line preset the server's line follows
// (or, raw, cannot), the line's bytes unchanged, and the faults of a network
// port. ser2net serves the simulator's pseudo-terminal, or one the test
// plays itself.

#include "support/ptypeer.h"
#include "support/ser2net.h"
#include "support/simulator.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// %RFC% and %TCP% in a run stand for the two addresses of the server.
void row(const char *name, const QString &simArgs, const QString &runs, int status,
         const QString &out, const QString &err = QString(), const QString &stopWhen = QString())
{
    QTest::newRow(name) << simArgs.split(' ', Qt::SkipEmptyParts) << runs.split(" && ") << status
                        << out << err << stopWhen;
}

// The same command over both kinds of address.
void both(const char *name, const QString &simArgs, const QString &run, int status,
          const QString &out)
{
    row(qPrintable(QString(name) + " over rfc2217"), simArgs, "--port %RFC% " + run, status, out);
    row(qPrintable(QString(name) + " over tcp"), simArgs, "--port %TCP% " + run, status, out);
}

} // namespace

class TestNetwork : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    Simulator sim;
    Ser2net server;

    QString resolve(QString text) const
    {
        return text.replace("%RFC%", server.rfc2217())
            .replace("%TCP%", server.tcp())
            .replace("%RFC6%", QString("rfc2217://[::1]:%1").arg(server.rfc2217Port()))
            .replace("%DIR%", dir.path());
    }

private slots:
    void initTestCase()
    {
        if (!Ser2net::installed())
            QSKIP("ser2net is not installed (test.sh installs it)");
        QVERIFY(dir.isValid());
        QFile profile(dir.filePath("outputs.json"));
        QVERIFY(profile.open(QIODevice::WriteOnly));
        profile.write(R"({"format": 1, "unit": "0.1 mm",
            "analog_output": {"range": "0-20", "min": 150, "max": 90000},
            "switching_outputs": {"on1": 2500, "off1": 2400, "on2": 3500, "off2": 3300},
            "written_not_read_back": {"switching_mode": 2}})");
        QFile fast(dir.filePath("fast.json"));
        QVERIFY(fast.open(QIODevice::WriteOnly));
        fast.write(R"({"format": 1, "unit": "0.1 mm", "written_not_read_back": {"line_preset": 6}})");
    }

    void cleanup()
    {
        QVERIFY(server.stop());
        QVERIFY(sim.stop());
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        // Stops ser2net once the simulator's log shows this, while the last run goes on.
        QTest::addColumn<QString>("stopWhen");

        const QString time = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d))";
        both("identity", "", "identity", 0,
             "serial_number: A17\nversion: 12\nproduction_date: 2024-06-18\n");
        both("analog output", "", "analog", 0, "range: 4-20\nmin: 0\nmax: 100000\n");
        both("switching outputs", "", "switching", 0,
             "on1: 1500\noff1: 1400\non2: 3000\noff2: 2900\n");
        both("a measurement", "--distance 42", "measure", 0, time + " 42\n");
        both("a setting", "",
             "set switching --mode 2 --on1 2500 --off1 2400 --on2 3500 --off2 3300", 0,
             "accepted\n");
        row("identity over rfc2217 on IPv6", "", "--port %RFC6% identity", 0,
            "serial_number: A17\n.*");
        // The simulator answers only at its own speed: the server's line has to follow.
        row("line preset over rfc2217, then answered at it", "",
            "--port %RFC% set line-preset 6 && --port %RFC% --preset 6 switching", 0,
            "on1: 1500\n.*");
        // The same within one connection: the read-back follows the new preset.
        row("a profile's line preset over rfc2217, read back at it", "",
            "--port %RFC% profile apply %DIR%/fast.json", 0, "line preset: written\n");
        row("a profile's line preset over tcp: accepted, nothing read back", "",
            "--port %TCP% profile apply %DIR%/fast.json", 0, "line preset: written\n",
            "orvante-ctl: the sensor now talks at line preset 6 .*\norvante-ctl: nothing read "
            "back: the sensor no longer talks at the server's line settings\n");
        row("line preset over tcp: the server's settings stay", "",
            "--port %TCP% set line-preset 6", 0, "accepted\n",
            "orvante-ctl: the sensor now talks at line preset 6 \\(115200 8N1\\), but over "
            "tcp:// the device server keeps its own line settings: change them for "
            "tcp://localhost:\\d+ to match \\(or use rfc2217://, which sets them\\)\n");

        // Faults.
        row("nothing listening", "", "--port rfc2217://127.0.0.1:1 identity", 4, "",
            "orvante-ctl: cannot open rfc2217://127.0.0.1:1: connection refused; is ser2net or "
            "the device server listening on 127.0.0.1:1\\?\n");
        row("unknown host name", "", "--port tcp://no-such-host.invalid:2217 identity", 4, "",
            "orvante-ctl: cannot open tcp://no-such-host.invalid:2217: host name "
            "no-such-host.invalid not found .*; check the name\n");
        row("malformed address", "", "--port rfc2217://localhost identity", 2, "",
            "orvante-ctl: 'rfc2217://localhost' is not a port address \\(no HOST:PORT\\); "
            "expected tcp://HOST:PORT .*\n");
        row("server stopped during measure", "--rate 50 --verbose",
            "--port %RFC% measure --seconds 60", 4, "(" + time + " 12345\n)+",
            "orvante-ctl: lost the port rfc2217://localhost:\\d+ \\(the connection was closed "
            "by localhost:\\d+\\); check the device server and the network, then .*\n",
            "tx 13");
        row("server stopped during profile apply", "--delay 600 --verbose",
            "--port %TCP% profile apply %DIR%/outputs.json", 4,
            "analog output: written\nswitching outputs: interrupted; the sensor may hold part "
            "of it\n",
            "orvante-ctl: lost the port tcp://localhost:\\d+ \\(the connection was closed by "
            "localhost:\\d+\\); check the device server and the network, then .*\n",
            "rx 23: oq1");
    }

    void commands()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, runs);
        QFETCH(int, status);
        QFETCH(QString, stopWhen);

        const QString device = sim.start(simArgs);
        QVERIFY(!device.isEmpty());
        QVERIFY(server.start(device));
        for (int i = 0; i < runs.size(); ++i) {
            QProcess ctl;
            ctl.start(binary("orvante-ctl"), resolve(runs.at(i)).split(' ', Qt::SkipEmptyParts));
            QVERIFY(ctl.waitForStarted(5000));
            if (i + 1 == runs.size() && !stopWhen.isEmpty()) {
                QByteArray log;
                QTRY_VERIFY_WITH_TIMEOUT(
                    (log += sim->readAllStandardError()).contains(stopWhen.toLatin1()), 20000);
                QVERIFY(server.stop());
            }
            QVERIFY(ctl.waitForFinished(30000));
            const QString stdOut = QString::fromUtf8(ctl.readAllStandardOutput());
            const QString stdErr = QString::fromUtf8(ctl.readAllStandardError());
            if (i + 1 < runs.size()) {
                QVERIFY2(ctl.exitCode() == 0, qPrintable(runs.at(i) + ": " + stdErr));
                continue;
            }
            QFETCH(QString, out);
            QFETCH(QString, err);
            const auto matches = [](const QString &pattern, const QString &text) {
                return QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                                          QRegularExpression::DotMatchesEverythingOption)
                    .match(text)
                    .hasMatch();
            };
            QVERIFY2(matches(out, stdOut), qPrintable("stdout: " + stdOut));
            QVERIFY2(matches(err, stdErr), qPrintable("stderr: " + stdErr));
            QCOMPARE(ctl.exitStatus(), QProcess::NormalExit);
            QCOMPARE(ctl.exitCode(), status);
        }
    }

    // Every byte value both ways through RFC 2217, 0xFF the Telnet escape
    // among them: what the sensor's side receives and what the program prints.
    void everyByteThroughRfc2217()
    {
        PtyPeer peer;
        QVERIFY(peer.isValid());
        QVERIFY(server.start(peer.path()));
        QProcess ctl;
        ctl.start(binary("orvante-ctl"), {"--port", resolve("%RFC%"), "send", "--hex",
                                          QString::fromLatin1("a\xff\xff"
                                                              "b")});
        QTRY_COMPARE_WITH_TIMEOUT(peer.received().toHex(),
                                  QByteArray("a\xff\xff"
                                             "b\r\n")
                                      .toHex(),
                                  10000);
        QByteArray all;
        for (int round = 0; round < 2; ++round) {
            for (int value = 0; value < 256; ++value)
                all.append(char(255 - value));
        }
        QVERIFY(peer.write(all));
        QVERIFY(ctl.waitForFinished(10000));
        QCOMPARE(ctl.exitCode(), 0);
        QCOMPARE(ctl.readAllStandardOutput().simplified().replace(" ", ""), all.toHex());
    }
};

QTEST_GUILESS_MAIN(TestNetwork)
#include "tst_network.moc"
