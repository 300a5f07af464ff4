// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor-sim program as a process: its options, the pseudo-terminal it
// serves, and how it ends.

#include "support/simulator.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

bool openPort(QSerialPort &port, const QString &path, int baud = 9600)
{
    port.setPortName(path);
    port.setBaudRate(baud);
    return port.open(QIODevice::ReadWrite);
}

// Writes a command and collects the answer until it holds `size` bytes, or
// for `ms` milliseconds.
QByteArray ask(QSerialPort &port, const QByteArray &command, int size, int ms = 5000)
{
    port.write(command);
    QByteArray answer;
    QElapsedTimer clock;
    clock.start();
    while (answer.size() < size && clock.elapsed() < ms) {
        if (port.bytesAvailable() > 0 || port.waitForReadyRead(100))
            answer += port.readAll();
    }
    return answer;
}

} // namespace

class tst_SensorSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void helpListsEveryOption();
    void badOptions_data();
    void badOptions();
    void badNumbers_data();
    void badNumbers();
    void servesPseudoTerminal_data();
    void servesPseudoTerminal();
    void survivesReopen();
    void answersAtItsSpeedOnly_data();
    void answersAtItsSpeedOnly();
    void lineDropClosesTheDevice();
};

void tst_SensorSim::initTestCase()
{
    QVERIFY2(QFileInfo(binary("sensor-sim")).isExecutable(), qPrintable(binary("sensor-sim")));
}

void tst_SensorSim::helpListsEveryOption()
{
    Simulator sim;
    QCOMPARE(sim.start({"--help"}), QString("Usage: sensor-sim [options]"));
    QTRY_VERIFY_WITH_TIMEOUT(!sim.isRunning(), 10000);
    QVERIFY(sim.stop());
    const QByteArray help = sim->readAllStandardOutput();
    // Every option that takes a value says what it is without one.
    QCOMPARE(help.count("Default:"), help.count(" <"));
    const char *options[] = {
        "--device",          "--link",           "--verbose",         "--profile",    "--distance",
        "--amplitude",       "--period",         "--jitter",          "--seed",       "--rate",
        "--serial-number",   "--sensor-version", "--production-date", "--preset",     "--auto",
        "--reject-settings", "--silent",         "--delay",           "--chunk-size", "--chunk-gap",
        "--noise-bytes",     "--drop-after"};
    for (const char *option : options)
        QVERIFY2(help.contains(option), option);
}

void tst_SensorSim::badOptions_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("unknown option") << QStringList{"--bogus"};
    QTest::newRow("unknown profile") << QStringList{"--profile", "wobble"};
    QTest::newRow("preset out of range") << QStringList{"--preset", "8"};
    QTest::newRow("zero rate") << QStringList{"--rate", "0"};
    QTest::newRow("negative delay") << QStringList{"--delay", "-5"};
    QTest::newRow("short serial number") << QStringList{"--serial-number", "AB"};
    QTest::newRow("year outside 202x") << QStringList{"--production-date", "2019-05-01"};
    QTest::newRow("link with a device")
        << QStringList{"--device", "/dev/null", "--link", "/tmp/unused-sensor-link"};
}

// A bad option must stop the program before it serves anything.
void tst_SensorSim::badOptions()
{
    QFETCH(QStringList, arguments);

    Simulator sim;
    QCOMPARE(sim.start(arguments), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!sim.isRunning(), 10000);
    QCOMPARE(sim->exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim->exitCode(), 2);
    QCOMPARE(sim->readAllStandardOutput(), QByteArray());
    QVERIFY(sim->readAllStandardError().startsWith("sensor-sim: "));
}

void tst_SensorSim::badNumbers_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("value");

    // nan compares false with any bound, so a plain range check lets it pass.
    QTest::newRow("rate nan") << "rate"
                              << "nan";
    QTest::newRow("rate inf") << "rate"
                              << "inf";
    QTest::newRow("rate above 1000") << "rate"
                                     << "1000.5";
    QTest::newRow("drop-after nan") << "drop-after"
                                    << "nan";
    QTest::newRow("drop-after inf") << "drop-after"
                                    << "inf";
    QTest::newRow("drop-after negative") << "drop-after"
                                         << "-1";
    QTest::newRow("distance past 8 digits") << "distance"
                                            << "100000000";
    QTest::newRow("amplitude nan") << "amplitude"
                                   << "nan";
    QTest::newRow("period zero") << "period"
                                 << "0";
    QTest::newRow("jitter inf") << "jitter"
                                << "inf";
    QTest::newRow("seed past 32 bits") << "seed"
                                       << "4294967296";
    QTest::newRow("preset fraction") << "preset"
                                     << "1.5";
    QTest::newRow("delay past int") << "delay"
                                    << "2147483648";
    QTest::newRow("chunk-size negative") << "chunk-size"
                                         << "-1";
    QTest::newRow("chunk-gap exponent") << "chunk-gap"
                                        << "1e3";
    QTest::newRow("noise-bytes above 4096") << "noise-bytes"
                                            << "4097";
}

// Every numeric option: one line that names the option and the value, status
// 2, and nothing served.
void tst_SensorSim::badNumbers()
{
    QFETCH(QString, option);
    QFETCH(QString, value);

    Simulator sim;
    QCOMPARE(sim.start({"--" + option, value}), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!sim.isRunning(), 10000);
    QCOMPARE(sim->exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim->exitCode(), 2);
    QCOMPARE(sim->readAllStandardOutput(), QByteArray());
    const QString error = QString::fromLocal8Bit(sim->readAllStandardError());
    QVERIFY2(error.startsWith("sensor-sim: --" + option + " wants a "), qPrintable(error));
    QVERIFY2(error.endsWith(", not \"" + value + "\"\n"), qPrintable(error));
    QCOMPARE(error.count('\n'), 1);
}

void tst_SensorSim::servesPseudoTerminal_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("viaLink");

    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT, through a link") << int(SIGINT) << true;
}

void tst_SensorSim::servesPseudoTerminal()
{
    QFETCH(int, signal);
    QFETCH(bool, viaLink);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath("ttySENSOR");
    QStringList arguments{"--distance", "4711", "--serial-number", "Q42"};
    if (viaLink)
        arguments << "--link" << link;

    Simulator sim;
    const QString path = sim.start(arguments);
    QVERIFY2(path.startsWith("/dev/"), qPrintable(path));
    if (viaLink)
        QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    QSerialPort port;
    QVERIFY2(openPort(port, viaLink ? link : path), qPrintable(port.errorString()));
    QCOMPARE(ask(port, "td\r\n", 13), QByteArray("DT:00004711\r\n"));
    QCOMPARE(ask(port, "IDR+F\r\n", 23).mid(18, 3), QByteArray("Q42"));
    port.close();

    ::kill(pid_t(sim->processId()), signal);
    QTRY_VERIFY_WITH_TIMEOUT(!sim.isRunning(), 10000);
    QVERIFY(sim.stop());
    QVERIFY(!QFileInfo(link).isSymLink());
}

// The program closes and reopens the port when the operator changes the line
// preset; the sensor must still be there afterwards.
void tst_SensorSim::survivesReopen()
{
    Simulator sim;
    const QString path = sim.start({});
    QVERIFY(!path.isEmpty());

    for (int round = 0; round < 2; ++round) {
        QSerialPort port;
        QVERIFY2(openPort(port, path), qPrintable(port.errorString()));
        QCOMPARE(ask(port, "td\r\n", 13), QByteArray("DT:00012345\r\n"));
    }
    QVERIFY(sim.stop());
}

void tst_SensorSim::answersAtItsSpeedOnly_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("baud"); // the port's
    QTest::addColumn<int>("sensorBaud");
    QTest::addColumn<QString>("heard"); // "frame", "nothing" or "garbled"
    QTest::newRow("preset 4, port at 38400")
        << QStringList{"--preset", "4"} << 38400 << 38400 << "frame";
    QTest::newRow("preset 4, port at 9600")
        << QStringList{"--preset", "4"} << 9600 << 38400 << "nothing";
    QTest::newRow("preset 0, port at 115200") << QStringList() << 115200 << 9600 << "nothing";
    // A pseudo-terminal carries the speed the program set, not its format.
    QTest::newRow("preset 5 (7E1), port at 38400 8N1")
        << QStringList{"--preset", "5"} << 38400 << 38400 << "frame";
    QTest::newRow("measuring, port at 38400")
        << QStringList{"--auto", "--rate", "50"} << 38400 << 9600 << "garbled";
    QTest::newRow("measuring, port at 1200")
        << QStringList{"--auto", "--rate", "50"} << 1200 << 9600 << "garbled";
}

// What the port hears of a single measurement; then, at the sensor's speed,
// the sensor answers at once.
void tst_SensorSim::answersAtItsSpeedOnly()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, baud);
    QFETCH(int, sensorBaud);
    QFETCH(QString, heard);
    Simulator sim;
    const QString path = sim.start(arguments);
    QVERIFY(!path.isEmpty());
    {
        QSerialPort port;
        QVERIFY2(openPort(port, path, baud), qPrintable(port.errorString()));
        const QByteArray got = ask(port, "td\r\n", 1 << 20, 600);
        if (heard == "frame")
            QVERIFY2(got.startsWith("DT:000123"), got.toHex().constData());
        else if (heard == "nothing")
            QVERIFY2(got.isEmpty(), got.toHex().constData());
        else
            QVERIFY2(!got.isEmpty() && !got.contains("DT:"), got.toHex().constData());
    }
    QSerialPort port;
    QVERIFY2(openPort(port, path, sensorBaud), qPrintable(port.errorString()));
    port.clear();
    QVERIFY(ask(port, "c\r\nIDR+F\r\n", 1 << 20, 600).contains("DEVICE-ID: 4061812A17\r\n"));
    QVERIFY(sim.stop());
}

void tst_SensorSim::lineDropClosesTheDevice()
{
    Simulator sim;
    const QString path = sim.start({"--drop-after", "1"});
    QVERIFY(!path.isEmpty());

    QSerialPort port;
    QVERIFY2(openPort(port, path), qPrintable(port.errorString()));
    // A vanished pty shows as a read error, a vanished adapter as a resource
    // error; either way the port must be closed, or the error repeats.
    QSerialPort::SerialPortError lostWith = QSerialPort::NoError;
    connect(&port, &QSerialPort::errorOccurred, [&](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::NoError || lostWith != QSerialPort::NoError)
            return;
        lostWith = error;
        port.close();
    });
    QTRY_VERIFY_WITH_TIMEOUT(!sim.isRunning(), 10000);
    QVERIFY(sim.stop());
    QTRY_VERIFY_WITH_TIMEOUT(
        lostWith == QSerialPort::ReadError || lostWith == QSerialPort::ResourceError, 5000);
}

QTEST_GUILESS_MAIN(tst_SensorSim)
#include "tst_sensorsim.moc"
