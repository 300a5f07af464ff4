// SPDX-License-Identifier: GPL-3.0-or-later
// The serial link against a pseudo-terminal: scan, open/close with each line
// preset, the receive path and its log, free-text sending, and losing the device.

#include "app/Searial.h"
#include "app/state.h"
#include "protocol/answerbuffer.h"
#include "protocol/codes.h"
#include "serial/displaylines.h"
#include "serial/ports.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/ptypeer.h"
#include "view/trafficdisplay.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QWheelEvent>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif
#include <QtTest>

#include <climits>
#include <memory>
#include <time.h>

namespace {

qint64 processCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

QString display(Searial &window)
{
    return child<QPlainTextEdit>(&window, "plainTextEdit")->toPlainText();
}

QStringList comboItems(QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// The texts of the window's labels, fields and buttons, by object name.
QMap<QString, QString> widgetTexts(QWidget *window)
{
    QMap<QString, QString> texts;
    for (QLabel *label : window->findChildren<QLabel *>())
        texts.insert(label->objectName(), label->text());
    for (QLineEdit *edit : window->findChildren<QLineEdit *>())
        texts.insert(edit->objectName(), edit->text());
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
        texts.insert(button->objectName(), button->text());
    texts.remove(QString());
    return texts;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    PaintCounter(QWidget *widget, int *count) : m_count(count) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++*m_count;
        return false;
    }

private:
    int *m_count;
};

} // namespace

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void scanListsOpenablePortsOnly();
    void scanPastOneHundredTwentySeven();
    void statusBarSaysWhy_data();
    void statusBarSaysWhy();
    void openWithEachPreset_data();
    void openWithEachPreset();
    void openFailureKeepsClosedState_data();
    void openFailureKeepsClosedState();

    void receiveDisplay_data();
    void receiveDisplay();
    void zeroByteChunk();
    void emptyChunk();
    void chunkAtOperatorsCursor_data();
    void chunkAtOperatorsCursor();
    void clearKeepsReceiveBuffer();
    void byteCountSaturates();
    void idleReceiveBufferKeepsNewest_data();
    void idleReceiveBufferKeepsNewest();
    void scrollbackKeepsNewestLines_data();
    void scrollbackKeepsNewestLines();
    void repaintsFollowTheFrameRate();
    void viewStaysWhereScrolled_data();
    void viewStaysWhereScrolled();

    void send_data();
    void send();

    void saveThenLogChunks();
    void logKeepsRawBytes();
    void saveWritesUtf8();
    void failedSaveKeepsLogging_data();
    void failedSaveKeepsLogging();

    void deviceLossClosesPort();

private:
    std::unique_ptr<Searial> window;
    std::unique_ptr<ModalBoxes> boxes;
    std::unique_ptr<PtyPeer> peer;
    std::unique_ptr<QTemporaryDir> dir;

    void deliver(const QByteArray &bytes) { QVERIFY(::deliver(*peer, bytes)); }
};

void TestLink::init()
{
    resetExchangeState();
    serial::setExtraPortPaths({});
    window = std::make_unique<Searial>();
    boxes = std::make_unique<ModalBoxes>();
    peer = std::make_unique<PtyPeer>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(peer->isValid());
}

void TestLink::cleanup()
{
    window.reset();
    peer.reset();
    boxes.reset();
    serial::setExtraPortPaths({});
}

void TestLink::scanListsOpenablePortsOnly()
{
    PtyPeer second;
    const QString missing = dir->path() + "/no-such-device";
    serial::setExtraPortPaths({peer->path(), missing, second.path()});
    auto *names = child<QComboBox>(window.get(), "cmb_port_name");
    QCOMPARE(names->count(), 0);

    click(window.get(), "btn_usart_number");
    QCOMPARE(portNameList.mid(0, 2), (QStringList{peer->path(), second.path()}));
    QVERIFY(!portNameList.contains(missing));
    QCOMPARE(comboItems(names), portNameList);
    QCOMPARE(names->currentText(), peer->path());

    // A second scan replaces the list rather than adding to it.
    const int count = names->count();
    click(window.get(), "btn_usart_number");
    QCOMPARE(names->count(), count);

    // The port this program holds stays listed and selected, though it is
    // not the first: Close and Open then reopen it, not another device.
    names->setCurrentIndex(portNameList.indexOf(second.path()));
    click(window.get(), "btn_open");
    QVERIFY(!portClosed);
    click(window.get(), "btn_usart_number");
    QCOMPARE(portNameList.mid(0, 2), (QStringList{peer->path(), second.path()}));
    QCOMPARE(names->currentText(), second.path());
    QCOMPARE(child<QPushButton>(window.get(), "btn_open")->text(), QString("Close"));
    click(window.get(), "btn_open");
    QVERIFY(portClosed);
    click(window.get(), "btn_open");
    QVERIFY(second.write("held\r\n"));
    QTRY_VERIFY(display(*window).endsWith("held\n"));
}

void TestLink::scanPastOneHundredTwentySeven()
{
    std::vector<std::unique_ptr<PtyPeer>> peers;
    QStringList paths;
    for (int i = 0; i < 130; ++i) {
        peers.push_back(std::make_unique<PtyPeer>());
        QVERIFY(peers.back()->isValid());
        paths << peers.back()->path();
    }
    serial::setExtraPortPaths(paths);
    click(window.get(), "btn_usart_number");
    auto *names = child<QComboBox>(window.get(), "cmb_port_name");
    QCOMPARE(portNameList.mid(0, 130), paths);
    QCOMPARE(comboItems(names), portNameList);
}

void TestLink::statusBarSaysWhy_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("note");        // the status bar's message, a pattern
    QTest::addColumn<QStringList>("shown");   // the boxes
    QTest::addColumn<QStringList>("changed"); // object=text; every other text stays
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("pending");
    const QStringList open{"lab_status=Connected", "btn_open=Close"};
    const QString noAnswer = "No complete answer to the %1 within 1000 ms: check the preset";
    const QString closed = "Nothing sent: the port is closed\\. Press Open first";

    QTest::newRow("open, nothing scanned")
        << QStringList{"click:btn_open"}
        << "No port to open: press Scan, then choose the sensor's port" << QStringList()
        << QStringList() << 0 << 0;
    QTest::newRow("open, device missing")
        << QStringList{"open:$missing"}
        << "Cannot open $missing: no such port \\(No such file or directory\\); check the name .+"
        << QStringList() << QStringList() << 0 << 0;
    QTest::newRow("open, device held elsewhere")
        << QStringList{"hold", "open:$pty"} << "Cannot open $pty: .+" << QStringList()
        << QStringList() << 0 << 0;
    QTest::newRow("device lost") << QStringList{"open", "lose"}
                                 << "Lost .+ \\(.+\\); the port is closed" << QStringList()
                                 << QStringList() << 0 << 0;
    QTest::newRow("identity query unanswered")
        << QStringList{"open", "click:btn_R_ID", "timeout"} << noAnswer.arg("identity query")
        << QStringList() << open << 0 << 0;
    // The field shows what came, as it always did; the note says it is cut off.
    QTest::newRow("switching values cut off")
        << QStringList{"open", "click:btn_R_DA", "rx:on1:150", "timeout"}
        << noAnswer.arg("switching output query") << QStringList()
        << open + QStringList{"lineEdit_R_DA1_on=150"} << 0 << 0;
    QTest::newRow("switching answer complete")
        << QStringList{"open", "click:btn_R_DA", "rx:on1:1\\roff1:2\\ron2:3\\roff2:4\\r", "timeout"}
        << "" << QStringList()
        << open + QStringList{"lineEdit_R_DA1_on=1", "lineEdit_R_DA1_off=2", "lineEdit_R_DA2_on=3",
                              "lineEdit_R_DA2_off=4"}
        << 0 << 0;
    QTest::newRow("line preset setting unanswered")
        << QStringList{"open", "click:btn_set_baud_rate", "timeout"}
        << noAnswer.arg("line preset setting")
        << QStringList{"Warning|Your operation failed. Please check your output parameters"} << open
        << 0 << 0;
    QTest::newRow("query, port closed")
        << QStringList{"click:btn_R_ID"} << closed << QStringList() << QStringList() << 0 << 0;
    QTest::newRow("switching setting, port closed")
        << QStringList{"click:btn_set_DA"} << closed << QStringList() << QStringList() << 0 << 0;
    QTest::newRow("measurement, port closed")
        << QStringList{"click:btn_tk"} << closed << QStringList() << QStringList() << 0 << 0;
    const QString frameBusy =
        "Busy: a single measurement was asked; press Stop or Close LD first";
    QTest::newRow("query refused: continuous measurement")
        << QStringList{"open", "click:btn_tk", "click:btn_R_ID"}
        << "Busy: a continuous measurement is running; press Stop first" << QStringList() << open
        << 4 << 0;
    QTest::newRow("automatic measurement refused: single measurement")
        << QStringList{"open", "click:btn_td", "click:btn_set_Auto_M"} << frameBusy << QStringList()
        << open << 3 << 0;
    // Line noise ahead of the answer (stray bytes arrive as U+FFFD): the
    // fields show what its positions hold.
    QTest::newRow("identity answer garbled")
        << QStringList{"open", "click:btn_R_ID", "rx:\ufffd\ufffd\ufffdDEVICE-ID: 4061812A17\\r\\n",
                       "timeout"}
        << "Identity answer not understood: serial number ': 4', version 'ID', production "
           "date '202V-IC-E-'"
        << QStringList()
        << open + QStringList{"lineEdit_R_list=: 4", "lineEdit_R_version_number=ID",
                              "lineEdit_R_data=202V-IC-E-"}
        << 0 << 0;
    QTest::newRow("switching outputs sent, in mm")
        << QStringList{"open",    "click:btn_set_DA", "rx:ok\\r\\n",
                       "timeout", "rx:ok\\r\\n",      "timeout"}
        << "Switching output 2 sent: on at 200\\.5 mm, off at 199\\.5 mm"
        << QStringList{"Message|Your operation was successful"} << open << 0 << 0;
    QTest::newRow("close drops a pending setting")
        << QStringList{"open", "click:btn_set_Auto_M", "click:btn_open"}
        << "Closed; the automatic measurement setting had no answer and was dropped"
        << QStringList() << QStringList() << 0 << 0;
    // Left pending, the setting would be decided by the frame, with a box.
    QTest::newRow("automatic measurement setting, port closed, then a frame")
        << QStringList{"click:btn_set_Auto_M", "open", "click:btn_td", "rx:DT:00001234\\r\\n"} << ""
        << QStringList() << open + QStringList{"lineEdit_D=1234"} << 3 << 0;
}

void TestLink::statusBarSaysWhy()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, note);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, changed);
    QFETCH(int, command);
    QFETCH(int, pending);
    const QString missing = dir->filePath("no-such-tty");
    note.replace("$missing", QRegularExpression::escape(missing))
        .replace("$pty", QRegularExpression::escape(peer->path()));
    QMap<QString, QString> texts = widgetTexts(window.get());
    QSerialPort holder;
    for (const QString &step : steps) {
        if (step == "open") {
            QVERIFY(openPort(*window, *peer));
        } else if (step.startsWith("open:")) {
            QVERIFY(!openPortAt(*window, step == "open:$pty" ? peer->path() : missing));
        } else if (step == "hold") {
            holder.setPortName(peer->path());
            QVERIFY(holder.open(QIODevice::ReadWrite));
        } else if (step == "lose") {
            peer->closeMaster();
            QTRY_VERIFY(portClosed);
        } else if (step == "timeout") {
            QVERIFY(invoke(window.get(), "handleTimeout"));
        } else if (step.startsWith("click:")) {
            click(window.get(), step.mid(6).toLatin1().constData());
        } else {
            QVERIFY(step.startsWith("rx:"));
            deliver(step.mid(3).toUtf8().replace("\\r", "\r").replace("\\n", "\n"));
        }
    }
    const QString said = window->statusBar()->currentMessage();
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(note)).match(said).hasMatch(),
             qPrintable(said));
    QCOMPARE(boxes->summary(), shown);
    for (const QString &change : changed)
        texts.insert(change.section('=', 0, 0), change.section('=', 1));
    QCOMPARE(widgetTexts(window.get()), texts);
    QCOMPARE(int(activeCommand), command);
    QCOMPARE(int(pendingSetting), pending);
    QVERIFY(!responseTimer->isActive());
}

void TestLink::openWithEachPreset_data()
{
    QTest::addColumn<int>("preset");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("charSize");
    QTest::addColumn<bool>("evenParity");
    QTest::newRow("9600 8 None") << 0 << int(B9600) << int(CS8) << false;
    QTest::newRow("9600 7 Even") << 1 << int(B9600) << int(CS7) << true;
    QTest::newRow("19200 8 None") << 2 << int(B19200) << int(CS8) << false;
    QTest::newRow("19200 7 Even") << 3 << int(B19200) << int(CS7) << true;
    QTest::newRow("38400 8 None") << 4 << int(B38400) << int(CS8) << false;
    QTest::newRow("38400 7 Even") << 5 << int(B38400) << int(CS7) << true;
    QTest::newRow("115200 8 None") << 6 << int(B115200) << int(CS8) << false;
    QTest::newRow("115200 7 Even") << 7 << int(B115200) << int(CS7) << true;
}

void TestLink::openWithEachPreset()
{
    QFETCH(int, preset);
    QFETCH(int, speed);
    QFETCH(int, charSize);
    QFETCH(bool, evenParity);
    auto *status = child<QLabel>(window.get(), "lab_status");
    auto *button = child<QPushButton>(window.get(), "btn_open");

    // Open with another preset first: the second Open must take the current one.
    QVERIFY(openPort(*window, *peer, (preset + 1) % 8));
    click(window.get(), "btn_open");
    QVERIFY(portClosed);
    QCOMPARE(status->text(), QString(" Disconnected"));
    QCOMPARE(button->text(), QString("Open"));

    peer->forgetRequested();
    QVERIFY(openPort(*window, *peer, preset));
    QCOMPARE(status->text(), QString("Connected"));
    QCOMPARE(button->text(), QString("Close"));
    const termios attrs = peer->attributes();
    QCOMPARE(int(cfgetospeed(&attrs)), speed);
    QCOMPARE(int(cfgetispeed(&attrs)), speed);
    QVERIFY(!(attrs.c_cflag & CSTOPB));
    QVERIFY(!(attrs.c_cflag & CRTSCTS));
    // The pty driver forces 8 bits without parity on itself, so character size
    // and parity are checked on what the program asked the device for.
    termios requested;
    QVERIFY(peer->requestedAttributes(&requested));
    QCOMPARE(int(requested.c_cflag & CSIZE), charSize);
    QCOMPARE(bool(requested.c_cflag & PARENB), evenParity);
    QVERIFY(!(requested.c_cflag & PARODD));
    QVERIFY(!(requested.c_cflag & CSTOPB));

    // Changing the preset while open has no effect until the next Open.
    child<QComboBox>(window.get(), "cmb_baud_rate")->setCurrentIndex((preset + 2) % 8);
    const termios unchanged = peer->attributes();
    QCOMPARE(int(cfgetospeed(&unchanged)), speed);
}

void TestLink::openFailureKeepsClosedState_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("no scan yet") << "noscan";
    QTest::newRow("scan found nothing") << "empty";
    QTest::newRow("device vanished") << "missing";
}

void TestLink::openFailureKeepsClosedState()
{
    QFETCH(QString, situation);
    auto *names = child<QComboBox>(window.get(), "cmb_port_name");
    if (situation == "empty") {
        serial::setExtraPortPaths({dir->path() + "/nothing"});
        click(window.get(), "btn_usart_number");
        // Only the system's own ports could be listed; pick none of them.
        names->setCurrentIndex(-1);
    } else if (situation == "missing") {
        portNameList = QStringList{dir->path() + "/gone"};
        names->addItem(portNameList.first());
    }
    click(window.get(), "btn_open");
    QVERIFY(portClosed);
    QCOMPARE(child<QLabel>(window.get(), "lab_status")->text(), QString(" Disconnected"));
    QCOMPARE(child<QPushButton>(window.get(), "btn_open")->text(), QString("Open"));
    QVERIFY(boxes->seen.isEmpty());
    // The next press tries again and succeeds with a real device.
    QVERIFY(openPort(*window, *peer));
}

void TestLink::receiveDisplay_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QString>("shown");
    QTest::newRow("text") << false << QByteArrayList{"AB\r\n", "C"} << QString("AB\nC");
    QTest::newRow("hex, next chunk on the same line")
        << true << QByteArrayList{"AB\r\n", "C"} << QString("41420d0a43");
    // One line end, however the line cut it; a CR alone still ends a line.
    QTest::newRow("text, CR and LF in separate chunks")
        << false << QByteArrayList{"AB\r", "\nC\r", "\n", "D\r", "E"} << QString("AB\nC\nD\nE");
    QTest::newRow("utf-8 text") << false
                                << QByteArrayList{"\xc2\xb0"
                                                  "C"}
                                << QString("°C");

    // No display line grows without end.
    const int bytes = serial::kHexBytesPerLine;
    const int width = serial::kTextLineLimit;
    const auto hexOf = [](char c, int n) { return QString(QByteArray(n, c).toHex()); };
    QTest::newRow("hex, a full line")
        << true << QByteArrayList{QByteArray(bytes, 'A')} << hexOf('A', bytes);
    QTest::newRow("hex, the next byte starts a line")
        << true << QByteArrayList{QByteArray(bytes, 'A'), "B"} << hexOf('A', bytes) + "\n42";
    QTest::newRow("hex, a chunk across the line end")
        << true << QByteArrayList{QByteArray(bytes / 2, 'A'), QByteArray(bytes, 'B')}
        << hexOf('A', bytes / 2) + hexOf('B', bytes - bytes / 2) + "\n" + hexOf('B', bytes / 2);
    QTest::newRow("text, a full line")
        << false << QByteArrayList{QByteArray(width, 'x')} << QString(width, 'x');
    QTest::newRow("text, a chunk across the line end")
        << false << QByteArrayList{QByteArray(width - 10, 'x'), QByteArray(20, 'y')}
        << QString(width - 10, 'x') + QString(10, 'y') + "\n" + QString(10, 'y');
    QTest::newRow("text, a line end starts the count again")
        << false << QByteArrayList{QByteArray(width - 1, 'x') + "\r\n" + QByteArray(width, 'y')}
        << QString(width - 1, 'x') + "\n" + QString(width, 'y');
    // The editor starts a new line at a frame mark (U+FDD0) too.
    QTest::newRow("text, a frame mark starts the count again")
        << false << QByteArrayList{"x\xef\xb7\x90", QByteArray(width, 'y')}
        << "x\n" + QString(width, 'y');
}

void TestLink::receiveDisplay()
{
    QFETCH(bool, hex);
    QFETCH(QByteArrayList, chunks);
    QFETCH(QString, shown);
    child<QCheckBox>(window.get(), "checkBox")->setChecked(hex);
    QVERIFY(openPort(*window, *peer));
    QByteArray all;
    for (const QByteArray &chunk : chunks) {
        deliver(chunk);
        all += chunk;
    }
    QCOMPARE(display(*window), shown);
    // The hex setting only changes what is shown.
    QCOMPARE(rxBuffer, all);
}

void TestLink::zeroByteChunk()
{
    const QByteArray chunk("ab\0cd\r\n", 7);
    QVERIFY(openPort(*window, *peer));
    deliver(chunk);
    QCOMPARE(display(*window), QString("ab"));
    QCOMPARE(rxBuffer, QByteArray("ab"));
    QCOMPARE(rxByteCount, 7);

    child<QCheckBox>(window.get(), "checkBox")->setChecked(true);
    child<QPlainTextEdit>(window.get(), "plainTextEdit")->clear();
    deliver(chunk);
    QCOMPARE(display(*window), QString("6162006364"
                                       "0d0a"));
    QCOMPARE(rxByteCount, 14);
}

void TestLink::emptyChunk()
{
    QVERIFY(openPort(*window, *peer));
    auto *edit = child<QPlainTextEdit>(window.get(), "plainTextEdit");
    edit->setPlainText("abc");
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(1);
    edit->setTextCursor(cursor);
    rxBuffer = "kept";
    rxByteCount = 4;
    // A readyRead with nothing to read.
    QVERIFY(invoke(window.get(), "receive_data"));
    QCOMPARE(edit->toPlainText(), QString("abc"));
    QCOMPARE(edit->textCursor().position(), 3);
    QCOMPARE(rxBuffer, QByteArray("kept"));
    QCOMPARE(rxByteCount, 4);
}

void TestLink::chunkAtOperatorsCursor_data()
{
    // What the operator does to the display between two streams of chunks:
    // put the cursor (and anchor) at these positions (-1: leave it), or clear.
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QString>("after");

    QTest::newRow("cursor in the text") << "hello" << 2 << 2 << false << "heXYllo" "Z";
    QTest::newRow("cursor left at the end") << "hello" << -1 << -1 << false << "helloXYZ";
    QTest::newRow("selection up to the end") << "hello" << 1 << 5 << false << "hXYZ";
    QTest::newRow("selection inside") << "hello" << 1 << 3 << false << "hXYloZ";
    QTest::newRow("cleared") << "hello" << -1 << -1 << true << "XYZ";
}

void TestLink::chunkAtOperatorsCursor()
{
    QFETCH(QString, before);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(bool, clear);
    QFETCH(QString, after);

    QVERIFY(openPort(*window, *peer));
    auto *edit = child<QPlainTextEdit>(window.get(), "plainTextEdit");
    // Received chunk by chunk, so that the display knows where it left its
    // cursor before the operator moves it.
    for (const QChar c : before)
        deliver(QByteArray(1, c.toLatin1()));
    QCOMPARE(edit->toPlainText(), before);
    if (clear)
        click(window.get(), "btn_clear");
    if (anchor >= 0) {
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
    }
    // The first chunk goes to the operator's cursor, replacing a selection;
    // the cursor then goes to the end, where the next one follows.
    deliver("XY");
    deliver("Z");
    QCOMPARE(edit->toPlainText(), after);
    QVERIFY(edit->textCursor().atEnd());
}

void TestLink::clearKeepsReceiveBuffer()
{
    QVERIFY(openPort(*window, *peer));
    deliver("on1:100\r\n");
    click(window.get(), "btn_clear");
    QCOMPARE(display(*window), QString());
    QCOMPARE(rxBuffer, QByteArray("on1:100\r\n"));
    QCOMPARE(rxByteCount, 9);
}

void TestLink::byteCountSaturates()
{
    QVERIFY(openPort(*window, *peer));
    rxByteCount = INT_MAX - 2;
    QVERIFY(peer->write("12345"));
    QTRY_COMPARE(rxBuffer, QByteArray("12345"));
    QCOMPARE(rxByteCount, INT_MAX);
    QVERIFY(peer->write("6"));
    QTRY_COMPARE(rxBuffer, QByteArray("123456"));
    QCOMPARE(rxByteCount, INT_MAX);
}

void TestLink::idleReceiveBufferKeepsNewest_data()
{
    const int limit = protocol::kIdleBufferLimit;
    QTest::addColumn<int>("framesPerChunk");
    QTest::addColumn<int>("streamed"); // bytes before the query, at least
    QTest::newRow("under the limit") << 100 << limit / 2;
    QTest::newRow("just past the limit") << 100 << limit + 1000;
    QTest::newRow("just past twice the limit") << 100 << 2 * limit + 1000;
    QTest::newRow("five times the limit, long chunks") << 1000 << 5 * limit;
}

void TestLink::idleReceiveBufferKeepsNewest()
{
    QFETCH(int, framesPerChunk);
    QFETCH(int, streamed);
    const int limit = protocol::kIdleBufferLimit;
    QVERIFY(openPort(*window, *peer));
    // The stream holds stale answers too: a query that saw any of them would
    // show 9999 and the like.
    QByteArray fed;
    int longest = 0;
    for (int i = 0; fed.size() < streamed; ++i) {
        QByteArray lines = "on1:9999\r\noff1:9998\r\non2:9997\r\noff2:9996\r\n";
        for (int j = 0; j < framesPerChunk; ++j)
            lines += "DIS" + QByteArray::number(10000000 + framesPerChunk * i + j) + "\r\n";
        deliver(lines);
        fed += lines;
        longest = qMax(longest, int(rxBuffer.size()));
        QVERIFY(fed.endsWith(rxBuffer));
    }
    // Nothing reads it between response windows: it keeps its newest bytes,
    // at least what a window would need and never more than twice that.
    QVERIFY2(longest <= 2 * limit, qPrintable(QString::number(longest)));
    QVERIFY(rxBuffer.size() >= qMin(int(fed.size()), limit));

    // A window starts it afresh and collects all that arrives, however much:
    // the answer at its start is still there at its end.
    click(window.get(), "btn_R_DA");
    responseTimer->start(60000);
    QByteArray answer = "on1:2005\r\noff1:1995\r\non2:3005\r\noff2:2995\r\n";
    deliver(answer);
    while (answer.size() <= 3 * limit) {
        const QByteArray part = QByteArray(4000, char('a' + answer.size() / 4000 % 26));
        deliver(part);
        answer += part;
    }
    QCOMPARE(rxBuffer, answer);
    QVERIFY(invoke(window.get(), "handleTimeout"));
    const QMap<QString, QString> texts = widgetTexts(window.get());
    QCOMPARE(texts.value("lineEdit_R_DA1_on"), QString("2005"));
    QCOMPARE(texts.value("lineEdit_R_DA1_off"), QString("1995"));
    QCOMPARE(texts.value("lineEdit_R_DA2_on"), QString("3005"));
    QCOMPARE(texts.value("lineEdit_R_DA2_off"), QString("2995"));
}

void TestLink::scrollbackKeepsNewestLines_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("fed");
    QTest::addColumn<int>("firstKept");
    // Lines are removed in batches of 1 % of the limit.
    QTest::newRow("small limit, exact") << 5 << 8 << 5;
    QTest::newRow("no limit") << 0 << 8 << 1;
    QTest::newRow("under a batch past the limit") << 300 << 301 << 1;
    QTest::newRow("a batch past the limit") << 300 << 302 << 4;
}

void TestLink::scrollbackKeepsNewestLines()
{
    QFETCH(int, limit);
    QFETCH(int, fed);
    QFETCH(int, firstKept);
    view::setScrollbackLines(limit);
    const auto restore =
        qScopeGuard([] { view::setScrollbackLines(view::kDefaultScrollbackLines); });
    window = std::make_unique<Searial>();
    QVERIFY(openPort(*window, *peer));
    const QString path = dir->filePath("log.txt");
    boxes->answerFileDialog(path);
    click(window.get(), "btn_save");

    QByteArray all;
    for (int i = 1; i <= fed; ++i) {
        const QByteArray line = "line " + QByteArray::number(i) + "\r\n";
        deliver(line);
        all += line;
    }
    QStringList kept;
    for (int i = firstKept; i <= fed; ++i)
        kept << QString("line %1").arg(i);
    // The line the next chunk goes to is a line too.
    QCOMPARE(display(*window), kept.join('\n') + '\n');
    QCOMPARE(readFile(path), all);
}

void TestLink::repaintsFollowTheFrameRate()
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(openPort(*window, *peer));
    click(window.get(), "btn_tk");
    auto *edit = child<QPlainTextEdit>(window.get(), "plainTextEdit");
    auto *distance = child<QLineEdit>(window.get(), "lineEdit_D");
    int paints = 0;
    PaintCounter counter(edit->viewport(), &paints);

    QElapsedTimer clock;
    clock.start();
    const int frames = 300;
    for (int i = 1; i <= frames; ++i) {
        deliver("DIS" + QByteArray::number(10000000 + i) + "\r\n");
        // Each frame reaches the widgets at once; only the painting waits.
        QCOMPARE(distance->text(), QString::number(10000000 + i));
        QVERIFY(edit->textCursor().atEnd());
    }
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(paints <= elapsed / view::TrafficDisplay::kFrameIntervalMs + 4,
             qPrintable(QString("%1 paints in %2 ms").arg(paints).arg(elapsed)));
    // The view follows the cursor to the end with the next frame.
    QTRY_VERIFY(edit->verticalScrollBar()->maximum() > 0);
    QTRY_VERIFY(edit->cursorRect().top() >= 0 &&
                edit->cursorRect().bottom() <= edit->viewport()->height());
}

void TestLink::viewStaysWhereScrolled_data()
{
    QTest::addColumn<QString>("away"); // how the operator scrolls away
    QTest::addColumn<int>("scrollback");
    QTest::addColumn<QString>("top"); // the line then at the top; empty: the same as before
    QTest::newRow("wheel") << "wheel" << 0 << "";
    QTest::newRow("scroll bar dragged") << "drag" << 0 << "";
    // The next chunk goes to the operator's cursor, as it always did.
    QTest::newRow("Ctrl+Home") << "home" << 0 << "line 201";
    QTest::newRow("wheel, oldest lines dropped meanwhile") << "wheel" << 300 << "";
}

void TestLink::viewStaysWhereScrolled()
{
    QFETCH(QString, away);
    QFETCH(int, scrollback);
    QFETCH(QString, top);
    if (scrollback > 0) {
        view::setScrollbackLines(scrollback);
        window = std::make_unique<Searial>();
    }
    const auto restore =
        qScopeGuard([] { view::setScrollbackLines(view::kDefaultScrollbackLines); });
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(openPort(*window, *peer));
    auto *edit = child<QPlainTextEdit>(window.get(), "plainTextEdit");
    QScrollBar *bar = edit->verticalScrollBar();
    const auto topLine = [edit] { return edit->cursorForPosition(QPoint(2, 2)).block().text(); };
    int fed = 0;
    // Ten lines a chunk.
    const auto feed = [&](int lines) {
        for (QByteArray chunk; lines > 0; chunk.clear()) {
            for (int i = 0; i < 10 && lines > 0; ++i, --lines)
                chunk += "line " + QByteArray::number(++fed) + "\r\n";
            deliver(chunk);
        }
    };
    feed(200);
    const auto endInView = [edit] {
        QTextCursor end(edit->document());
        end.movePosition(QTextCursor::End);
        return edit->cursorRect(end).bottom() <= edit->viewport()->height();
    };

    QTRY_VERIFY(bar->maximum() > 100 && endInView());

    if (away == "wheel") {
        const QPoint at(10, 10);
        QWheelEvent up(at, edit->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(edit->viewport(), &up);
    } else if (away == "drag") {
        bar->setSliderDown(true);
        bar->setSliderPosition(bar->maximum() / 2);
        bar->setSliderDown(false);
    } else {
        QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
    }
    QVERIFY(!endInView());
    if (top.isEmpty())
        top = topLine();

    // Data keeps arriving and the cursor keeps going to the end, frame after
    // frame, but the view stays.
    feed(150);
    QTRY_VERIFY(!trafficDisplay->framePending());
    QCOMPARE(topLine(), top);
    QVERIFY(edit->textCursor().atEnd());
    QVERIFY(display(*window).endsWith(QString("line %1\n").arg(fed)));

    // Back at the bottom, it follows again.
    bar->setValue(bar->maximum());
    feed(50);
    QTRY_VERIFY(topLine() != top && endInView());
}

void TestLink::send_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("final line break goes out as CR LF") << "c\n" << QByteArray("c\r\n");
    QTest::newRow("inner line break stays LF") << "a\nb" << QByteArray("a\nb");
    QTest::newRow("outside Latin-1") << QString::fromUtf8("x€y") << QByteArray("x?y");
    QTest::newRow("Latin-1 kept as one byte") << QString::fromUtf8("é") << QByteArray("\xe9");
    QTest::newRow("only a line break") << "\n" << QByteArray("\r\n");
}

void TestLink::send()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    QVERIFY(openPort(*window, *peer));
    auto *edit = child<QTextEdit>(window.get(), "lint_send_data");
    edit->setPlainText(text);
    click(window.get(), "btn_send");
    QTRY_COMPARE(peer->received(), sent);
    QCOMPARE(edit->toPlainText(), text);
}

void TestLink::saveThenLogChunks()
{
    QVERIFY(openPort(*window, *peer));
    child<QPlainTextEdit>(window.get(), "plainTextEdit")->setPlainText("first line\nsecond line");
    const QString path = dir->filePath("log.txt");
    boxes->answerFileDialog(path);
    click(window.get(), "btn_save");
    QCOMPARE(boxes->fileDialogs, 1);
    QVERIFY(boxes->seen.isEmpty());
    QVERIFY(saveActive);
    QCOMPARE(saveFilePath, path);
    QCOMPARE(readFile(path), QByteArray("first line\nsecond line"));

    deliver("x\r\n");
    deliver("y\r\n");
    QCOMPARE(readFile(path), QByteArray("first line\nsecond linex\r\ny\r\n"));
}

void TestLink::logKeepsRawBytes()
{
    QVERIFY(openPort(*window, *peer));
    const QString path = dir->filePath("raw.txt");
    boxes->answerFileDialog(path);
    click(window.get(), "btn_save");
    QVERIFY(saveActive);
    const QByteArray chunk("\xff\xfe\0\x80ok\r\n", 8);
    deliver(chunk);
    QCOMPARE(readFile(path), chunk);
}

// The saved display text is UTF-8 (as are the chunks that follow it) also
// where the locale's code page is another.
void TestLink::saveWritesUtf8()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTextCodec *const locale = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
    const auto restore = qScopeGuard([locale] { QTextCodec::setCodecForLocale(locale); });
#endif
    const QByteArray text("\xe5\xbc\x80\xe5\x90\xaf \xc3\xa9"); // 开启 é
    child<QPlainTextEdit>(window.get(), "plainTextEdit")->setPlainText(QString::fromUtf8(text));
    const QString path = dir->filePath("log.txt");
    boxes->answerFileDialog(path);
    click(window.get(), "btn_save");
    QCOMPARE(readFile(path), text);
}

void TestLink::failedSaveKeepsLogging_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("hasParent");
    QTest::newRow("cancelled") << true << "Warning"
                               << "Failed to select file, no path" << int(QMessageBox::Information)
                               << true;
    QTest::newRow("cannot create")
        << false << "Warning"
        << "Unable to create file" << int(QMessageBox::Critical) << false;
}

void TestLink::failedSaveKeepsLogging()
{
    QFETCH(bool, cancel);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, icon);
    QFETCH(bool, hasParent);
    QVERIFY(openPort(*window, *peer));
    const QString path = dir->filePath("log.txt");
    boxes->answerFileDialog(path);
    click(window.get(), "btn_save");
    QVERIFY(saveActive);
    deliver("one\r\n");

    // Not even root can create a file in /proc.
    boxes->answerFileDialog(cancel ? QString() : QString("/proc/orvante-test-log.txt"));
    click(window.get(), "btn_save");
    QCOMPARE(boxes->seen.size(), 1);
    QCOMPARE(boxes->seen.first().title, title);
    QCOMPARE(boxes->seen.first().text, text);
    QCOMPARE(boxes->seen.first().icon, icon);
    QCOMPARE(boxes->seen.first().hasParent, hasParent);
    QCOMPARE(boxes->seen.first().buttons, QStringList{"OK"});

    // Traffic keeps going to the file that was working.
    QVERIFY(saveActive);
    QCOMPARE(saveFilePath, path);
    deliver("two\r\n");
    QCOMPARE(readFile(path), QByteArray("one\r\ntwo\r\n"));
}

void TestLink::deviceLossClosesPort()
{
    QVERIFY(openPort(*window, *peer));
    deliver("before\r\n");
    peer->closeMaster();
    QTRY_VERIFY(portClosed);
    QCOMPARE(child<QLabel>(window.get(), "lab_status")->text(), QString(" Disconnected"));
    QCOMPARE(child<QPushButton>(window.get(), "btn_open")->text(), QString("Open"));
    QVERIFY(boxes->seen.isEmpty());

    // Idle again: a spinning error loop would use the whole window's time.
    const qint64 cpuBefore = processCpuMs();
    QTest::qWait(500);
    const qint64 cpuUsed = processCpuMs() - cpuBefore;
    qInfo("CPU used in 500 ms after the device went away: %lld ms", cpuUsed);
    QVERIFY2(cpuUsed < 200, qPrintable(QString::number(cpuUsed)));

    PtyPeer replacement;
    QVERIFY(openPort(*window, replacement));
    QVERIFY(replacement.write("after\r\n"));
    QTRY_VERIFY(display(*window).endsWith("after\n"));
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
