// SPDX-License-Identifier: GPL-3.0-or-later
// The window and orvante-ctl in step. The same operation through the window's
// buttons and through orvante-ctl puts the same bytes on the line, write for
// write: each front end has its own pseudo-terminal, on whose far side a
// simulated sensor answers, so both go through the whole exchange (second
// commands, distances on request). And the same bytes from the sensor, cut
// into reads however the line cuts them, lead both to the same verdict.

#include "app/Searial.h"
#include "app/state.h"
#include "protocol/codes.h"
#include "sim/sensormodel.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/ptypeer.h"
#include "support/wiretap.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QProcess>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <utility>

namespace {

// The sensor behind a pseudo-terminal, on the real clock.
struct Responder
{
    PtyPeer &peer;
    sim::SensorModel model;
    QElapsedTimer clock;
    int heard = 0;
    void pump()
    {
        const QByteArray line = peer.received();
        model.advance(clock.elapsed() - model.now());
        model.receive(line.mid(std::exchange(heard, line.size())));
        peer.write(model.takeOutput());
    }
};

// Operates the window as the rows say: "name=value" inputs, "click:button".
void operate(Searial &searial, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QString name = step.section(QRegularExpression("[=:]"), 0, 0);
        const QString value = step.section(QRegularExpression("[=:]"), 1);
        if (name == "click")
            click(&searial, qPrintable(value));
        else if (auto *combo = child<QComboBox>(&searial, qPrintable(name)))
            combo->setCurrentIndex(value.toInt());
        else if (auto *text = child<QTextEdit>(&searial, qPrintable(name)))
            text->setPlainText(value);
        else
            child<QLineEdit>(&searial, qPrintable(name))->setText(value);
    }
}

// orvante-ctl traces its writes as the window does; this reads them back.
QByteArrayList tracedWrites(const QByteArray &stderrText)
{
    QByteArrayList writes;
    for (const QByteArray &line : stderrText.split('\n')) {
        if (line.startsWith("orvante.tx|"))
            writes << QByteArray::fromHex(line.mid(11));
    }
    return writes;
}

} // namespace

class TestCtlWire : public QObject
{
    Q_OBJECT

private slots:
    void sameBytesAsTheWindow_data()
    {
        QTest::addColumn<QStringList>("ctlArgs");
        QTest::addColumn<QStringList>("window"); // "name=value" inputs, "click:button"
        QTest::addColumn<bool>("refusing");
        QTest::addColumn<QByteArrayList>("writes");
        const auto row = [](const char *name, const QString &args, const QString &window,
                            bool refusing, const QByteArrayList &writes) {
            QTest::newRow(name) << args.split(' ') << window.split(' ') << refusing << writes;
        };
        row("identity query", "identity", "click:btn_R_ID", false, {"IDR+F\r\n"});
        row("analog output query", "analog", "click:btn_R_AD", false, {"RD+v\r\n"});
        row("switching output query", "switching", "click:btn_R_DA", false, {"PARAMETER\r\n"});
        row("single measurement", "measure", "click:btn_td click:btn_c", false,
            {"td\r\n", "c\r\n"});
        row("continuous measurement", "measure --count 3", "click:btn_tk click:btn_c", false,
            {"tk\r\n", "c\r\n"});
        row("set line preset 5", "set line-preset 5", "cmb_set_baud_rate=5 click:btn_set_baud_rate",
            false, {"ut+5\r\n"});
        row("set automatic measurement off", "set auto off",
            "com_set_Auto_M=1 click:btn_set_Auto_M", false, {"sa+0\r\n"});
        row("set analog output", "set analog --range 0-20 --min 150 --max 90000",
            "cmb_set_AD_I=0 lineEdit_W_AD_D_min=150 lineEdit_W_AD_D_max=90000 click:btn_set_AD",
            false, {"dt+0\r\n", "ds+", "00000150", "+", "00090000", "\r\n"});
        const QString args = "set switching --mode 2 --on1 2500 --off1 2400 --on2 3500 --off2 ";
        const QString window = "cmb_set_DA_mode=1 lineEdit_W_DA_start=2500 lineEdit_W_DA_stop=2400 "
                               "lineEdit_W_DA_start2=3500 lineEdit_W_DA_stop2= click:btn_set_DA";
        row("set switching outputs", args, window, false,
            {"oq1+00002500+00002400\r\n", "oq2+00003500+00000000", "\r\n"});
        row("set switching outputs, refused", args, window, true, {"oq1+00002500+00002400\r\n"});
        row("send a line", "send sl", "lint_send_data=sl\n click:btn_send", false, {"sl\r\n"});
    }

    void sameBytesAsTheWindow()
    {
        QFETCH(QStringList, ctlArgs);
        QFETCH(QStringList, window);
        QFETCH(bool, refusing);
        QFETCH(QByteArrayList, writes);

        sim::SensorOptions options;
        options.rejectSettings = refusing;
        PtyPeer windowLine, ctlLine;
        Responder windowSensor{windowLine, sim::SensorModel(options), {}},
            ctlSensor{ctlLine, sim::SensorModel(options), {}};
        windowSensor.clock.start();
        ctlSensor.clock.start();
        QTimer pump;
        connect(&pump, &QTimer::timeout, [&] {
            windowSensor.pump();
            ctlSensor.pump();
        });
        pump.start(5);

        // The window, through its buttons.
        resetExchangeState();
        Searial searial;
        ModalBoxes boxes;
        QVERIFY(openPort(searial, windowLine));
        WireTap tap;
        operate(searial, window);
        QTRY_VERIFY_WITH_TIMEOUT(
            activeCommand == 0 && pendingSetting == 0 && !responseTimer->isActive(), 5000);

        // orvante-ctl, on its own line.
        QProcess ctl;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LOGGING_RULES", "orvante.tx.debug=true");
        environment.insert("QT_MESSAGE_PATTERN", "%{category}|%{message}");
        ctl.setProcessEnvironment(environment);
        ctl.start(QCoreApplication::applicationDirPath() + "/orvante-ctl",
                  QStringList{"--port", ctlLine.path()} + ctlArgs);
        QTRY_COMPARE_WITH_TIMEOUT(ctl.state(), QProcess::NotRunning, 10000);
        QCOMPARE(ctl.exitCode(), refusing ? 1 : 0);

        QCOMPARE(tracedWrites(ctl.readAllStandardError()), tap.writes());
        QCOMPARE(tap.writes(), writes);
        QTRY_COMPARE(windowLine.received(), writes.join());
        QCOMPARE(ctlLine.received(), windowLine.received());
    }

    void sameVerdictOnTheSameReads_data();
    void sameVerdictOnTheSameReads();
};

// Each row: what the window is asked and the orvante-ctl command that asks the
// same, the sensor's reads after the command, and what each makes of them:
// the window's distance field ("-" untouched), status bar and boxes, and
// orvante-ctl's exit status and output (a measurement's distances without
// their times).
void TestCtlWire::sameVerdictOnTheSameReads_data()
{
    QTest::addColumn<QStringList>("window");
    QTest::addColumn<QStringList>("ctlArgs");
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("printed");
    const auto row = [](const char *name, const QString &window, const QString &args,
                        const QByteArrayList &reads, const QString &field, const QString &note,
                        const QStringList &boxes, int status, const QString &printed) {
        QTest::newRow(name) << window.split(' ') << args.split(' ') << reads << field << note
                            << boxes << status << printed;
    };
    const QStringList ok{"Message|Your operation was successful"};
    const QStringList failed{"Warning|Your operation failed. Please check your output parameters"};
    const QString auto1 = "com_set_Auto_M=0 click:btn_set_Auto_M";
    const QString auto0 = "com_set_Auto_M=1 click:btn_set_Auto_M";
    const QString analog = "cmb_set_AD_I=0 lineEdit_W_AD_D_min=150 lineEdit_W_AD_D_max=90000 "
                           "click:btn_set_AD";
    const QString setAnalog = "set analog --range 0-20 --min 150 --max 90000";
    const QString analogSent = "Analog output sent: min at 15.0 mm, max at 9000.0 mm";

    row("single frame split 8 + 5", "click:btn_td", "measure", {"DT:00012", "345\r\n"}, "12345",
        "", {}, 0, "12345");
    QByteArrayList bytewise;
    for (const char c : QByteArray("DT:00000007\r\n"))
        bytewise << QByteArray(1, c);
    row("single frame a byte per read", "click:btn_td", "measure", bytewise, "7", "", {}, 0, "7");
    row("three frames in one read: the newest shown", "click:btn_tk", "measure --count 3",
        {"DT:00000111\r\nDT:00000222\r\nDT:00000333\r\n"}, "333", "", {}, 0, "111\n222\n333");
    row("noise ahead of a frame, read 13 bytes at a time", "click:btn_td", "measure",
        {"\x85\x86" "DT:0001234", "5\r\n"}, "-",
        "Not a distance frame, not shown: '\\x85\\x86DT:00012345'", {}, 3, "");
    row("'Aut' split over reads", auto1, "set auto on", {"A", "ut", "o:1\r\n"}, "-", "", ok, 0,
        "accepted");
    row("a whole frame before 'Aut', the answer split", auto0, "set auto off",
        {"DT:00001234\r\nAu", "to:0\r\n"}, "1234", "", ok, 0, "accepted");
    row("automatic measurement refused", auto1, "set auto on", {"SA:NAK\r\n"}, "-", "", failed, 1,
        "");
    row("'DAC' split after D", analog, setAnalog, {"D", "AC:0\r\n"}, "-", analogSent, ok, 0,
        "accepted");
    row("analog refused", analog, setAnalog, {"DT:NAK\r\n"}, "-",
        "No answer to the analog output setting within 1000 ms, no distances sent: the sensor "
        "sent 'DT:NAK'",
        {}, 1, "");
    row("line speed answer behind noise", "cmb_set_baud_rate=0 click:btn_set_baud_rate",
        "set line-preset 0", {"\x85\x86\x87\x88\x89Set:0\r\n"}, "-", "", ok, 0, "accepted");
    row("NUL inside a switching value", "click:btn_R_DA", "switching",
        {QByteArray("on1:15\0 0", 9), "\r\noff1:1400\r\non2:3000\r\noff2:2900\r\n"}, "-",
        "Switching output answer not understood: output 1 open '15' (came as '15\\x00 0')", {}, 3,
        "off1: 1400\non2: 3000\noff2: 2900");
    row("identity split by a NUL", "click:btn_R_ID", "identity",
        {QByteArray("DEVIC\0X", 7), "E-ID: 40618127A17\r\n"}, "-",
        "Identity answer not understood: serial number '7A1' (came as '127'), version '12' "
        "(came as '18'), production date '2024-06-18' (came as '202:- 4-06')",
        {}, 3, "");
}

void TestCtlWire::sameVerdictOnTheSameReads()
{
    QFETCH(QStringList, window);
    QFETCH(QStringList, ctlArgs);
    QFETCH(QByteArrayList, reads);
    QFETCH(QString, field);
    QFETCH(QString, note);
    QFETCH(QStringList, boxes);
    QFETCH(int, status);
    QFETCH(QString, printed);

    // The window, each read a chunk of its own.
    resetExchangeState();
    Searial searial;
    ModalBoxes seen;
    PtyPeer windowLine;
    QVERIFY(openPort(searial, windowLine));
    auto *distance = child<QLineEdit>(&searial, "lineEdit_D");
    distance->setText("-");
    operate(searial, window);
    for (const QByteArray &read : reads)
        QVERIFY(deliver(windowLine, read));
    QTRY_VERIFY_WITH_TIMEOUT(pendingSetting == 0 && !responseTimer->isActive(), 5000);
    QCOMPARE(distance->text(), field);
    QCOMPARE(searial.statusBar()->currentMessage(), note);
    QCOMPARE(seen.summary(), boxes);
    // A single measurement stays asked, frame or none, until Stop or a laser
    // command.
    QCOMPARE(activeCommand == protocol::SingleMeasurement, window.contains("click:btn_td"));

    // orvante-ctl, the same bytes once it has written its command.
    PtyPeer ctlLine;
    QProcess ctl;
    ctl.start(QCoreApplication::applicationDirPath() + "/orvante-ctl",
              QStringList{"--port", ctlLine.path()} + ctlArgs);
    QTRY_VERIFY_WITH_TIMEOUT(ctlLine.received().endsWith("\r\n"), 10000);
    for (const QByteArray &read : reads) {
        QVERIFY(ctlLine.write(read));
        QTest::qWait(20);
    }
    QTRY_COMPARE_WITH_TIMEOUT(ctl.state(), QProcess::NotRunning, 10000);
    QStringList out;
    const QString stdoutText = QString::fromLatin1(ctl.readAllStandardOutput());
    for (const QString &line : stdoutText.split('\n', Qt::SkipEmptyParts))
        out << (ctlArgs.first() == "measure" ? line.section(' ', -1) : line);
    QCOMPARE(out.join('\n'), printed);
    QVERIFY2(ctl.exitCode() == status, ctl.readAllStandardError().constData());
}

QTEST_MAIN(TestCtlWire)
#include "tst_ctlwire.moc"
