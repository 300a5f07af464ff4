// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: --port adds devices to Scan (first, and complains about
// those that do not open), and the real executable answers --help, --version
// and mistakes without opening a window, with no display at all.

#include "app/Searial.h"
#include "app/options.h"
#include "app/state.h"
#include "serial/ports.h"
#include "support/apphelpers.h"
#include "support/ptypeer.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCommandLineParser>
#include <QProcess>
#include <QSerialPortInfo>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

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
        // $missing: no such file; $file: a regular file; $late: appears after
        // start-up (a link to $pty1).
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("complaints");
        auto complaint = [](const char *path, int error) {
            return QStringList{QString("cannot open %1: %2 (Scan tries it again)")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(error)))};
        };
        QTest::newRow("no option") << QStringList() << QStringList() << QStringList();
        QTest::newRow("pseudo-terminal")
            << QStringList{"--port", "$pty1"} << QStringList{"$pty1"} << QStringList();
        QTest::newRow("simulator")
            << QStringList{"--port", "$sim"} << QStringList{"$sim"} << QStringList();
        QTest::newRow("--port=PATH")
            << QStringList{"--port=$pty2"} << QStringList{"$pty2"} << QStringList();
        QTest::newRow("no such path")
            << QStringList{"--port", "$missing"} << QStringList() << complaint("$missing", ENOENT);
        QTest::newRow("regular file")
            << QStringList{"--port", "$file"} << QStringList() << complaint("$file", ENOTTY);
        QTest::newRow("appears after start-up")
            << QStringList{"--port", "$late"} << QStringList{"$late"} << complaint("$late", ENOENT);
        QTest::newRow("repeated, order kept")
            << QStringList{"--port", "$sim",  "--port", "$missing",
                           "--port", "$pty2", "--port", "$pty1"}
            << QStringList{"$sim", "$pty2", "$pty1"} << complaint("$missing", ENOENT);
    }

    void scanOffersGivenPorts()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, added);
        QFETCH(QStringList, complaints);
        const QString late = dir.filePath("late");
        for (QStringList *list : {&arguments, &added, &complaints}) {
            list->replaceInStrings("$pty1", first.path());
            list->replaceInStrings("$pty2", second.path());
            list->replaceInStrings("$sim", simPath);
            list->replaceInStrings("$missing", dir.filePath("no-such-tty"));
            list->replaceInStrings("$file", dir.filePath("plain-file"));
            list->replaceInStrings("$late", late);
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
        QFile::remove(late);
        QCOMPARE(applyProgramOptions(parser), complaints);
        QVERIFY(QFile::link(first.path(), late));

        // A widget does not own the style it is given; this one outlives the window.
        const std::unique_ptr<QStyle> windowsStyle(QStyleFactory::create("Windows"));
        Searial window;
        click(&window, "btn_usart_number");
        // The named devices come first, so the first of them is preselected.
        // Whether each of the system's own ports opens at this moment depends
        // on other programs (other tests probe them too), so only their names
        // are checked.
        QCOMPARE(portNameList.mid(0, added.size()), added);
        for (const QString &name : portNameList.mid(added.size()))
            QVERIFY2(enumerated.contains(name), qPrintable(name));
        auto *names = child<QComboBox>(&window, "cmb_port_name");
        QCOMPARE(names->count(), portNameList.size());
        if (!added.isEmpty())
            QCOMPARE(names->currentText(), added.first());

        // The combo cuts long paths; each item's tooltip and the popup do not.
        // (The Windows style's popup is otherwise only as wide as the combo.)
        names->setStyle(windowsStyle.get());
        window.show();
        const QSize size = names->size();
        names->showPopup();
        for (int i = 0; i < names->count(); ++i) {
            QCOMPARE(names->itemData(i, Qt::ToolTipRole).toString(), portNameList.at(i));
            QVERIFY(names->view()->width() >
                    names->fontMetrics().horizontalAdvance(portNameList.at(i)));
        }
        QCOMPARE(names->size(), size);
    }

    void executable_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("output"); // how stdout begins
        QTest::addColumn<QByteArray>("errors");
        // The program's name, not the path it was started by.
        const QByteArray usage = "Usage: orvante-usart [options]\n";
        const QByteArray version = "orvante-usart 1.0\n";
        QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << QByteArray();
        QTest::newRow("--version") << QStringList{"--version"} << 0 << version << QByteArray();
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 1 << QByteArray()
                                        << QByteArray("orvante-usart: Unknown option 'bogus'.\n");
        // QApplication's own switches are its business, not mistakes.
        QTest::newRow("toolkit switches")
            << QStringList{"-style", "fusion", "--reverse", "-stylesheet=a.qss", "--version"} << 0
            << version << QByteArray();
        // No window to show: one line, not the toolkit's abort.
        QTest::newRow("no display")
            << QStringList() << 1 << QByteArray()
            << QByteArray("orvante-usart: cannot show the window: no display (DISPLAY is not "
                          "set). Run it on a desktop, on a virtual display (xvfb-run -a "
                          "orvante-usart) or without one (orvante-usart -platform offscreen).\n");
    }

    void executable()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, errors);

        QProcess program;
        // No display of any kind.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        program.setProcessEnvironment(environment);
        program.start(binary("orvante-usart"), arguments);
        const bool ended = program.waitForFinished(10000);
        if (!ended)
            program.kill(); // a window opened instead; the destructor reaps it
        QVERIFY2(ended, "the program did not end by itself");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.readAllStandardError(), errors);
        const QByteArray said = program.readAllStandardOutput();
        QVERIFY2(said.startsWith(output) && (said.isEmpty() == output.isEmpty()), said.constData());
        QCOMPARE(program.exitCode(), status);
        if (arguments == QStringList{"--help"})
            QVERIFY(said.contains("--port <PATH>"));
    }
};

QTEST_MAIN(TestPortOption)
#include "tst_portoption.moc"
