// SPDX-License-Identifier: GPL-3.0-or-later
// orvante-ctl against the simulated sensor, as a script runs it: what each
// command prints and the status it ends with, when the sensor answers,
// answers in pieces, refuses, stays silent or drops the line, and a
// continuous measurement ended with Ctrl-C.

#include "support/simulator.h"

#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {

const QString kTime = "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}(Z|[+-]\\d\\d:\\d\\d)";

// Runs separated by " && " (all but the last must succeed), with "--port
// <simulator>" put first unless the run names a port; stdout and stderr of
// the last are matched whole against regular expressions, %PORT% standing
// for the simulator's device and %DIR% for a fresh folder that holds
// line3.json (kLine3).
void row(const char *name, const QString &simArgs, const QString &runs, int status,
         const QString &out, const QString &err = QString())
{
    QTest::newRow(name) << simArgs.split(' ', Qt::SkipEmptyParts) << runs.split(" && ") << status
                        << out << err;
}

// A profile for a line of sensors, other than the simulator's settings.
const QByteArray kLine3 = R"({"format": 1, "unit": "0.1 mm",
  "analog_output": {"range": "0-20", "min": 150, "max": 90000},
  "switching_outputs": {"on1": 2500, "off1": 2400, "on2": 3500, "off2": 3300},
  "written_not_read_back": {"switching_mode": 2, "line_preset": 4}})";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestCtl : public QObject
{
    Q_OBJECT

    Simulator sim;

private slots:
    void cleanup()
    {
        QVERIFY(sim.stop());
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");

        const QString id = "serial_number: A17\nversion: 12\nproduction_date: 2024-06-18\n";
        const QString frame = "(" + kTime + " 12345\n)";
        const QString silence = "orvante-ctl: no answer to the %1 within 1000 ms; check .*\n";
        const QString refusal = "orvante-ctl: the sensor refused the %1 \\(answered '%2'\\); .*\n";
        const QString usage = "orvante-ctl: %1; see orvante-ctl .*--help\n";
        const QString lost = "orvante-ctl: lost the port %PORT% \\(.*\\); check the cable .*\n";
        const QString switching =
            "set switching --mode 2 --on1 2500 --off1 2400 --on2 3500 --off2 ";

        row("identity", "", "identity", 0, id);
        row("identity as JSON", "", "identity --json", 0,
            "[{]\"production_date\":\"2024-06-18\",\"serial_number\":\"A17\",\"version\":\"12\"}"
            "\n");
        row("identity in pieces", "--chunk-size 5 --chunk-gap 40", "identity", 0, id);
        row("identity after the window", "--delay 1500", "identity", 3, "",
            silence.arg("identity query"));
        // Positions 18 to 20 have not come when the window ends.
        row("identity cut off by the window", "--chunk-size 9 --chunk-gap 600", "identity", 3,
            "version: 12\nproduction_date: 2024-06-18\n",
            "orvante-ctl: no complete answer to the identity query within 1000 ms \\(no "
            "serial_number; received 'DEVICE-ID: 4061812'\\); .*\n");
        // 150 is not the sensor's 1500: nothing is printed.
        row("switching cut off by the window", "--chunk-size 15 --chunk-gap 1200", "switching", 3,
            "",
            "orvante-ctl: no complete answer to the switching output query within 1000 ms \\(no "
            "on1, off1, on2, off2; received 'mode:1\\\\x0d\\\\x0aon1:150'\\); .*\n");
        // Garbage before the answer shifts every position: nothing is printed
        // as the sensor's, each value is named, and the status is 3.
        const QString garbled = "orvante-ctl: %1 answer not understood: %2; check .*\n";
        row("identity behind line noise", "--noise-bytes 3", "identity", 3, "",
            garbled.arg("identity", "serial_number '.*', version '.*', production_date "
                                    "'202D-: -40'"));
        row("analog output behind line noise", "--noise-bytes 3", "analog --json", 3,
            "[{]\"max\":null,\"min\":null,\"range\":null}\n",
            garbled.arg("analog output", "range '.*', min '.*', max '100000'"));
        // The first run leaves the rest of its answer on the line; the second
        // one's positions would start inside it.
        row("identity after an earlier answer's tail", "--chunk-size 1 --chunk-gap 60",
            "send IDR+F && identity --json", 3,
            "[{]\"production_date\":(null|\"2024-06-18\"),\"serial_number\":(null|\"A17\"),"
            "\"version\":(null|\"12\")}\n",
            "(?s)orvante-ctl: .*");
        row("switching in pieces", "--chunk-size 7 --chunk-gap 40", "switching", 0,
            "on1: 1500\noff1: 1400\non2: 3000\noff2: 2900\n");

        row("single measurement", "--distance 0", "measure", 0, kTime + " 0\n");
        row("three frames as CSV", "--rate 20", "measure --count 3 --csv", 0,
            "(" + kTime + ",12345\n){3}");
        // The window reads a frame only when it comes in one piece.
        row("frames in pieces", "--chunk-size 5 --chunk-gap 10", "measure --count 2", 0,
            frame + "{2}");
        row("half a second at 10 Hz", "", "measure --seconds 0.5", 0, frame + "{3,7}");
        const QString stats = "count 3, rate \\d+\\.\\d frames/s, last 1234.5 mm, min 1234.5 mm, "
                              "max 1234.5 mm, mean 1234.50 mm, std dev 0.00 mm, peak to peak "
                              "0.0 mm\n";
        row("statistics after the frames", "--rate 20", "measure --count 3 --stats", 0,
            frame + "{3}" + stats);
        row("statistics beside CSV", "--rate 20", "measure --count 3 --csv --stats", 0,
            "(" + kTime + ",12345\n){3}", stats);

        row("line preset, read back", "", "set line-preset 4 && send --preset 4 PARAMETER", 0,
            "(?s).*baud:38400\r\n.*");
        // Frames sent at 38400 baud, read at 9600: garbled, zero bytes and all.
        row("port at another preset", "--preset 4 --auto --rate 2", "identity", 3, "",
            "orvante-ctl: no complete answer to the identity query within 1000 ms \\(no "
            "serial_number, version, production_date; received '\\\\x00.*'\\); .*\n");
        // The sensor now answers at 38400 baud only.
        row("line preset, old preset", "", "set line-preset 4 && identity", 3, "",
            silence.arg("identity query"));
        row("automatic measurement, read back", "", "set auto on && send PARAMETER", 0,
            "(?s).*auto:1\r\n.*");
        row("analog output, read back", "",
            "set analog --range 0-20 --min 150 --max 90000 && analog", 0,
            "range: 0-20\nmin: 150\nmax: 90000\n");
        row("switching outputs, read back", "", switching + "3300 && switching", 0,
            "on1: 2500\noff1: 2400\non2: 3500\noff2: 3300\n");

        row("setting accepted", "", "set auto off", 0, "accepted\n");
        row("line preset, refused", "--reject-settings", "set line-preset 4", 1, "",
            refusal.arg("line preset setting", "Set:E"));
        row("automatic measurement, refused", "--reject-settings", "set auto off", 1, "",
            refusal.arg("automatic measurement setting", "SA:NAK"));
        row("analog output, refused", "--reject-settings",
            "set analog --range 4-20 --min 0 --max 9", 1, "",
            refusal.arg("analog output setting", "DT:NAK"));
        row("switching outputs, refused", "--reject-settings", switching + "3300", 1, "",
            refusal.arg("switching output 1 setting", "Ezz"));

        row("silent: query", "--silent", "switching --json", 3, "",
            silence.arg("switching output query"));
        // The window reports this as a refusal; a script is told there was no answer.
        row("silent: line preset", "--silent", "set line-preset 1", 3, "",
            silence.arg("line preset setting"));
        row("silent: measurement", "--silent", "measure --seconds 5", 3, "",
            "orvante-ctl: no distance frame within 1000 ms; .*\n");
        row("line lost while measuring", "--drop-after 1 --rate 20", "measure --count 0", 4,
            frame + "{10,}", lost);
        row("line lost while listening", "--drop-after 1 --auto", "listen", 4, "(DT:00012345\r\n)+",
            lost);

        row("send, hex", "", "send --hex sl", 0, "534c3a41434b0d0a\n");
        row("listen", "--auto --rate 20", "listen --seconds 0.5", 0, "(DT:00012345\r\n){5,}");
        // What Scan leaves out is said beside the list, with why.
        row("ports: --port first", "", "ports --port %PORT% --port /dev/nonexistent --json", 0,
            "\\[\"%PORT%\"(,\"[^\"]+\")*\\]\n",
            "(orvante-ctl: .+ not listed: .+\n)*orvante-ctl: /dev/nonexistent not listed: no "
            "such port \\(No such file or directory\\); check the name .+\n(orvante-ctl: .+ "
            "not listed: .+\n)*");

        // Profiles: a sensor's settings to a file, a file's to a sensor.
        const QString line3 = "%DIR%/line3.json";
        const QString differs = "setting +sensor +%1\n";
        row("profile: a changed sensor differs in what changed", "",
            "profile save %DIR%/a.json && set switching --mode 1 --on1 2500 --off1 2400 --on2 "
            "3000 --off2 2900 && profile diff %DIR%/a.json",
            1,
            differs.arg("%DIR%/a.json") +
                "switching_outputs.on1 +2500 +1500\nswitching_outputs.off1 +2400 +1400\n");
        row("profile: applied to a sensor with other settings", "", "profile apply " + line3, 0,
            "analog output: written\nswitching outputs: written\nline preset: written\n");
        row("profile: then equal, at the new preset", "",
            "profile apply " + line3 + " && profile diff --preset 4 --json " + line3, 0,
            "[{]\"differences\":\\[\\],\"equal\":true,\"left\":\"sensor\",\"right\":\"" +
                line3 + "\"}\n");
        row("profile: one setting refused", "--reject-setting switching", "profile apply " + line3,
            1,
            "analog output: written\nswitching outputs: refused\nline preset: written\n" +
                differs.arg(line3) +
                "switching_outputs.on1 +1500 +2500\nswitching_outputs.off1 +1400 +2400\n"
                "switching_outputs.on2 +3000 +3500\nswitching_outputs.off2 +2900 +3300\n",
            refusal.arg("switching output 1 setting", "Ezz") +
                "orvante-ctl: the sensor does not hold what " + line3 + " says .*\n");
        row("profile: port lost midway", "--drop-after 0.8", "profile apply " + line3, 4,
            "analog output: written\nswitching outputs: interrupted; .*\nline "
            "preset: not written\n",
            lost);
        row("profile: two files", "",
            "profile save --line-preset 0 %DIR%/a.json && profile diff %DIR%/a.json " + line3, 1,
            "setting +%DIR%/a.json +" + line3 +
                "\n(analog_output.*\n){3}(switching_outputs.*\n){4}"
                "written_not_read_back.switching_mode +- +2\n"
                "written_not_read_back.line_preset +0 +4\n");
        row("profile: garbled answer not saved", "--noise-bytes 3", "profile save %DIR%/b.json",
            3, "", "orvante-ctl: identity answer not understood: .*\n");
        row("profile: truncated file", "", "profile apply %DIR%/cut.json", 2, "",
            "orvante-ctl: %DIR%/cut.json: line 2, column .*\n");
        row("profile: switching without its mode", "",
            "profile save %DIR%/a.json && profile apply %DIR%/a.json", 2, "",
            "orvante-ctl: %DIR%/a.json: switching_outputs need .*\n");

        row("usage: --port without a path", "", "--port", 2, "",
            usage.arg("Missing value after '--port'"));
        row("usage: distance with a point", "", switching + "1.5", 2, "",
            usage.arg("--off2 wants a distance .*, not '1.5'"));
        row("usage: --count and --seconds", "", "measure --count 2 --seconds 1", 2, "",
            usage.arg("give --count or --seconds, not both"));
        row("usage: a duration rounded to 0", "", "measure --seconds 0.0001", 2, "",
            usage.arg("--seconds 0.0001 is less than a millisecond; .*"));
        row("usage: an option given twice", "", "--preset 1 identity --preset 2", 2, "",
            usage.arg("--preset given more than once \\('1', '2'\\); give it once"));
        row("usage: empty --preset", "", "identity --preset ", 2, "",
            usage.arg("--preset wants a line preset from 0 to 7, not ''"));
        row("usage: empty --port", "", "identity --port ", 2, "",
            usage.arg("--port wants a device path, not ''"));
        // QSerialPort alone would look for /dev/s0.
        row("port given as a relative path", "", "identity --port s0", 0, id);
        row("port that does not open", "", "identity --port /dev/nonexistent", 4, "",
            "orvante-ctl: cannot open /dev/nonexistent: .*\n");
    }

    void commands()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, runs);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);

        const QString port = sim.start(simArgs);
        QVERIFY(!port.isEmpty());
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("line3.json"), kLine3));
        QVERIFY(writeFile(dir.filePath("cut.json"), kLine3.left(60)));
        QVERIFY(QFile::link(port, dir.filePath("s0")));
        const auto matches = [&](QString pattern, const QString &text) {
            pattern.replace("%PORT%", QRegularExpression::escape(port));
            pattern.replace("%DIR%", QRegularExpression::escape(dir.path()));
            return QRegularExpression(QRegularExpression::anchoredPattern(pattern))
                .match(text)
                .hasMatch();
        };
        for (int i = 0; i < runs.size(); ++i) {
            QStringList args = runs.at(i)
                                   .split(' ')
                                   .replaceInStrings("%PORT%", port)
                                   .replaceInStrings("%DIR%", dir.path());
            if (!args.contains("--port"))
                args = QStringList{"--port", port} + args;
            QProcess ctl;
            ctl.setWorkingDirectory(dir.path());
            ctl.start(binary("orvante-ctl"), args);
            QVERIFY(ctl.waitForFinished(10000));
            const QString said = QString::fromUtf8(ctl.readAllStandardOutput());
            const QString complained = QString::fromUtf8(ctl.readAllStandardError());
            const QByteArray all = (args.join(' ') + "\n" + said + "\n" + complained).toUtf8();
            const bool last = i == runs.size() - 1;
            QVERIFY2(ctl.exitStatus() == QProcess::NormalExit &&
                         ctl.exitCode() == (last ? status : 0),
                     all.constData());
            QVERIFY2(!last || (matches(out, said) && matches(err, complained)), all.constData());
        }
    }

    // --dry-run prints the bytes and sends nothing: the simulator hears no
    // setting; a save refused for a garbled answer leaves no file.
    void profileDryRun()
    {
        const QString port = sim.start({"--verbose", "--noise-bytes", "3"});
        QVERIFY(!port.isEmpty());
        QTemporaryDir dir;
        const QString path = dir.filePath("line3.json");
        QVERIFY(writeFile(path, kLine3));

        QProcess ctl;
        ctl.start(binary("orvante-ctl"), {"--port", port, "profile", "apply", "--dry-run", path});
        QVERIFY(ctl.waitForFinished(10000));
        QCOMPARE(ctl.exitCode(), 0);
        QCOMPARE(ctl.readAllStandardOutput(),
                 QByteArray("analog output: dt+0\\x0d\\x0a\n"
                            "analog output: ds+\nanalog output: 00000150\nanalog output: +\n"
                            "analog output: 00090000\nanalog output: \\x0d\\x0a\n"
                            "switching outputs: oq1+00002500+00002400\\x0d\\x0a\n"
                            "switching outputs: oq2+00003500+00003300\n"
                            "switching outputs: \\x0d\\x0a\n"
                            "line preset: ut+4\\x0d\\x0a\n"));

        const QString saved = dir.filePath("saved.json");
        ctl.start(binary("orvante-ctl"), {"--port", port, "profile", "save", saved});
        QVERIFY(ctl.waitForFinished(10000));
        QCOMPARE(ctl.exitCode(), 3);
        QVERIFY(!QFile::exists(saved));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"line3.json"});

        sim->terminate();
        QVERIFY(sim->waitForFinished(5000));
        const QString heard = QString::fromLatin1(sim->readAllStandardError());
        QVERIFY2(heard.contains("IDR+F") && !heard.contains(QRegularExpression("rx \\d+: (dt|ds|op|oq|ut|sa)")),
                 qPrintable(heard));
    }

    // Output that cannot be written fails the run, saying so once; a signal
    // during a setting lets the exchange on the line end and says what became
    // of each setting. `redirect` is the shell's, `trigger` what the
    // simulator hears before `signal` is sent.
    void outputsAndSignals_data()
    {
        QTest::addColumn<QString>("redirect");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");

        const auto fault = [](const char *name, const QString &redirect, const QString &command,
                              const char *trigger, int signal, int status, const QString &out,
                              const QString &err) {
            QTest::newRow(name) << redirect << command << trigger << signal << status << out << err;
        };
        const QString cannot = "orvante-ctl: cannot write standard output: %1\n";
        fault("stdout closed", ">&-", "identity", "", 0, 2, "", cannot.arg("Bad file descriptor"));
        fault("/dev/full", ">/dev/full", "measure --count 20 --csv", "", 0, 2, "",
              cannot.arg("No space left on device"));
        const QString apply = "profile apply %DIR%/line3.json";
        // Caught while the analog output awaits its answer: it ends, the rest
        // is not written; caught between output 1 and 2: both go in.
        fault("SIGINT during apply", "", apply, "rx 6: dt+0", SIGINT, 130,
              "analog output: written\nswitching outputs: not written\nline preset: not written\n",
              "orvante-ctl: stopped by SIGINT; the settings above .*\n");
        fault("SIGTERM during apply", "", apply, "rx 23: oq1", SIGTERM, 143,
              "analog output: written\nswitching outputs: written\nline preset: not written\n",
              "orvante-ctl: stopped by SIGTERM; .*\n");
        fault("SIGTERM during set switching", "",
              "set switching --mode 2 --on1 1 --off1 2 --on2 3 --off2 4", "rx 23: oq1", SIGTERM,
              143, "accepted\n", "orvante-ctl: stopped by SIGTERM; set switching: written\n");
    }

    void outputsAndSignals()
    {
        QFETCH(QString, redirect);
        QFETCH(QString, command);
        QFETCH(QString, trigger);
        QFETCH(int, signal);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);

        // Answers late enough for a signal to land while one is awaited.
        const QString port = sim.start({"--verbose", "--delay", "500"});
        QVERIFY(!port.isEmpty());
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("line3.json"), kLine3));
        QProcess ctl;
        ctl.start("/bin/sh", QStringList{"-c", "exec \"$0\" \"$@\" " + redirect,
                                         binary("orvante-ctl"), "--port", port} +
                                 command.split(' ').replaceInStrings("%DIR%", dir.path()));
        QByteArray heard;
        if (signal) {
            QTRY_VERIFY_WITH_TIMEOUT(
                (heard += sim->readAllStandardError()).contains(trigger.toLatin1()), 20000);
            ::kill(pid_t(ctl.processId()), signal);
        }
        QVERIFY(ctl.waitForFinished(20000));
        const QString said = QString::fromUtf8(ctl.readAllStandardOutput());
        const QString complained = QString::fromUtf8(ctl.readAllStandardError());
        const QByteArray all = (said + "\n" + complained + "\n" + heard).toUtf8();
        QVERIFY2(ctl.exitStatus() == QProcess::NormalExit && ctl.exitCode() == status, all);
        QVERIFY2(QRegularExpression("^" + out + "$").match(said).hasMatch(), all);
        QVERIFY2(QRegularExpression("^" + err + "$").match(complained).hasMatch(), all);
        // Switching outputs written are both written.
        if (said.contains(QRegularExpression("accepted|switching outputs: written")))
            QTRY_VERIFY_WITH_TIMEOUT((heard += sim->readAllStandardError()).contains("rx 23: oq2"),
                                     10000);
    }

    // Ctrl-C ends a continuous measurement: Stop goes out, every line printed
    // is whole, and the status is 0.
    void interruptedCsv()
    {
        const QString port = sim.start({"--verbose", "--profile", "ramp", "--rate", "20"});
        QVERIFY(!port.isEmpty());
        QProcess ctl;
        ctl.start(binary("orvante-ctl"), {"--port", port, "measure", "--count", "0", "--csv"});
        QTRY_VERIFY_WITH_TIMEOUT(ctl.peek(1 << 16).count('\n') >= 3, 5000);
        ::kill(pid_t(ctl.processId()), SIGINT);
        QVERIFY(ctl.waitForFinished(5000));
        QCOMPARE(ctl.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ctl.exitCode(), 0);
        QCOMPARE(ctl.readAllStandardError(), QByteArray());

        const QString csv = QString::fromUtf8(ctl.readAll());
        QVERIFY(csv.endsWith('\n')); // whole lines only
        const QStringList lines = csv.trimmed().split('\n');
        QVERIFY(lines.size() >= 3);
        for (const QString &line : lines) {
            const QStringList fields = line.split(',');
            QVERIFY2(fields.size() == 2 &&
                         QDateTime::fromString(fields.at(0), Qt::ISODateWithMs).isValid() &&
                         fields.at(1).toInt() >= 12345 && fields.at(1).toInt() < 13345,
                     qPrintable(line));
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
