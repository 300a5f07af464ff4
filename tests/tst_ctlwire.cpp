// SPDX-License-Identifier: GPL-3.0-or-later
// The same operation through the window's buttons and through orvante-ctl
// puts the same bytes on the line, write for write. Each front end has its
// own pseudo-terminal, on whose far side a simulated sensor answers, so both
// go through the whole exchange (second commands, distances on request).

#include "app/Searial.h"
#include "app/state.h"
#include "sim/sensormodel.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/ptypeer.h"
#include "support/wiretap.h"

#include <QComboBox>
#include <QLineEdit>
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
        for (const QString &step : window) {
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
};

QTEST_MAIN(TestCtlWire)
#include "tst_ctlwire.moc"
