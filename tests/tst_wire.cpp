// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes each command puts on the line, write for write, from both
// programs that send it: the window's buttons and orvante-ctl, each against a
// simulated sensor of its own, so that every exchange runs to its end (the
// second switching-output command, the distances on request, none after a
// refusal).

#include "app/Searial.h"
#include "app/state.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/simulator.h"
#include "support/wiretap.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTextEdit>
#include <QtTest>

namespace {

// Operates the window as the rows say: "name=value" inputs, "click:button".
void operate(Searial &searial, const QStringList &steps)
{
    const QRegularExpression separator("[=:]");
    for (const QString &step : steps) {
        const QString name = step.section(separator, 0, 0);
        const QString value = step.section(separator, 1);
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

class TestWire : public QObject
{
    Q_OBJECT

private slots:
    void bytesPerCommand_data()
    {
        QTest::addColumn<QStringList>("window"); // "name=value" inputs, "click:button"
        QTest::addColumn<QStringList>("ctlArgs");
        QTest::addColumn<bool>("refusing");
        QTest::addColumn<QByteArrayList>("writes");
        const auto row = [](const char *name, const QString &window, const QString &args,
                            bool refusing, const QByteArrayList &writes) {
            QTest::newRow(name) << window.split(' ') << args.split(' ') << refusing << writes;
        };
        row("identity query", "click:btn_R_ID", "identity", false, {"IDR+F\r\n"});
        row("analog output query", "click:btn_R_AD", "analog", false, {"RD+v\r\n"});
        row("switching output query", "click:btn_R_DA", "switching", false, {"PARAMETER\r\n"});
        row("single measurement", "click:btn_td click:btn_c", "measure", false,
            {"td\r\n", "c\r\n"});
        row("continuous measurement", "click:btn_tk click:btn_c", "measure --count 3", false,
            {"tk\r\n", "c\r\n"});
        row("set line preset 5", "cmb_set_baud_rate=5 click:btn_set_baud_rate", "set line-preset 5",
            false, {"ut+5\r\n"});
        row("set automatic measurement off", "com_set_Auto_M=1 click:btn_set_Auto_M",
            "set auto off", false, {"sa+0\r\n"});
        row("set analog output",
            "cmb_set_AD_I=0 lineEdit_W_AD_D_min=150 lineEdit_W_AD_D_max=90000 click:btn_set_AD",
            "set analog --range 0-20 --min 150 --max 90000", false,
            {"dt+0\r\n", "ds+", "00000150", "+", "00090000", "\r\n"});
        const QString window = "cmb_set_DA_mode=1 lineEdit_W_DA_start=2500 lineEdit_W_DA_stop=2400 "
                               "lineEdit_W_DA_start2=3500 lineEdit_W_DA_stop2= click:btn_set_DA";
        const QString args = "set switching --mode 2 --on1 2500 --off1 2400 --on2 3500 --off2 ";
        row("set switching outputs", window, args, false,
            {"oq1+00002500+00002400\r\n", "oq2+00003500+00000000", "\r\n"});
        row("set switching outputs, refused", window, args, true, {"oq1+00002500+00002400\r\n"});
        row("send a line", "lint_send_data=sl\n click:btn_send", "send sl", false, {"sl\r\n"});
    }

    void bytesPerCommand()
    {
        QFETCH(QStringList, window);
        QFETCH(QStringList, ctlArgs);
        QFETCH(bool, refusing);
        QFETCH(QByteArrayList, writes);
        const QStringList simArgs = refusing ? QStringList{"--reject-settings"} : QStringList{};

        {
            Simulator sensor;
            const QString path = sensor.start(simArgs);
            QVERIFY(!path.isEmpty());
            resetExchangeState();
            Searial searial;
            ModalBoxes boxes;
            QVERIFY(openPortAt(searial, path));
            WireTap tap;
            operate(searial, window);
            QTRY_VERIFY_WITH_TIMEOUT(
                activeCommand == 0 && pendingSetting == 0 && !responseTimer->isActive(), 5000);
            QCOMPARE(tap.writes(), writes);
        }

        Simulator sensor;
        const QString path = sensor.start(simArgs);
        QVERIFY(!path.isEmpty());
        QProcess ctl;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LOGGING_RULES", "orvante.tx.debug=true");
        environment.insert("QT_MESSAGE_PATTERN", "%{category}|%{message}");
        ctl.setProcessEnvironment(environment);
        ctl.start(binary("orvante-ctl"), QStringList{"--port", path} + ctlArgs);
        QTRY_COMPARE_WITH_TIMEOUT(ctl.state(), QProcess::NotRunning, 10000);
        QCOMPARE(ctl.exitCode(), refusing ? 1 : 0);
        QCOMPARE(tracedWrites(ctl.readAllStandardError()), writes);
    }
};

QTEST_MAIN(TestWire)
#include "tst_wire.moc"
