// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a sensor behind a real ser2net: the address offered first by
// Scan, Open at the chosen preset (the simulator answers only at its own, so
// the preset has to reach the server's line), a single measurement shown,
// and the server's end seen as a lost device.

#include "app/Searial.h"
#include "app/state.h"
#include "serial/ports.h"
#include "support/apphelpers.h"
#include "support/ser2net.h"
#include "support/simulator.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStatusBar>
#include <QtTest>

#include <memory>

class TestNetworkWindow : public QObject
{
    Q_OBJECT

    Simulator sim;
    Ser2net server;

private slots:
    void initTestCase()
    {
        if (!Ser2net::installed())
            QSKIP("ser2net is not installed (test.sh installs it)");
    }

    void cleanup()
    {
        serial::setExtraPortPaths({});
        QVERIFY(server.stop());
        QVERIFY(sim.stop());
    }

    void measureThenLose_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<int>("preset");
        QTest::newRow("rfc2217 at 9600 8N1") << true << 0;
        QTest::newRow("rfc2217 at 115200 8N1, set by the window") << true << 6;
        QTest::newRow("tcp at the server's 9600 8N1") << false << 0;
    }

    void measureThenLose()
    {
        QFETCH(bool, rfc2217);
        QFETCH(int, preset);

        resetExchangeState();
        Searial window;
        const QString device = sim.start({"--preset", QString::number(preset), "--distance", "4711"});
        QVERIFY(!device.isEmpty());
        QVERIFY(server.start(device));
        const QString address = rfc2217 ? server.rfc2217() : server.tcp();

        // As --port ADDRESS gives it.
        serial::setExtraPortPaths({address});
        click(&window, "btn_usart_number");
        QCOMPARE(child<QComboBox>(&window, "cmb_port_name")->itemText(0), address);
        QCOMPARE(portNameList.value(0), address);
        child<QComboBox>(&window, "cmb_baud_rate")->setCurrentIndex(preset);
        click(&window, "btn_open");
        QCOMPARE(child<QLabel>(&window, "lab_status")->text(), QString("Connected"));

        click(&window, "btn_td");
        QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>(&window, "lineEdit_D")->text(),
                                  QString("4711"), 10000);

        QVERIFY(server.stop());
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(&window, "lab_status")->text(),
                                  QString(" Disconnected"), 10000);
        QVERIFY(portClosed);
        const QString status = child<QStatusBar>(&window, "statusBar")->currentMessage();
        QVERIFY2(status.startsWith(QString("Lost %1 (the connection was closed by ").arg(address)),
                 qPrintable(status));
    }
};

QTEST_MAIN(TestNetworkWindow)
#include "tst_networkwindow.moc"
