// The command line: --port adds devices to Scan, and the real executable
// answers --help and --version without opening a window.

#include "app/Searial.h"
#include "app/options.h"
#include "app/state.h"
#include "serial/ports.h"
#include "support/apphelpers.h"
#include "support/ptypeer.h"

#include <QComboBox>
#include <QCommandLineParser>
#include <QProcess>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestPortOption : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    PtyPeer first, second;
    QProcess sim;
    QString simPath;

    static QString binary(const QString &name)
    {
        return QCoreApplication::applicationDirPath() + "/" + name;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid() && first.isValid() && second.isValid());
        QFile file(dir.filePath("plain-file"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a terminal\n") > 0);
        file.close();
        sim.start(binary("sensor-sim"), QStringList());
        while (sim.waitForStarted(5000) && !sim.canReadLine())
            QVERIFY(sim.waitForReadyRead(5000));
        simPath = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY(!simPath.isEmpty());
    }

    void cleanupTestCase()
    {
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
    }

    void init() { resetExchangeState(); }
    void cleanup() { serial::setExtraPortPaths({}); }

    void scanOffersGivenPorts_data()
    {
        // $pty1, $pty2: pseudo-terminals; $sim: the simulator's device;
        // $missing: no such file; $file: a regular file.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("no option") << QStringList() << QStringList();
        QTest::newRow("pseudo-terminal") << QStringList{"--port", "$pty1"} << QStringList{"$pty1"};
        QTest::newRow("simulator") << QStringList{"--port", "$sim"} << QStringList{"$sim"};
        QTest::newRow("--port=PATH") << QStringList{"--port=$pty2"} << QStringList{"$pty2"};
        QTest::newRow("no such path") << QStringList{"--port", "$missing"} << QStringList();
        QTest::newRow("regular file") << QStringList{"--port", "$file"} << QStringList();
        QTest::newRow("repeated, order kept")
            << QStringList{"--port", "$sim",   "--port", "$missing", "--port",
                           "$pty2",  "--port", "$file",  "--port",   "$pty1"}
            << QStringList{"$sim", "$pty2", "$pty1"};
    }

    void scanOffersGivenPorts()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, added);
        for (QStringList *list : {&arguments, &added}) {
            list->replaceInStrings("$pty1", first.path());
            list->replaceInStrings("$pty2", second.path());
            list->replaceInStrings("$sim", simPath);
            list->replaceInStrings("$missing", dir.filePath("no-such-tty"));
            list->replaceInStrings("$file", dir.filePath("plain-file"));
        }
        QStringList enumerated;
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            enumerated << info.portName();
        // A leftover that the options must replace, not extend.
        serial::setExtraPortPaths({second.path()});

        QCommandLineParser parser;
        addProgramOptions(parser);
        QVERIFY2(parser.parse(QStringList{"orvante-usart"} + arguments),
                 qPrintable(parser.errorText()));
        QString error;
        QVERIFY(applyProgramOptions(parser, &error));

        Searial window;
        click(&window, "btn_usart_number");
        // The system's own ports come first; whether each opens at this moment
        // depends on other programs (other tests probe them too), so only their
        // names are checked.
        const int own = portNameList.size() - added.size();
        QVERIFY(own >= 0);
        QCOMPARE(portNameList.mid(own), added);
        for (const QString &name : portNameList.mid(0, own))
            QVERIFY2(enumerated.contains(name), qPrintable(name));
        QCOMPARE(child<QComboBox>(&window, "cmb_port_name")->count(), portNameList.size());
    }

    void executable_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << QByteArray("--port <PATH>");
        QTest::newRow("--version")
            << QStringList{"--version"} << 0 << QByteArray("orvante-usart 1.0\n");
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 1 << QByteArray("bogus");
    }

    void executable()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, output);

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.start(binary("orvante-usart"), arguments);
        const bool ended = program.waitForFinished(10000);
        if (!ended)
            program.kill(); // a window opened instead; the destructor reaps it
        QVERIFY2(ended, "the program did not end by itself");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const QByteArray said = program.readAllStandardOutput() + program.readAllStandardError();
        QVERIFY2(said.contains(output), said.constData());
    }
};

QTEST_MAIN(TestPortOption)
#include "tst_portoption.moc"
