// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: --port adds devices to Scan (first, and complains about
// those that do not open), and the real executable answers --help, --version
// and mistakes without opening a window, with no display at all.

#include "app/Searial.h"
#include "app/options.h"
#include "app/state.h"
#include "serial/advice.h"
#include "serial/ports.h"
#include "support/apphelpers.h"
#include "support/ptypeer.h"
#include "support/simulator.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCommandLineParser>
#include <QProcess>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A device file this process may not open. As root (who may open anything)
// the process takes the user nobody's ids, keeping root as its saved id to
// return to; otherwise the device loses its permission bits.
class Unpermitted
{
public:
    explicit Unpermitted(const QString &path) : m_path(path.toLocal8Bit())
    {
        if (::geteuid() == 0) {
            m_switched = ::setresgid(65534, 65534, 0) == 0 && ::setresuid(65534, 65534, 0) == 0;
        } else {
            struct stat st;
            m_chmodded =
                ::stat(m_path.constData(), &st) == 0 && ::chmod(m_path.constData(), 0) == 0;
            m_mode = st.st_mode & 07777;
        }
    }
    ~Unpermitted()
    {
        if (m_switched && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0))
            qFatal("cannot return to root");
        if (m_chmodded)
            ::chmod(m_path.constData(), m_mode);
    }
    bool active() const { return m_switched || m_chmodded; }

private:
    QByteArray m_path;
    bool m_switched = false, m_chmodded = false;
    mode_t m_mode = 0;
};

} // namespace

class TestPortOption : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    PtyPeer first, second;
    Simulator sim;
    QString simPath;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid() && first.isValid() && second.isValid());
        QFile file(dir.filePath("plain-file"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a terminal\n") > 0);
        file.close();
        simPath = sim.start({});
        QVERIFY(!simPath.isEmpty());
    }

    void cleanupTestCase() { QVERIFY(sim.stop()); }

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
            QString reason = QString::fromLocal8Bit(std::strerror(error));
            // A missing device comes with what to look at.
            if (error == ENOENT)
                reason = "no such port (" + reason +
                         "); check the name (ls /dev/ttyUSB* /dev/ttyACM* lists USB adapters) "
                         "and that the adapter is plugged in";
            return QStringList{
                QString("cannot open %1: %2 (Scan tries it again)").arg(path, reason)};
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

    void advice_data()
    {
        QTest::addColumn<int>("platform");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("systemReason");
        QTest::addColumn<bool>("userMayOpen");
        QTest::addColumn<QString>("said");
        const int onLinux = int(serial::Platform::Linux),
                  onWindows = int(serial::Platform::Windows);
        QTest::newRow("Linux, no permission")
            << onLinux << int(QSerialPort::PermissionError) << "Permission denied" << false
            << "permission denied; on Linux add yourself to the group dialout and log in again";
        QTest::newRow("Windows, missing")
            << onWindows << int(QSerialPort::DeviceNotFoundError) << "File not found." << true
            << "no such port (File not found.); check the COM port's number in Device Manager "
               "(Ports (COM & LPT)) and that the adapter's driver is installed";
        // Windows has no device permissions of its own: access denied is a port in use.
        QTest::newRow("Windows, access denied")
            << onWindows << int(QSerialPort::PermissionError) << "Access is denied." << false
            << "in use (Access is denied.); close the program that holds it (a terminal, another "
               "copy of this program)";
    }

    // What a port that does not open is said to need, in the system's words;
    // no Windows text names a Linux thing.
    void advice()
    {
        QFETCH(int, platform);
        QFETCH(int, error);
        QFETCH(QString, systemReason);
        QFETCH(bool, userMayOpen);
        QFETCH(QString, said);
        const auto system = serial::Platform(platform);
        QCOMPARE(serial::openProblem(QSerialPort::SerialPortError(error), systemReason, userMayOpen,
                                     system),
                 said);
        const serial::PlatformAdvice &row = serial::adviceFor(serial::Platform::Windows);
        for (const char *text :
             {row.portExamples, row.permission, row.missing, row.held, row.stopKeys})
            for (const char *linuxWord : {"dialout", "/dev/", "SIG", "tty"})
                QVERIFY2(!QString(text).contains(linuxWord), text);
    }

    void scanSaysWhatItLeftOut_data()
    {
        QTest::addColumn<bool>("permitted");
        QTest::addColumn<QString>("why"); // pattern
        QTest::newRow("held by another program")
            << true << "in use \\(.+\\); close the program that holds it \\(fuser -v names it\\)";
        QTest::newRow("no permission")
            << false
            << "permission denied; on Linux add yourself to the group dialout and log in "
               "again";
    }

    // Scan names each port it leaves out, and why: in the status bar and in
    // the port box's tooltip.
    void scanSaysWhatItLeftOut()
    {
        QFETCH(bool, permitted);
        QFETCH(QString, why);
        Searial window;
        auto *names = child<QComboBox>(&window, "cmb_port_name");
        serial::setExtraPortPaths({first.path(), second.path()});
        QSerialPort holder;
        std::unique_ptr<Unpermitted> unpermitted;
        if (permitted) {
            holder.setPortName(first.path());
            QVERIFY(holder.open(QIODevice::ReadWrite));
        } else {
            unpermitted = std::make_unique<Unpermitted>(first.path());
            QVERIFY(unpermitted->active());
        }
        click(&window, "btn_usart_number");
        unpermitted.reset();
        const QString line =
            QRegularExpression::escape(first.path() + " not listed: ") + "(" + why + ")";
        const QString said = window.statusBar()->currentMessage();
        // The system's own ports may be left out too; the named ones come first.
        QVERIFY2(
            QRegularExpression("^" + line + "( \\(and \\d+ more: see the port box's tooltip\\))?$")
                .match(said)
                .hasMatch(),
            qPrintable(said));
        QVERIFY2(QRegularExpression("(^|\n)" + line + "(\n|$)").match(names->toolTip()).hasMatch(),
                 qPrintable(names->toolTip()));
        QVERIFY(!portNameList.contains(first.path()));
        if (permitted)
            QCOMPARE(portNameList.value(0), second.path());
    }

    // Choosing another port while one is open changes nothing until the next
    // Open, and the status bar says which port is still in use.
    void otherPortWhileConnected()
    {
        Searial window;
        auto *names = child<QComboBox>(&window, "cmb_port_name");
        serial::setExtraPortPaths({first.path(), second.path()});
        click(&window, "btn_usart_number");
        click(&window, "btn_open");
        QVERIFY(!portClosed);
        names->setCurrentIndex(1);
        QCOMPARE(window.statusBar()->currentMessage(),
                 QString("Connected to %1; the new choice takes effect at the next Open")
                     .arg(first.path()));
        QVERIFY(names->isEnabled());
        QVERIFY(first.write("still here\r\n"));
        QTRY_VERIFY(rxBuffer.contains("still here"));
        // Close, Open: now the new choice.
        click(&window, "btn_open");
        click(&window, "btn_open");
        QVERIFY(second.write("new port\r\n"));
        QTRY_VERIFY(rxBuffer.contains("new port"));
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
