// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor protocol through the real window and a pseudo-terminal: command
// bytes and write boundaries, distance frames, the three queries, the four
// settings with their confirmations, and the busy rule.
//
// The response window is ended by calling handleTimeout directly, except in
// the few flows at the end that run on the real timer.

#include "app/Searial.h"
#include "app/state.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/ptypeer.h"
#include "support/wiretap.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString kSuccess = "Message|Your operation was successful";
const QString kFailure = "Warning|Your operation failed. Please check your output parameters";
const QString kBusy = "Warning|Please stop other instructions first";
const QString kBadDistance = "Warning|Distances may have at most 8 digits, 0-9 only";

const QByteArray kSecondCommand = "op2+00002005+00001995";
const QByteArrayList kDefaultRange = {"ds+", "00000000", "+", "00100000", "\r\n"};

// The six distance fields, analog first, and what their initial texts are sent as.
const QList<QPair<QByteArray, QByteArray>> kDistanceFields = {
    {"lineEdit_W_AD_D_min", "00000000"},  {"lineEdit_W_AD_D_max", "00100000"},
    {"lineEdit_W_DA_start", "00002005"},  {"lineEdit_W_DA_stop", "00001995"},
    {"lineEdit_W_DA_start2", "00002005"}, {"lineEdit_W_DA_stop2", "00001995"}};

const char *const kQueryFields[] = {
    "lineEdit_R_list",     "lineEdit_R_version_number", "lineEdit_R_data",   "lineEdit_R_AD_I",
    "lineEdit_R_AD_D_min", "lineEdit_R_AD_D_max",       "lineEdit_R_DA1_on", "lineEdit_R_DA1_off",
    "lineEdit_R_DA2_on",   "lineEdit_R_DA2_off"};

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commandBytes_data();
    void commandBytes();
    void switchingCommands_data();
    void switchingCommands();
    void analogRangeUsesTextsAtAnswer();

    void distanceFrames_data();
    void distanceFrames();

    void queries_data();
    void queries();
    void secondPressInsideWindowDoesNothing();
    void measurementDuringQueryLeavesFields_data();
    void measurementDuringQueryLeavesFields();

    void settings_data();
    void settings();
    void boxAndStateOrder_data();
    void boxAndStateOrder();
    void busyRule_data();
    void busyRule();
    void distanceTexts_data();
    void distanceTexts();
    void analogTextChangedBeforeAnswer_data();
    void analogTextChangedBeforeAnswer();
    void chunkArrivingDuringBoxIsTakenIn();

    void realTimerSwitchingOutputs();
    void realTimerLateAnswerNotShown();

private:
    std::unique_ptr<Searial> window;
    std::unique_ptr<ModalBoxes> boxes;
    std::unique_ptr<PtyPeer> peer;
    std::unique_ptr<WireTap> tap;

    QLineEdit *edit(const char *name) { return child<QLineEdit>(window.get(), name); }

    void deliver(const QByteArray &bytes) { QVERIFY(::deliver(*peer, bytes)); }

    // A step of a scripted exchange: "rx:<bytes>" the sensor answers (\r and
    // \n written out), "timeout" the response window ends, "click:<button>".
    void run(const QString &step)
    {
        if (step == "timeout") {
            QVERIFY(invoke(window.get(), "handleTimeout"));
        } else if (step.startsWith("click:")) {
            click(window.get(), step.mid(6).toLatin1().constData());
        } else if (step.startsWith("rx:")) {
            QByteArray bytes = step.mid(3).toLatin1();
            bytes.replace("\\r", "\r").replace("\\n", "\n");
            deliver(bytes);
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
};

void TestProtocol::init()
{
    resetExchangeState();
    window = std::make_unique<Searial>();
    boxes = std::make_unique<ModalBoxes>();
    peer = std::make_unique<PtyPeer>();
    QVERIFY(openPort(*window, *peer));
    tap = std::make_unique<WireTap>();
}

void TestProtocol::cleanup()
{
    tap.reset();
    window.reset();
    peer.reset();
    boxes.reset();
}

void TestProtocol::commandBytes_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("combo");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArrayList>("writes");
    QTest::newRow("laser on") << QByteArray("btn_open_LD") << QByteArray() << 0
                              << QByteArrayList{"sl\r\n"};
    QTest::newRow("single") << QByteArray("btn_td") << QByteArray() << 0
                            << QByteArrayList{"td\r\n"};
    QTest::newRow("continuous") << QByteArray("btn_tk") << QByteArray() << 0
                                << QByteArrayList{"tk\r\n"};
    QTest::newRow("laser off") << QByteArray("btn_close_LD") << QByteArray() << 0
                               << QByteArrayList{"so\r\n"};
    QTest::newRow("stop") << QByteArray("btn_c") << QByteArray() << 0 << QByteArrayList{"c\r\n"};
    QTest::newRow("identity") << QByteArray("btn_R_ID") << QByteArray() << 0
                              << QByteArrayList{"IDR+F\r\n"};
    QTest::newRow("analog query") << QByteArray("btn_R_AD") << QByteArray() << 0
                                  << QByteArrayList{"RD+v\r\n"};
    QTest::newRow("switching query")
        << QByteArray("btn_R_DA") << QByteArray() << 0 << QByteArrayList{"PARAMETER\r\n"};
    for (int preset = 0; preset < 8; ++preset)
        QTest::addRow("line preset %d", preset)
            << QByteArray("btn_set_baud_rate") << QByteArray("cmb_set_baud_rate") << preset
            << QByteArrayList{"ut+" + QByteArray::number(preset) + "\r\n"};
    QTest::newRow("analog 0~20mA") << QByteArray("btn_set_AD") << QByteArray("cmb_set_AD_I") << 0
                                   << QByteArrayList{"dt+0\r\n"};
    QTest::newRow("analog 4~20mA") << QByteArray("btn_set_AD") << QByteArray("cmb_set_AD_I") << 1
                                   << QByteArrayList{"dt+1\r\n"};
    QTest::newRow("automatic on") << QByteArray("btn_set_Auto_M") << QByteArray("com_set_Auto_M")
                                  << 0 << QByteArrayList{"sa+1\r\n"};
    QTest::newRow("automatic off") << QByteArray("btn_set_Auto_M") << QByteArray("com_set_Auto_M")
                                   << 1 << QByteArrayList{"sa+0\r\n"};
    QTest::newRow("no line preset selected")
        << QByteArray("btn_set_baud_rate") << QByteArray("cmb_set_baud_rate") << -1
        << QByteArrayList{};
}

void TestProtocol::commandBytes()
{
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, combo);
    QFETCH(int, index);
    QFETCH(QByteArrayList, writes);
    if (!combo.isEmpty())
        child<QComboBox>(window.get(), combo.constData())->setCurrentIndex(index);
    click(window.get(), button.constData());
    QCOMPARE(tap->writes(), writes);
    QTRY_COMPARE(peer->received(), writes.join());
    QVERIFY(boxes->seen.isEmpty());
}

void TestProtocol::switchingCommands_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    const QStringList defaults = {"2005", "1995", "2005", "1995"};
    QTest::newRow("mode 1, initial texts")
        << 0 << defaults << QByteArray("op1+00002005+00001995\r\n") << kSecondCommand;
    QTest::newRow("mode 2") << 1 << defaults << QByteArray("oq1+00002005+00001995\r\n")
                            << QByteArray("oq2+00002005+00001995");
    QTest::newRow("one digit, empty, 8 characters")
        << 0 << QStringList{"7", "", "12345678", "0"} << QByteArray("op1+00000007+00000000\r\n")
        << QByteArray("op2+12345678+00000000");
}

void TestProtocol::switchingCommands()
{
    QFETCH(int, mode);
    QFETCH(QStringList, texts);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    child<QComboBox>(window.get(), "cmb_set_DA_mode")->setCurrentIndex(mode);
    const char *const fields[] = {"lineEdit_W_DA_start", "lineEdit_W_DA_stop",
                                  "lineEdit_W_DA_start2", "lineEdit_W_DA_stop2"};
    for (int i = 0; i < 4; ++i)
        edit(fields[i])->setText(texts[i]);

    click(window.get(), "btn_set_DA");
    QCOMPARE(tap->writes(), QByteArrayList{first});
    QCOMPARE(pendingSetting, quint8(3));
    QVERIFY(responseTimer->isActive());
    // The second command was fixed at the click: later edits do not reach it.
    edit("lineEdit_W_DA_start2")->setText("999");

    deliver("ok\r\n");
    run("timeout");
    QCOMPARE(tap->writes(), (QByteArrayList{first, second, "\r\n"}));
    QTRY_COMPARE(peer->received(), first + second + "\r\n");
    QCOMPARE(pendingSetting, quint8(4));
    QVERIFY(responseTimer->isActive());
}

void TestProtocol::analogRangeUsesTextsAtAnswer()
{
    click(window.get(), "btn_set_AD");
    QCOMPARE(tap->writes(), QByteArrayList{"dt+0\r\n"});
    deliver("xyz\r\n"); // not the answer: ignored
    QCOMPARE(pendingSetting, quint8(2));
    edit("lineEdit_W_AD_D_min")->setText("150");
    edit("lineEdit_W_AD_D_max")->setText("12345678");
    tap->clear();
    deliver("DAC:0\r\n");
    QCOMPARE(tap->writes(), (QByteArrayList{"ds+", "00000150", "+", "12345678", "\r\n"}));
    QCOMPARE(boxes->summary(), QStringList{kSuccess});
    QCOMPARE(pendingSetting, quint8(0));
}

void TestProtocol::distanceFrames_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QString>("shown");
    const QByteArray frame = "DT:00012345\r\n";
    const QString previous = "previous";
    QTest::newRow("leading zeros dropped") << QStringList{} << QByteArrayList{frame} << "12345";
    QTest::newRow("all zeros") << QStringList{} << QByteArrayList{"DT:00000000\r\n"} << "";
    QTest::newRow("26 bytes: the newer frame")
        << QStringList{} << QByteArrayList{"DT:00000111\r\nDT:00000222\r\n"} << "222";
    QTest::newRow("13 bytes without a line end: no frame")
        << QStringList{} << QByteArrayList{"DT:0012345678"} << previous;
    QTest::newRow("frame split 8 + 5")
        << QStringList{} << QByteArrayList{"DT:00012", "345\r\n"} << "12345";
    QTest::newRow("39 bytes") << QStringList{} << QByteArrayList{frame + frame + frame} << "12345";
    QTest::newRow("12 bytes") << QStringList{} << QByteArrayList{"DT:0001234\r\n"} << previous;
    QTest::newRow("after Stop") << QStringList{"click:btn_c"} << QByteArrayList{frame} << previous;
    QTest::newRow("after laser on")
        << QStringList{"click:btn_open_LD"} << QByteArrayList{frame} << previous;
    QTest::newRow("after laser off")
        << QStringList{"click:btn_close_LD"} << QByteArrayList{frame} << previous;
    QTest::newRow("Stop, then single")
        << QStringList{"click:btn_c", "click:btn_td"} << QByteArrayList{frame} << "12345";
    QTest::newRow("Stop, then continuous")
        << QStringList{"click:btn_c", "click:btn_tk"} << QByteArrayList{frame + frame} << "12345";
    QTest::newRow("after a query")
        << QStringList{"click:btn_R_ID", "timeout"} << QByteArrayList{frame} << previous;
    QTest::newRow("single still shown after a window at start-up")
        << QStringList{"click:btn_td", "timeout"} << QByteArrayList{frame} << "12345";
    QTest::newRow("a window ends the single measurement")
        << QStringList{"click:btn_c", "click:btn_td", "timeout"} << QByteArrayList{frame}
        << previous;
}

void TestProtocol::distanceFrames()
{
    QFETCH(QStringList, before);
    QFETCH(QByteArrayList, chunks);
    QFETCH(QString, shown);
    for (const QString &step : before)
        run(step);
    edit("lineEdit_D")->setText("previous");
    for (const QByteArray &chunk : chunks)
        deliver(chunk);
    QCOMPARE(edit("lineEdit_D")->text(), shown);
}

void TestProtocol::queries_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QStringList>("fields"); // the ten query fields afterwards
    QStringList untouched;
    for (int i = 0; i < 10; ++i)
        untouched << "old";
    auto with = [&](QList<QPair<int, QString>> values) {
        QStringList fields = untouched;
        for (const auto &value : values)
            fields[value.first] = value.second;
        return fields;
    };
    QTest::newRow("identity") << QByteArray("btn_R_ID")
                              << QByteArrayList{"DEVICE-ID: 5031211789\r\n"}
                              << with({{0, "789"}, {1, "11"}, {2, "2025-03-12"}});
    QTest::newRow("identity in two chunks")
        << QByteArray("btn_R_ID") << QByteArrayList{"DEVICE-ID: 503", "1211789\r\n"}
        << with({{0, "789"}, {1, "11"}, {2, "2025-03-12"}});
    QTest::newRow("identity cut short: serial number missing")
        << QByteArray("btn_R_ID") << QByteArrayList{"DEVICE-ID: 50312117"}
        << with({{0, ""}, {1, "11"}, {2, "2025-03-12"}});
    QTest::newRow("identity: nothing")
        << QByteArray("btn_R_ID") << QByteArrayList{} << with({{0, ""}, {1, ""}, {2, ""}});
    QTest::newRow("analog 4~20, 0, 100000")
        << QByteArray("btn_R_AD") << QByteArrayList{"AOUT=1,0+100000+\r\n"}
        << with({{3, "4~20"}, {4, "0"}, {5, "100000"}});
    QTest::newRow("analog 150") << QByteArray("btn_R_AD")
                                << QByteArrayList{"AOUT=1,150+100000+\r\n"}
                                << with({{3, "4~20"}, {4, "150"}, {5, "100000"}});
    QTest::newRow("analog 0~20, + at 7")
        << QByteArray("btn_R_AD") << QByteArrayList{"AOUT=0,+100000+\r\n"}
        << with({{3, "0~20"}, {4, ""}, {5, "100000"}});
    QTest::newRow("analog unknown range code")
        << QByteArray("btn_R_AD") << QByteArrayList{"AOUT=7,1+2+\r\n"}
        << with({{3, ""}, {4, "1"}, {5, "2"}});
    QTest::newRow("analog cut short: no second +")
        << QByteArray("btn_R_AD") << QByteArrayList{"AOUT=1,150+1000"}
        << with({{3, "4~20"}, {4, "150"}, {5, ""}});
    QTest::newRow("analog cut short: no +")
        << QByteArray("btn_R_AD") << QByteArrayList{"AOUT=1,150"}
        << with({{3, "4~20"}, {4, ""}, {5, ""}});
    QTest::newRow("analog cut short: no range code")
        << QByteArray("btn_R_AD") << QByteArrayList{"AOUT"} << with({{3, ""}, {4, ""}, {5, ""}});
    QTest::newRow("switching keys in any order")
        << QByteArray("btn_R_DA")
        << QByteArrayList{"off2:2900\r\non1:1500\r\n", "on2:3000\r\noff1:1400\r\n"}
        << with({{6, "1500"}, {7, "1400"}, {8, "3000"}, {9, "2900"}});
    QTest::newRow("switching key missing")
        << QByteArray("btn_R_DA") << QByteArrayList{"on1:1500\r\non2:3000\r\noff2:2900\r\n"}
        << with({{6, "1500"}, {7, ""}, {8, "3000"}, {9, "2900"}});
}

void TestProtocol::queries()
{
    QFETCH(QByteArray, button);
    QFETCH(QByteArrayList, chunks);
    QFETCH(QStringList, fields);
    for (const char *name : kQueryFields)
        edit(name)->setText("old");
    rxByteCount = 500; // only the switching query starts counting afresh
    click(window.get(), button.constData());
    for (const QByteArray &chunk : chunks)
        deliver(chunk);
    run("timeout");
    QStringList shown;
    for (const char *name : kQueryFields)
        shown << edit(name)->text();
    QCOMPARE(shown, fields);
    QCOMPARE(activeCommand, quint8(0));
    QVERIFY(rxBuffer.isEmpty());
    QVERIFY(!responseTimer->isActive());
    QVERIFY(!distanceDisplay);
    QVERIFY(boxes->seen.isEmpty());
}

void TestProtocol::secondPressInsideWindowDoesNothing()
{
    click(window.get(), "btn_R_ID");
    deliver("DEVICE-ID: 50");
    for (const char *button : {"btn_R_ID", "btn_R_AD", "btn_R_DA", "btn_set_Auto_M"})
        click(window.get(), button);
    QCOMPARE(tap->writes(), QByteArrayList{"IDR+F\r\n"});
    QCOMPARE(activeCommand, quint8(1));
    QCOMPARE(rxBuffer, QByteArray("DEVICE-ID: 50"));
    QVERIFY(boxes->seen.isEmpty());
}

void TestProtocol::measurementDuringQueryLeavesFields_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::newRow("single measurement") << QByteArray("btn_td");
    QTest::newRow("stop") << QByteArray("btn_c");
    QTest::newRow("laser on") << QByteArray("btn_open_LD");
}

void TestProtocol::measurementDuringQueryLeavesFields()
{
    QFETCH(QByteArray, button);
    edit("lineEdit_R_list")->setText("old");
    click(window.get(), "btn_R_ID");
    click(window.get(), button.constData());
    QCOMPARE(tap->writes().size(), 2);
    deliver("DEVICE-ID: 5031211789\r\n");
    run("timeout");
    QCOMPARE(edit("lineEdit_R_list")->text(), QString("old"));
    QCOMPARE(activeCommand, quint8(0));
}

void TestProtocol::settings_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArrayList>("writes"); // after the click's own
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("pending");
    const QByteArrayList second = {kSecondCommand, "\r\n"};
    const QByteArray da("btn_set_DA");
    QTest::newRow("switching: ok, ok")
        << da << QStringList{"rx:ok\\r\\n", "timeout", "rx:ok\\r\\n", "timeout"} << second
        << QStringList{kSuccess} << 0;
    QTest::newRow("switching: Ezz at the first stage")
        << da << QStringList{"rx:Ezz\\r\\n", "timeout"} << QByteArrayList{} << QStringList{kFailure}
        << 0;
    QTest::newRow("switching: Ezz at the second stage")
        << da << QStringList{"rx:ok\\r\\n", "timeout", "rx:Ezz\\r\\n", "timeout"} << second
        << QStringList{kFailure} << 0;
    QTest::newRow("switching: neither")
        << da << QStringList{"rx:?\\r\\n", "timeout"} << QByteArrayList{} << QStringList{} << 3;
    QTest::newRow("switching: no answer at all")
        << da << QStringList{"timeout"} << QByteArrayList{} << QStringList{} << 3;
    QTest::newRow("switching: ok twice")
        << da << QStringList{"rx:ok ok\\r\\n", "timeout"} << second << QStringList{} << 4;
    QTest::newRow("switching: ok then Ezz")
        << da << QStringList{"rx:ok\\r\\nEzz\\r\\n", "timeout"} << second << QStringList{} << 4;
    QTest::newRow("switching: Ezz then ok") << da << QStringList{"rx:Ezz ok\\r\\n", "timeout"}
                                            << QByteArrayList{} << QStringList{kFailure} << 0;
    QTest::newRow("switching: second answer ok twice")
        << da << QStringList{"rx:ok\\r\\n", "timeout", "rx:ok\\r\\nok\\r\\n", "timeout"} << second
        << QStringList{kSuccess} << 0;
    QTest::newRow("switching: completed by a later query")
        << da
        << QStringList{"rx:?\\r\\n", "timeout", "click:btn_R_DA", "rx:mode:ok\\r\\n", "timeout"}
        << QByteArrayList{"PARAMETER\r\n", kSecondCommand, "\r\n"} << QStringList{} << 4;
    const QByteArray ut("btn_set_baud_rate");
    QTest::newRow("line speed: accepted") << ut << QStringList{"rx:Set:3\\r\\n", "timeout"}
                                          << QByteArrayList{} << QStringList{kSuccess} << 0;
    QTest::newRow("line speed: value is a letter")
        << ut << QStringList{"rx:Set:x\\r\\n", "timeout"} << QByteArrayList{}
        << QStringList{kFailure} << 0;
    QTest::newRow("line speed: no Set") << ut << QStringList{"rx:baud 3\\r\\n", "timeout"}
                                        << QByteArrayList{} << QStringList{kFailure} << 0;
    QTest::newRow("line speed: no answer")
        << ut << QStringList{"timeout"} << QByteArrayList{} << QStringList{kFailure} << 0;
    QTest::newRow("line speed: ended by an analog query")
        << ut << QStringList{"click:btn_R_AD", "rx:AOUT=1,0+9+\\r\\nSet:3\\r\\n", "timeout"}
        << QByteArrayList{"RD+v\r\n"} << QStringList{kFailure} << 0;
    const QByteArray ad("btn_set_AD");
    QTest::newRow("analog: DAC") << ad << QStringList{"rx:DAC:0\\r\\n"} << kDefaultRange
                                 << QStringList{kSuccess} << 0;
    QTest::newRow("analog: other chunks first")
        << ad << QStringList{"rx:hello\\r\\n", "rx:DT:00001234\\r\\n", "rx:DAC\\r\\n"}
        << kDefaultRange << QStringList{kSuccess} << 0;
    QTest::newRow("analog: DAC split after D")
        << ad << QStringList{"rx:D", "rx:AC\\r\\n"} << kDefaultRange << QStringList{kSuccess} << 0;
    QTest::newRow("analog: DAC split after DA")
        << ad << QStringList{"rx:DA", "rx:C\\r\\n"} << kDefaultRange << QStringList{kSuccess} << 0;
    QTest::newRow("analog: no answer, a window passes")
        << ad << QStringList{"click:btn_R_ID", "timeout"} << QByteArrayList{"IDR+F\r\n"}
        << QStringList{} << 2;
    const QByteArray sa("btn_set_Auto_M");
    QTest::newRow("automatic: Aut")
        << sa << QStringList{"rx:Auto:1\\r\\n"} << QByteArrayList{} << QStringList{kSuccess} << 0;
    QTest::newRow("automatic: a whole frame is no answer")
        << sa << QStringList{"rx:DT:00001234\\r\\n"} << QByteArrayList{} << QStringList{} << 5;
    QTest::newRow("automatic: answer split") << sa << QStringList{"rx:Au", "rx:t\\r\\n"}
                                             << QByteArrayList{} << QStringList{kSuccess} << 0;
    QTest::newRow("automatic: another answer")
        << sa << QStringList{"rx:SA:NAK\\r\\n"} << QByteArrayList{} << QStringList{kFailure} << 0;
    QTest::newRow("automatic: no chunk, a window passes")
        << sa << QStringList{"click:btn_R_ID", "timeout"} << QByteArrayList{"IDR+F\r\n"}
        << QStringList{} << 5;
}

void TestProtocol::settings()
{
    QFETCH(QByteArray, button);
    QFETCH(QStringList, steps);
    QFETCH(QByteArrayList, writes);
    QFETCH(QStringList, shown);
    QFETCH(int, pending);
    click(window.get(), button.constData());
    QCOMPARE(tap->writes().size(), 1);
    tap->clear();
    for (const QString &step : steps)
        run(step);
    QCOMPARE(tap->writes(), writes);
    QCOMPARE(boxes->summary(), shown);
    QCOMPARE(int(pendingSetting), pending);
    for (const SeenBox &box : boxes->seen) {
        QCOMPARE(box.buttons, QStringList{"OK"});
        QVERIFY(box.hasParent);
    }
}

void TestProtocol::boxAndStateOrder_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("pendingDuringBox");
    QTest::addColumn<int>("writesBeforeBox");
    // Steps of the response window change the state only once the box is closed.
    QTest::newRow("line speed") << QByteArray("btn_set_baud_rate")
                                << QStringList{"rx:Set:1\\r\\n", "timeout"} << 1 << 0;
    QTest::newRow("switching, first stage rejected")
        << QByteArray("btn_set_DA") << QStringList{"rx:Ezz\\r\\n", "timeout"} << 3 << 0;
    QTest::newRow("switching, second stage")
        << QByteArray("btn_set_DA")
        << QStringList{"rx:ok\\r\\n", "timeout", "rx:ok\\r\\n", "timeout"} << 4 << 2;
    // The receive-path steps resolve first, and the analog one writes first.
    QTest::newRow("automatic measurement")
        << QByteArray("btn_set_Auto_M") << QStringList{"rx:Auto\\r\\n"} << 0 << 0;
    QTest::newRow("analog") << QByteArray("btn_set_AD") << QStringList{"rx:DAC\\r\\n"} << 0 << 5;
}

void TestProtocol::boxAndStateOrder()
{
    QFETCH(QByteArray, button);
    QFETCH(QStringList, steps);
    QFETCH(int, pendingDuringBox);
    QFETCH(int, writesBeforeBox);
    int pendingSeen = -1;
    int writesSeen = -1;
    boxes->onBox = [&] {
        pendingSeen = pendingSetting;
        writesSeen = tap->writes().size();
    };
    click(window.get(), button.constData());
    tap->clear();
    for (const QString &step : steps)
        run(step);
    QCOMPARE(boxes->seen.size(), 1);
    QCOMPARE(pendingSeen, pendingDuringBox);
    QCOMPARE(writesSeen, writesBeforeBox);
    QCOMPARE(pendingSetting, quint8(0));
}

void TestProtocol::busyRule_data()
{
    QTest::addColumn<QByteArray>("inFlight");
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<bool>("warns");
    const QList<QPair<QByteArray, bool>> refused = {
        {"btn_R_ID", false},       {"btn_R_AD", false},         {"btn_R_DA", false},
        {"btn_set_Auto_M", false}, {"btn_set_baud_rate", true}, {"btn_set_AD", true},
        {"btn_set_DA", true}};
    for (const QByteArray &inFlight : {QByteArray("btn_R_AD"), QByteArray("btn_td")})
        for (const auto &slot : refused)
            QTest::addRow("%s during %s", slot.first.constData(), inFlight.constData())
                << inFlight << slot.first << slot.second;
}

void TestProtocol::busyRule()
{
    QFETCH(QByteArray, inFlight);
    QFETCH(QByteArray, button);
    QFETCH(bool, warns);
    click(window.get(), inFlight.constData());
    const quint8 command = activeCommand;
    QVERIFY(command != 0);
    deliver("partial");
    const QByteArray buffer = rxBuffer;
    const int count = rxByteCount;
    tap->clear();

    click(window.get(), button.constData());
    QCOMPARE(tap->writes(), QByteArrayList{});
    QCOMPARE(boxes->summary(), warns ? QStringList{kBusy} : QStringList{});
    QCOMPARE(activeCommand, command);
    QCOMPARE(pendingSetting, quint8(0));
    QCOMPARE(rxBuffer, buffer);
    QCOMPARE(rxByteCount, count);

    // Stop frees the exchange again.
    click(window.get(), "btn_c");
    boxes->clear();
    tap->clear();
    click(window.get(), button.constData());
    QCOMPARE(tap->writes().size(), 1);
    QVERIFY(boxes->seen.isEmpty());
}

void TestProtocol::distanceTexts_data()
{
    QTest::addColumn<int>("field"); // index in kDistanceFields
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent"); // its 8-character field; empty: refused
    const QStringList refused = {"123456789", "abc", "-5", "1.5", " 7"};
    const QList<QPair<QString, QByteArray>> accepted = {
        {"", "00000000"}, {"12345678", "12345678"}, {"7", "00000007"}};
    for (int field = 0; field < kDistanceFields.size(); ++field) {
        const char *name = kDistanceFields[field].first.constData() + 9;
        for (const QString &text : refused)
            QTest::addRow("%s '%s'", name, qPrintable(text)) << field << text << QByteArray();
        for (const auto &text : accepted)
            QTest::addRow("%s '%s'", name, qPrintable(text.first))
                << field << text.first << text.second;
    }
}

void TestProtocol::distanceTexts()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    const QByteArray templateBefore = daCommandTemplate;
    edit(kDistanceFields[field].first.constData())->setText(text);
    rxBuffer = "kept";
    click(window.get(), field < 2 ? "btn_set_AD" : "btn_set_DA");
    if (sent.isEmpty()) {
        QCOMPARE(boxes->summary(), QStringList{kBadDistance});
        QCOMPARE(tap->writes(), QByteArrayList{});
        QCOMPARE(pendingSetting, quint8(0));
        QCOMPARE(rxBuffer, QByteArray("kept"));
        QVERIFY(!responseTimer->isActive());
        QCOMPARE(daCommandTemplate, templateBefore);
        return;
    }
    QVERIFY(boxes->seen.isEmpty());
    QByteArrayList f; // the other fields keep their initial texts
    for (const auto &initial : kDistanceFields)
        f << initial.second;
    f[field] = sent;
    if (field < 2) {
        deliver("DAC\r\n"); // the distances go out with the answer
        QCOMPARE(tap->writes().mid(1), (QByteArrayList{"ds+", f[0], "+", f[1], "\r\n"}));
    } else {
        QCOMPARE(tap->writes(), QByteArrayList{"op1+" + f[2] + "+" + f[3] + "\r\n"});
        QCOMPARE(daCommandTemplate, "op2+" + f[4] + "+" + f[5]);
    }
}

void TestProtocol::analogTextChangedBeforeAnswer_data()
{
    QTest::addColumn<QString>("max");
    QTest::addColumn<QByteArrayList>("writes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("grown past 8 characters") << "1000000000" << QByteArrayList{} << kFailure;
    QTest::newRow("a letter") << "100000x" << QByteArrayList{} << kFailure;
    QTest::newRow("emptied") << "" << QByteArrayList{"ds+", "00000000", "+", "00000000", "\r\n"}
                             << kSuccess;
}

void TestProtocol::analogTextChangedBeforeAnswer()
{
    QFETCH(QString, max);
    QFETCH(QByteArrayList, writes);
    QFETCH(QString, shown);
    click(window.get(), "btn_set_AD");
    edit("lineEdit_W_AD_D_max")->setText(max);
    tap->clear();
    deliver("DAC\r\n");
    QCOMPARE(tap->writes(), writes);
    QCOMPARE(boxes->summary(), QStringList{shown});
    QCOMPARE(pendingSetting, quint8(0));
}

void TestProtocol::chunkArrivingDuringBoxIsTakenIn()
{
    // The port does not announce data again while a box opened from its own
    // notification is up; what came meanwhile must not wait for the next byte.
    boxes->onBox = [this] {
        peer->write("late\r\n");
        QTest::qWait(100);
    };
    click(window.get(), "btn_set_Auto_M");
    deliver("Auto:1\r\n");
    QCOMPARE(boxes->summary(), QStringList{kSuccess});
    QTRY_VERIFY(rxBuffer.endsWith("late\r\n"));
}

void TestProtocol::realTimerSwitchingOutputs()
{
    click(window.get(), "btn_set_DA");
    deliver("ok\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(pendingSetting, quint8(4), 3000);
    QCOMPARE(tap->writes().mid(1), (QByteArrayList{kSecondCommand, "\r\n"}));
    QVERIFY(responseTimer->isActive());
    deliver("ok\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(boxes->summary(), QStringList{kSuccess}, 3000);
    QCOMPARE(pendingSetting, quint8(0));
    QVERIFY(!responseTimer->isActive());
}

void TestProtocol::realTimerLateAnswerNotShown()
{
    click(window.get(), "btn_R_ID");
    deliver("DEVICE-ID: 50312");
    QTRY_COMPARE_WITH_TIMEOUT(activeCommand, quint8(0), 3000);
    QCOMPARE(edit("lineEdit_R_data")->text(), QString("2025-03-12"));
    QCOMPARE(edit("lineEdit_R_list")->text(), QString());
    // The rest arrives after the window: collected, never parsed.
    deliver("11789\r\n");
    QCOMPARE(edit("lineEdit_R_list")->text(), QString());
    QCOMPARE(rxBuffer, QByteArray("11789\r\n"));
    QVERIFY(!responseTimer->isActive());
}

QTEST_MAIN(TestProtocol)
#include "tst_protocol.moc"
