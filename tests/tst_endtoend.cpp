// SPDX-License-Identifier: GPL-3.0-or-later
// The program against the simulated sensor, driven through its buttons as an
// operator would: connect, measure, query, set, and the line's faults (late,
// split and dropped answers).

#include "app/Searial.h"
#include "app/state.h"
#include "serial/ports.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/simulator.h"
#include "support/wiretap.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

const QString kSuccess = "Message|Your operation was successful";
const QString kFailure = "Warning|Your operation failed. Please check your output parameters";

QString display(Searial &window)
{
    return child<QPlainTextEdit>(&window, "plainTextEdit")->toPlainText();
}

QStringList texts(Searial &window, const QStringList &lineEdits)
{
    QStringList values;
    for (const QString &name : lineEdits)
        values << child<QLineEdit>(&window, qPrintable(name))->text();
    return values;
}

// "name=value": a combo box gets the index, a line edit the text.
void setInput(Searial &window, const QString &assignment)
{
    const QString name = assignment.section('=', 0, 0), value = assignment.section('=', 1);
    if (auto *combo = child<QComboBox>(&window, qPrintable(name)))
        combo->setCurrentIndex(value.toInt());
    else
        child<QLineEdit>(&window, qPrintable(name))->setText(value);
}

// Distance frames the sensor sent after `marker`, as the display area shows them.
int framesAfter(const QString &shown, const QString &marker)
{
    const int at = shown.indexOf(marker);
    return at < 0 ? -1 : shown.mid(at).count("DT:");
}

bool wrote(const QByteArrayList &writes, const QByteArray &prefix)
{
    return std::any_of(writes.begin(), writes.end(),
                       [&](const QByteArray &w) { return w.startsWith(prefix); });
}

const QStringList kIdentity{"lineEdit_R_list", "lineEdit_R_version_number", "lineEdit_R_data"};
const QStringList kAnalog{"lineEdit_R_AD_I", "lineEdit_R_AD_D_min", "lineEdit_R_AD_D_max"};
const QStringList kSwitching{"lineEdit_R_DA1_on", "lineEdit_R_DA1_off", "lineEdit_R_DA2_on",
                             "lineEdit_R_DA2_off"};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<Searial> window;
    std::unique_ptr<ModalBoxes> boxes;
    std::unique_ptr<WireTap> tap;
    Simulator sim;
    QString distance() { return child<QLineEdit>(window.get(), "lineEdit_D")->text(); }
    QString status() { return child<QStatusBar>(window.get(), "statusBar")->currentMessage(); }

    // Starts a simulator, lets Scan find its device, picks it and presses Open.
    bool connectSimulator(const QStringList &arguments)
    {
        const QString simPath = sim.start(arguments);
        serial::setExtraPortPaths({simPath});
        click(window.get(), "btn_usart_number");
        // Offered first and preselected, before the enumerated ports.
        auto *names = child<QComboBox>(window.get(), "cmb_port_name");
        if (simPath.isEmpty() || portNameList.value(0) != simPath ||
            names->currentText() != simPath)
            return false;
        click(window.get(), "btn_open");
        return child<QLabel>(window.get(), "lab_status")->text() == "Connected" &&
               child<QPushButton>(window.get(), "btn_open")->text() == "Close" && !portClosed;
    }

private slots:
    void init()
    {
        resetExchangeState();
        window = std::make_unique<Searial>();
        boxes = std::make_unique<ModalBoxes>();
        tap = std::make_unique<WireTap>();
    }

    void cleanup()
    {
        window.reset();
        tap.reset();
        boxes.reset();
        serial::setExtraPortPaths({});
        // The simulator ends cleanly on SIGTERM.
        QVERIFY(sim.stop());
    }

    void singleMeasurement_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("shown");
        QTest::newRow("leading zeros dropped") << QStringList{"--distance", "4711"} << "4711";
        QTest::newRow("inner and trailing zeros kept")
            << QStringList{"--distance", "10200"} << "10200";
        QTest::newRow("eight digits") << QStringList{"--distance", "99999999"} << "99999999";
        QTest::newRow("zero: empty field") << QStringList{"--distance", "0"} << "";
        // Frames are read from the stream: one that arrives in pieces is one.
        QTest::newRow("frame in 5-byte pieces")
            << QStringList{"--distance", "4711", "--chunk-size", "5", "--chunk-gap", "40"}
            << "4711";
    }

    void singleMeasurement()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, shown);

        QVERIFY(connectSimulator(simArgs));
        child<QLineEdit>(window.get(), "lineEdit_D")->setText("stale");
        QSignalSpy chunks(child<QPlainTextEdit>(window.get(), "plainTextEdit"),
                          &QPlainTextEdit::textChanged);
        click(window.get(), "btn_td");
        QCOMPARE(tap->writes(), QByteArrayList{"td\r\n"});
        QTRY_VERIFY_WITH_TIMEOUT(rxByteCount >= 13, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(distance(), shown, 3000);
        QVERIFY2(chunks.count() >= (simArgs.contains("--chunk-size") ? 2 : 1), "not in pieces");
        // Still in flight until Stop or a laser command.
        QCOMPARE(activeCommand, quint8(3));
    }

    void continuousMeasurement_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<int>("lowest");
        QTest::addColumn<int>("highest");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("ack");
        QTest::addColumn<bool>("framesGoOn");
        QTest::newRow("ramp, Stop") << "ramp" << 20000 << 22999 << "btn_c"
                                    << "C:ACK" << false;
        QTest::newRow("sine, laser off") << "sine" << 17000 << 23000 << "btn_close_LD"
                                         << "SO:ACK" << false;
        // The sensor goes on measuring; the program must stop showing it.
        QTest::newRow("ramp, laser on") << "ramp" << 20000 << 22999 << "btn_open_LD"
                                        << "SL:ACK" << true;
    }

    void continuousMeasurement()
    {
        QFETCH(QString, profile);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        QFETCH(QString, end);
        QFETCH(QString, ack);
        QFETCH(bool, framesGoOn);

        QVERIFY(connectSimulator({"--profile", profile, "--distance", "20000", "--amplitude",
                                  "3000", "--period", "1000", "--rate", "20"}));
        QStringList seen;
        connect(child<QLineEdit>(window.get(), "lineEdit_D"), &QLineEdit::textChanged,
                [&seen](const QString &t) {
                    seen.removeAll(t);
                    seen << t;
                });
        click(window.get(), "btn_tk");
        QTRY_VERIFY_WITH_TIMEOUT(seen.size() >= 5, 3000);
        for (const QString &value : seen) {
            bool ok = false;
            const int d = value.toInt(&ok);
            QVERIFY2(ok && d >= lowest && d <= highest, qPrintable(value));
        }

        click(window.get(), qPrintable(end));
        const QString last = distance();
        QCOMPARE(activeCommand, quint8(0));
        QVERIFY(!distanceDisplay);
        // The sensor's acknowledgement shows that the command reached it.
        QTRY_VERIFY_WITH_TIMEOUT(display(*window).contains(ack), 3000);
        if (framesGoOn) {
            QTRY_VERIFY_WITH_TIMEOUT(framesAfter(display(*window), ack) >= 5, 3000);
        } else {
            // Idle, so a query goes out; in its window no frame comes.
            click(window.get(), "btn_R_ID");
            QTRY_COMPARE_WITH_TIMEOUT(texts(*window, {"lineEdit_R_list"}), QStringList{"A17"},
                                      3000);
            QCOMPARE(framesAfter(display(*window), ack), 0);
        }
        QCOMPARE(distance(), last);
        QVERIFY(boxes->seen.isEmpty());
    }

    void queries_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("answerEnd");

        const QStringList id{"--serial-number",   "Q42",       "--sensor-version", "07",
                             "--production-date", "2027-11-03"};
        const QStringList idValues{"Q42", "07", "2027-11-03"};
        const QStringList analogValues{"4~20", "0", "100000"};
        const QStringList switchingValues{"1500", "1400", "3000", "2900"};
        // Pieces that all arrive within the response window.
        const QStringList pieces{"--chunk-size", "5", "--chunk-gap", "40"};

        QTest::newRow("identity") << id << "btn_R_ID" << kIdentity << idValues << "Q42";
        QTest::newRow("identity in pieces")
            << id + pieces << "btn_R_ID" << kIdentity << idValues << "Q42";
        QTest::newRow("analog") << QStringList() << "btn_R_AD" << kAnalog << analogValues
                                << "100000+";
        QTest::newRow("analog in pieces")
            << pieces << "btn_R_AD" << kAnalog << analogValues << "100000+";
        QTest::newRow("switching")
            << QStringList() << "btn_R_DA" << kSwitching << switchingValues << "auto:0";
        QTest::newRow("switching in pieces")
            << QStringList{"--chunk-size", "7", "--chunk-gap", "40"} << "btn_R_DA" << kSwitching
            << switchingValues << "auto:0";
        // The window closes on nothing and clears the fields; what comes later
        // is never parsed.
        QTest::newRow("identity after the window")
            << id + QStringList{"--delay", "1500"} << "btn_R_ID" << kIdentity
            << QStringList{"", "", ""} << "Q42";
    }

    void queries()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, button);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, values);
        QFETCH(QString, answerEnd);

        QVERIFY(connectSimulator(simArgs));
        for (const QString &field : fields)
            setInput(*window, field + "=stale");
        QSignalSpy chunks(child<QPlainTextEdit>(window.get(), "plainTextEdit"),
                          &QPlainTextEdit::textChanged);
        QElapsedTimer clock;
        clock.start();
        click(window.get(), qPrintable(button));
        QTRY_COMPARE_WITH_TIMEOUT(texts(*window, fields), values, 3000);
        // Filled when the window closes, not when the answer arrives.
        QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(activeCommand, quint8(0));

        QTRY_VERIFY_WITH_TIMEOUT(display(*window).contains(answerEnd), 3000);
        QCOMPARE(texts(*window, fields), values);
        QVERIFY2(chunks.count() >= (simArgs.contains("--chunk-size") ? 3 : 1), "not in pieces");
        QVERIFY(boxes->seen.isEmpty());
    }

    void settings_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("lastAnswer");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("echo"); // in the query's answer, if no field shows it
        QTest::addColumn<int>("reopen");   // the port's preset for the query (-1: as it is)

        // The sensor answers the query at its new preset only.
        QTest::newRow("line preset")
            << QStringList{"cmb_set_baud_rate=4"} << "btn_set_baud_rate"
            << "Set:4"
            << "btn_R_DA" << QStringList() << QStringList() << "baud:38400" << 4;
        QTest::newRow("analog range")
            << QStringList{"cmb_set_AD_I=0", "lineEdit_W_AD_D_min=150", "lineEdit_W_AD_D_max=90000"}
            << "btn_set_AD"
            << "DS:ACK"
            << "btn_R_AD" << kAnalog << QStringList{"0~20", "150", "90000"} << "" << -1;
        QTest::newRow("switching outputs")
            << QStringList{"cmb_set_DA_mode=1", "lineEdit_W_DA_start=2500",
                           "lineEdit_W_DA_stop=2400", "lineEdit_W_DA_start2=3500",
                           "lineEdit_W_DA_stop2=3300"}
            << "btn_set_DA"
            << "ok"
            << "btn_R_DA" << kSwitching << QStringList{"2500", "2400", "3500", "3300"} << "mode:2"
            << -1;
        QTest::newRow("automatic measurement")
            << QStringList{"com_set_Auto_M=0"} << "btn_set_Auto_M"
            << "Auto:1"
            << "btn_R_DA" << QStringList() << QStringList() << "auto:1" << -1;
    }

    void settings()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, button);
        QFETCH(QString, lastAnswer);
        QFETCH(QString, query);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, values);
        QFETCH(QString, echo);
        QFETCH(int, reopen);

        QVERIFY(connectSimulator({}));
        for (const QString &input : inputs)
            setInput(*window, input);
        click(window.get(), qPrintable(button));
        QTRY_COMPARE_WITH_TIMEOUT(boxes->summary(), QStringList{kSuccess}, 3000);
        QCOMPARE(pendingSetting, quint8(0));
        // The range command is answered after the box; that answer must not
        // lead the query's.
        QTRY_VERIFY_WITH_TIMEOUT(display(*window).contains(lastAnswer), 3000);

        // Read back what the sensor now holds.
        if (reopen >= 0) {
            click(window.get(), "btn_open");
            child<QComboBox>(window.get(), "cmb_baud_rate")->setCurrentIndex(reopen);
            click(window.get(), "btn_open");
            QVERIFY(!portClosed);
        }
        click(window.get(), qPrintable(query));
        QVERIFY(activeCommand != 0);
        QTRY_COMPARE_WITH_TIMEOUT(activeCommand, quint8(0), 3000);
        QCOMPARE(texts(*window, fields), values);
        if (!echo.isEmpty())
            QVERIFY2(display(*window).contains(echo), qPrintable(display(*window)));
        QCOMPARE(boxes->seen.size(), 1);
    }

    void rejectedSettings_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("pendingAfter");
        QTest::newRow("line preset") << "btn_set_baud_rate"
                                     << "Set:E" << QStringList{kFailure} << 0;
        QTest::newRow("switching outputs") << "btn_set_DA"
                                           << "Ezz" << QStringList{kFailure} << 0;
        QTest::newRow("automatic measurement") << "btn_set_Auto_M"
                                               << "SA:NAK" << QStringList{kFailure} << 0;
        // Only a 'DAC' answer ends this setting; anything else is waited past.
        QTest::newRow("analog range") << "btn_set_AD"
                                      << "DT:NAK" << QStringList() << 2;
    }

    void rejectedSettings()
    {
        QFETCH(QString, button);
        QFETCH(QString, answer);
        QFETCH(QStringList, shown);
        QFETCH(int, pendingAfter);

        QVERIFY(connectSimulator({"--reject-settings"}));
        click(window.get(), qPrintable(button));
        QTRY_VERIFY_WITH_TIMEOUT(display(*window).contains(answer), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(boxes->summary(), shown, 3000);
        QCOMPARE(int(pendingSetting), pendingAfter);
        // No follow-up command goes out after a refusal.
        QVERIFY(!wrote(tap->writes(), "op2") && !wrote(tap->writes(), "ds+"));
    }

    void splitAnalogAnswer_data()
    {
        QTest::addColumn<int>("chunkSize");
        QTest::newRow("'DAC' whole in the first piece") << 3;
        QTest::newRow("split after 'DA'") << 2;
        QTest::newRow("split after 'D'") << 1;
    }

    // 'DAC' counts at the start of a line, however the reads cut it.
    void splitAnalogAnswer()
    {
        QFETCH(int, chunkSize);

        QVERIFY(
            connectSimulator({"--chunk-size", QString::number(chunkSize), "--chunk-gap", "40"}));
        click(window.get(), "btn_set_AD");
        QCOMPARE(tap->writes(), QByteArrayList{"dt+0\r\n"});
        QTRY_VERIFY_WITH_TIMEOUT(rxByteCount >= int(sizeof "DAC:0\r\n") - 1, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(boxes->summary(), QStringList{kSuccess}, 3000);
        QVERIFY(wrote(tap->writes(), "ds+"));
        QCOMPARE(int(pendingSetting), 0);
    }

    void unansweredSettings_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("name");
        QTest::newRow("automatic measurement") << "btn_set_Auto_M"
                                               << "automatic measurement";
        QTest::newRow("analog range") << "btn_set_AD"
                                      << "analog output";
    }

    // The settings a chunk decides get the response window's deadline; none
    // outlives its connection, so the next sensor's frame decides nothing.
    void unansweredSettings()
    {
        QFETCH(QString, button);
        QFETCH(QString, name);

        QVERIFY(connectSimulator({"--silent"}));
        click(window.get(), qPrintable(button));
        QVERIFY(pendingSetting != 0);
        QTRY_COMPARE_WITH_TIMEOUT(
            status(), QString("No answer to the %1 setting within 1000 ms").arg(name), 1500);
        QCOMPARE(pendingSetting, quint8(0));

        click(window.get(), qPrintable(button));
        click(window.get(), "btn_open");
        QCOMPARE(status(),
                 QString("Closed; the %1 setting had no answer and was dropped").arg(name));
        QVERIFY(sim.stop());
        QVERIFY(connectSimulator({"--distance", "4242"}));
        click(window.get(), "btn_td");
        QTRY_COMPARE_WITH_TIMEOUT(distance(), QString("4242"), 3000);
        // A box would open with the frame; the poller records it within 10 ms.
        QTest::qWait(200);
        QVERIFY2(boxes->seen.isEmpty(), qPrintable(boxes->summary().join('\n')));
        QCOMPARE(pendingSetting, quint8(0));
    }

    // The Sensor menu against the simulator: save its settings, apply other
    // ones (confirmed in a box that shows what changes), with the window's
    // buttons refused meanwhile, then compare with the saved file.
    void sensorMenuProfiles()
    {
        QVERIFY(connectSimulator({}));
        QTemporaryDir dir;
        const QString saved = dir.filePath("sensor.json");
        const QString line3 = dir.filePath("line3.json");
        QFile file(line3);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"format": 1, "unit": "0.1 mm",
            "analog_output": {"range": "0-20", "min": 150, "max": 90000},
            "switching_outputs": {"on1": 2500, "off1": 2400, "on2": 1500, "off2": 2900},
            "written_not_read_back": {"switching_mode": 1, "line_preset": 4}})");
        file.close();
        const auto trigger = [&](const char *action, const QString &path) {
            boxes->answerFileDialog(path);
            window->findChild<QAction *>(action)->trigger();
        };
        const auto table = [&] {
            QStringList rows;
            const QList<QDialog *> dialogs = window->findChildren<QDialog *>("ProfileResult");
            if (dialogs.isEmpty())
                return rows;
            auto *cells = dialogs.last()->findChild<QTableWidget *>("table_settings");
            for (int r = 0; r < cells->rowCount(); ++r) {
                QStringList row;
                for (int c = 0; c < cells->columnCount(); ++c)
                    row << cells->item(r, c)->text();
                rows << row.join(' ');
            }
            return rows;
        };

        trigger("action_profile_save", saved);
        QTRY_COMPARE_WITH_TIMEOUT(status(), "Profile saved to " + saved + " (serial number A17)",
                                  5000);
        boxes->clear(); // the switching mode asked

        trigger("action_profile_apply", line3);
        // Running: the window's own buttons say why they send nothing.
        tap->clear();
        click(window.get(), "btn_R_ID");
        QVERIFY(status().startsWith("Busy: a profile of the Sensor menu is running"));
        QTRY_COMPARE_WITH_TIMEOUT(status(), "Profile applied: the sensor holds what " + line3 +
                                                " says",
                                  15000);
        QVERIFY(!wrote(tap->writes(), "IDR+F"));
        QCOMPARE(boxes->seen.size(), 1);
        QCOMPARE(boxes->seen.at(0).title, QString("Apply profile"));
        for (const QString &change : QStringList{"analog_output.range: 4-20 → 0-20",
                                                 "switching_outputs.on1: 1500 → 2500",
                                                 "switching_outputs.on2: 3000 → 1500",
                                                 "line preset 4"})
            QVERIFY2(boxes->seen.at(0).text.contains(change), qPrintable(boxes->seen.at(0).text));
        QCOMPARE(texts(*window, kAnalog), (QStringList{"0~20", "150", "90000"}));
        QCOMPARE(texts(*window, kSwitching), (QStringList{"2500", "2400", "1500", "2900"}));
        QCOMPARE(child<QComboBox>(window.get(), "cmb_baud_rate")->currentIndex(), 4);
        QCOMPARE(table().size(), 7);

        trigger("action_profile_compare", saved);
        QTRY_COMPARE_WITH_TIMEOUT(status(),
                                  "The sensor differs from " + saved + " in 6 values", 5000);
        QVERIFY2(table().contains("switching_outputs.on1 2500 1500 no"),
                 qPrintable(table().join('\n')));
        QVERIFY(table().contains("switching_outputs.off2 2900 2900 yes"));
        QCOMPARE(boxes->seen.size(), 1);
    }

    // Save profile… asks the switching mode (the settings page's offered) and
    // names the file .json; a second profile task meanwhile is refused before
    // its dialog opens, so the save stays a save; the window applies the file.
    void sensorMenuSaveThenApply()
    {
        QVERIFY(connectSimulator({}));
        QTemporaryDir dir;
        child<QComboBox>(window.get(), "cmb_set_DA_mode")->setCurrentIndex(1);
        boxes->answerFileDialog(dir.filePath("bench"));
        boxes->answerBox("Mode 2");
        window->findChild<QAction *>("action_profile_save")->trigger();
        QCOMPARE(boxes->fileDialogs, 1);
        for (const char *other : {"action_profile_apply", "action_profile_compare"}) {
            window->findChild<QAction *>(other)->trigger();
            QCOMPARE(boxes->fileDialogs, 1);
            QVERIFY2(status().startsWith("Not started: Save profile… has not ended"),
                     qPrintable(status()));
        }
        const QString saved = dir.filePath("bench.json");
        QTRY_COMPARE_WITH_TIMEOUT(status(), "Profile saved to " + saved + " (serial number A17)",
                                  5000);
        QCOMPARE(boxes->seen.size(), 1);
        QCOMPARE(boxes->seen.at(0).defaultButton, QString("Mode 2"));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\"switching_mode\": 2"));

        boxes->clear();
        tap->clear();
        boxes->answerFileDialog(saved);
        window->findChild<QAction *>("action_profile_apply")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(status(),
                                  "Profile applied: the sensor holds what " + saved + " says",
                                  15000);
        QVERIFY(boxes->seen.at(0).text.contains("switching mode 2 (not read back)"));
        QVERIFY(wrote(tap->writes(), "oq1+"));
    }

    // Lost during an apply: the status bar names what happened to the line
    // (not an errno left by an earlier call) and keeps how far the apply got.
    void lineDropDuringApply()
    {
        QVERIFY(connectSimulator({"--drop-after", "4", "--delay", "500"}));
        QTemporaryDir dir;
        const QString path = dir.filePath("p.json");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"format": 1, "unit": "0.1 mm",
            "analog_output": {"range": "0-20", "min": 150, "max": 90000},
            "switching_outputs": {"on1": 2500, "off1": 2400, "on2": 1500, "off2": 2900},
            "written_not_read_back": {"switching_mode": 1, "automatic_measurement": false}})");
        file.close();
        boxes->answerFileDialog(path);
        window->findChild<QAction *>("action_profile_apply")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(portClosed, 10000);
        QVERIFY2(QRegularExpression("^Lost .+ \\((the line hung up|the device is gone)\\); "
                                    "the port is closed\\. Profile stopped")
                     .match(status())
                     .hasMatch(),
                 qPrintable(status()));
    }

    void lineDropDuringMeasurement()
    {
        QVERIFY(connectSimulator({"--profile", "ramp", "--drop-after", "1.5"}));
        click(window.get(), "btn_tk");
        QTRY_VERIFY_WITH_TIMEOUT(!distance().isEmpty(), 3000);

        QTRY_VERIFY_WITH_TIMEOUT(portClosed, 3000);
        QCOMPARE(child<QLabel>(window.get(), "lab_status")->text(), QString(" Disconnected"));
        QCOMPARE(child<QPushButton>(window.get(), "btn_open")->text(), QString("Open"));
        QVERIFY(boxes->seen.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!sim.isRunning(), 5000);
        QVERIFY(sim.stop());

        // Still usable: a new sensor connects and measures.
        QVERIFY(connectSimulator({"--distance", "4242"}));
        click(window.get(), "btn_td");
        QTRY_COMPARE_WITH_TIMEOUT(distance(), QString("4242"), 3000);
        QVERIFY(boxes->seen.isEmpty());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
