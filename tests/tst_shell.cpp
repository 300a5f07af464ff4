// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a whole: its slot table, page switching, the menus, the
// help windows, the two ways the program ends, and working it by keyboard.

#include "app/Searial.h"
#include "app/state.h"
#include "app/statuselider.h"
#include "protocol/codes.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/ptypeer.h"
#include "ui/help.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

const char *const kHelpText =
    "1、Please power up the sensor and connect it to the computer through the transmission "
    "line.After the computer has installed the driver, click Identification Serial Port on the "
    "main interface and select.\n"
    "2、Communication parameters default to 115200, 8, None, and then open the serial port to "
    "communicate.";

// Re-runs this test binary as a child that builds the window, opens a port and
// ends in the given way; prints "destroyed" if the window's destructor ran, and
// "locked <file>" with QSerialPort's lock file (/dev/pts/3: LCK..pts_3) while
// the port holds it.
int runChild(int argc, char **argv, const QByteArray &mode)
{
    QApplication app(argc, argv);
    auto *window = new Searial;
    QObject::connect(window, &QObject::destroyed, [] { fputs("destroyed\n", stdout); });
    window->show();
    PtyPeer peer;
    const QString lock = "/run/lock/LCK.." + peer.path().mid(5).replace('/', '_');
    if (openPort(*window, peer) && QFile::exists(lock))
        printf("locked %s\n", qPrintable(lock));
    if (mode == "exit") {
        // Exit must not wait for anything in flight.
        activeCommand = 7;
        responseTimer->start(1000);
        QTimer::singleShot(0, [window] { child<QAction>(window, "action_exit")->trigger(); });
    } else {
        QTimer::singleShot(0, window, &QWidget::close);
    }
    const int status = app.exec();
    delete window;
    return status == 0 ? 0 : 10 + status;
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetExchangeState(); }

    void slotTable_data();
    void slotTable();
    void slotCount();
    void helpHasNoSlots();
    void startUpState();
    void pageButtons_data();
    void pageButtons();
    void versionBox();
    void helpWindows();
    void helpTextIsPerWindow();
    void iconBesideExecutable();
    void missingIconShowsNoMessage();
    void endsWithStatusZero_data();
    void endsWithStatusZero();
    void sleepProcessesEventsOnce();
    void focusWalk_data();
    void focusWalk();
    void shortcuts_data();
    void shortcuts();
    void statusElided_data();
    void statusElided();
    void firstFocusShown();
};

void TestShell::slotTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<QByteArray>("returnType");
    const QList<QPair<QByteArray, QByteArray>> table = {
        {"sleep(uint)", "void"},
        {"handleTimeout()", "void"},
        {"lineEdit_conversion(QByteArray)", "QByteArray"},
        {"data_analysis(QByteArray,QByteArray,int)", "QByteArray"},
        {"btn_display_port(bool)", "void"},
        {"btn_setting_port(bool)", "void"},
        {"btn_query_port(bool)", "void"},
        {"GetEnableCommPort()", "QStringList"},
        {"cmb_port_name_port()", "void"},
        {"btn_usart_number_port(bool)", "void"},
        {"btn_open_port(bool)", "void"},
        {"btn_send_data(bool)", "void"},
        {"btn_open_LD_port(bool)", "void"},
        {"btn_td_port(bool)", "void"},
        {"btn_tk_port(bool)", "void"},
        {"btn_close_LD_port(bool)", "void"},
        {"btn_R_ID_port(bool)", "void"},
        {"btn_R_AD_port(bool)", "void"},
        {"btn_R_DA_port(bool)", "void"},
        {"btn_c_port(bool)", "void"},
        {"btn_clear_port(bool)", "void"},
        {"btn_save_port(bool)", "void"},
        {"receive_data()", "void"},
        {"btn_set_baud_rate_port(bool)", "void"},
        {"btn_set_AD_port(bool)", "void"},
        {"btn_set_DA_port(bool)", "void"},
        {"btn_set_Auto_M_port(bool)", "void"},
        {"action_exit_port()", "void"},
        {"action_version_port()", "void"},
        {"action_help_port()", "void"},
    };
    for (int i = 0; i < table.size(); ++i)
        QTest::addRow("%d %s", i, table[i].first.constData())
            << i << table[i].first << table[i].second;
}

void TestShell::slotTable()
{
    QFETCH(int, index);
    QFETCH(QByteArray, signature);
    QFETCH(QByteArray, returnType);
    const QMetaObject &meta = Searial::staticMetaObject;
    const QMetaMethod method = meta.method(meta.methodOffset() + index);
    QCOMPARE(method.methodSignature(), signature);
    QCOMPARE(QByteArray(method.typeName()), returnType);
    QCOMPARE(method.methodType(), QMetaMethod::Slot);
    QCOMPARE(method.access(), QMetaMethod::Private);
}

void TestShell::slotCount()
{
    const QMetaObject &meta = Searial::staticMetaObject;
    QCOMPARE(meta.className(), "Searial");
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 30);
    QCOMPARE(meta.propertyCount() - meta.propertyOffset(), 0);
}

void TestShell::helpHasNoSlots()
{
    const QMetaObject &meta = help::staticMetaObject;
    QCOMPARE(meta.className(), "help");
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 0);
}

void TestShell::startUpState()
{
    Searial window;
    QCOMPARE(window.windowTitle(), QString("Searial"));
    QCOMPARE(child<QStackedWidget>(&window, "stackedWidget")->currentIndex(), 2);
    QVERIFY(responseTimer);
    QCOMPARE(responseTimer->parent(), &window);
    QVERIFY(!responseTimer->isActive());
    QVERIFY(portClosed);
    QVERIFY(portNameList.isEmpty());
    QCOMPARE(activeCommand, quint8(0));
    QCOMPARE(pendingSetting, quint8(0));
    QVERIFY(distanceDisplay);
}

void TestShell::pageButtons_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("page");
    const QList<QPair<QByteArray, int>> buttons = {
        {"btn_query", 0}, {"btn_setting", 1}, {"btn_display", 2}};
    for (const auto &button : buttons)
        for (int start = 0; start < 3; ++start)
            QTest::addRow("%s from page %d", button.first.constData(), start)
                << button.first << start << button.second;
}

void TestShell::pageButtons()
{
    QFETCH(QByteArray, button);
    QFETCH(int, startPage);
    QFETCH(int, page);
    Searial window;
    auto *stack = child<QStackedWidget>(&window, "stackedWidget");
    stack->setCurrentIndex(startPage);
    click(&window, button.constData());
    QCOMPARE(stack->currentIndex(), page);
    const char *const names[] = {"page_3", "page", "page_2"};
    QCOMPARE(stack->currentWidget()->objectName(), QString(names[page]));
}

void TestShell::versionBox()
{
    Searial window;
    ModalBoxes boxes;
    child<QAction>(&window, "action_version")->trigger();
    QCOMPARE(boxes.seen.size(), 1);
    const SeenBox box = boxes.seen.first();
    QCOMPARE(box.title, QString("Version number"));
    QCOMPARE(box.text, QString("ORVANTE_USART_v1.0."));
    QCOMPARE(box.icon, int(QMessageBox::Information));
    QCOMPARE(box.buttons, QStringList{"OK"});
    QVERIFY(box.hasParent);
}

void TestShell::helpWindows()
{
    auto *window = new Searial;
    auto *action = child<QAction>(window, "action_help");
    for (int i = 0; i < 3; ++i)
        action->trigger();
    const QList<help *> windows =
        window->findChildren<help *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(windows.size(), 3);
    QList<QPointer<help>> alive;
    for (help *helpWindow : windows) {
        QCOMPARE(helpWindow->windowTitle(), QString("HELP"));
        QCOMPARE(helpWindow->size(), QSize(499, 252));
        QVERIFY(helpWindow->isVisible());
        QVERIFY(helpWindow->isWindow());
        QCOMPARE(helpWindow->findChild<QPlainTextEdit *>("plainTextEdit")->toPlainText(),
                 QString::fromUtf8(kHelpText));
        QCOMPARE(helpWindow->findChild<QGroupBox *>("groupBox")->title(), QString());
        QVERIFY(helpWindow->menuBar()->actions().isEmpty());
        QVERIFY(helpWindow->statusBar()->currentMessage().isEmpty());
        alive << helpWindow;
    }
    // Closing only hides a help window.
    windows.first()->close();
    QVERIFY(alive.first());
    delete window;
    for (const QPointer<help> &helpWindow : alive)
        QVERIFY(helpWindow.isNull());
}

void TestShell::helpTextIsPerWindow()
{
    Searial window;
    auto *action = child<QAction>(&window, "action_help");
    action->trigger();
    auto *first = window.findChildren<help *>().first();
    first->findChild<QPlainTextEdit *>("plainTextEdit")->setPlainText("edited");
    action->trigger();
    help *second = nullptr;
    for (help *candidate : window.findChildren<help *>())
        if (candidate != first)
            second = candidate;
    QVERIFY(second);
    QCOMPARE(second->findChild<QPlainTextEdit *>("plainTextEdit")->toPlainText(),
             QString::fromUtf8(kHelpText));
}

void TestShell::iconBesideExecutable()
{
    // The build puts img/ next to every executable it makes, tests included.
    const QIcon icon(QCoreApplication::applicationDirPath() + "/img/ORV_DD.png");
    QVERIFY(!icon.availableSizes().isEmpty());
}

void TestShell::missingIconShowsNoMessage()
{
    const QIcon before = QApplication::windowIcon();
    QApplication::setWindowIcon(QIcon(QDir::tempPath() + "/no-such-folder/img/ORV_DD.png"));
    {
        Searial window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(window.windowIcon().availableSizes().isEmpty());
    }
    QApplication::setWindowIcon(before);
}

void TestShell::endsWithStatusZero_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<bool>("destroyed");
    // Exit ends the process at once: the window is never destroyed.
    QTest::newRow("menu Exit") << QByteArray("exit") << false;
    QTest::newRow("window closed") << QByteArray("close") << true;
}

void TestShell::endsWithStatusZero()
{
    QFETCH(QByteArray, mode);
    QFETCH(bool, destroyed);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORV_SHELL_CHILD", QString::fromLatin1(mode));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(process.waitForStarted(20000));
    const qint64 child = process.processId();
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    QCOMPARE(output.contains("destroyed"), destroyed);
    // Either way the open port was closed: no lock file is left behind.
    const QString lock = output.section("locked ", 1).section('\n', 0, 0);
    QVERIFY2(!lock.isEmpty(), qPrintable(output));
    // Pty numbers are reused at once, so a test running beside this one may
    // hold a lock of the same name by now: it must not be the child's.
    QFile file(lock);
    QVERIFY2(!file.open(QIODevice::ReadOnly) || file.readLine().trimmed().toLongLong() != child,
             qPrintable(lock));
}

void TestShell::sleepProcessesEventsOnce()
{
    Searial window;
    bool posted = false;
    QTimer::singleShot(0, &window, [&posted] { posted = true; });
    QVERIFY(QMetaObject::invokeMethod(&window, "sleep", Q_ARG(unsigned int, 0)));
    QVERIFY(posted);

    QElapsedTimer clock;
    clock.start();
    QVERIFY(QMetaObject::invokeMethod(&window, "sleep", Q_ARG(unsigned int, 30)));
    QVERIFY(clock.elapsed() >= 29);
}

void TestShell::focusWalk_data()
{
    QTest::addColumn<QByteArray>("pageButton");
    QTest::addColumn<QStringList>("order");
    const QStringList bar{"btn_display", "btn_setting", "btn_query"};
    // Each page in reading order: its group boxes top to bottom, left to
    // right, each group's controls in the same way.
    QTest::newRow("query page")
        << QByteArray("btn_query")
        << bar + QStringList{"lineEdit_R_list", "lineEdit_R_version_number", "lineEdit_R_data",
                             "btn_R_ID", "lineEdit_R_AD_I", "lineEdit_R_AD_D_min",
                             "lineEdit_R_AD_D_max", "btn_R_AD", "lineEdit_R_DA1_on",
                             "lineEdit_R_DA1_off", "lineEdit_R_DA2_on", "lineEdit_R_DA2_off",
                             "btn_R_DA"};
    QTest::newRow("settings page")
        << QByteArray("btn_setting")
        << bar + QStringList{"cmb_set_baud_rate", "btn_set_baud_rate", "com_set_Auto_M",
                             "btn_set_Auto_M", "cmb_set_AD_I", "lineEdit_W_AD_D_min",
                             "lineEdit_W_AD_D_max", "btn_set_AD", "cmb_set_DA_mode",
                             "lineEdit_W_DA_start", "lineEdit_W_DA_stop", "lineEdit_W_DA_start2",
                             "lineEdit_W_DA_stop2", "btn_set_DA"};
    QTest::newRow("display page")
        << QByteArray("btn_display")
        << bar + QStringList{"cmb_port_name", "btn_usart_number", "cmb_baud_rate", "checkBox",
                             "btn_open", "btn_open_LD", "btn_td", "btn_tk", "btn_close_LD",
                             "plainTextEdit", "lineEdit_D", "btn_c", "btn_save", "btn_clear",
                             "lint_send_data", "btn_send"};
}

// Tab from the first page button goes round the page once, in order, through
// every control that takes the focus, and comes back; Shift+Tab goes round
// the other way. The display and the Send box pass it on instead of typing it.
void TestShell::focusWalk()
{
    QFETCH(QByteArray, pageButton);
    QFETCH(QStringList, order);
    Searial window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    click(&window, pageButton.constData());
    QWidget *first = child<QWidget>(&window, "btn_display");
    first->setFocus(Qt::TabFocusReason);

    auto walk = [&](Qt::Key key) {
        QStringList visited;
        do {
            QWidget *focus = QApplication::focusWidget();
            if (!focus)
                break;
            visited << focus->objectName();
            QTest::keyClick(focus, key,
                            key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        } while (QApplication::focusWidget() != first && visited.size() <= order.size());
        return visited;
    };
    QCOMPARE(walk(Qt::Key_Tab), order);
    QStringList backwards = order.mid(1);
    std::reverse(backwards.begin(), backwards.end());
    QCOMPARE(walk(Qt::Key_Backtab), QStringList{order.first()} + backwards);

    QStringList takesTab;
    for (QWidget *widget : window.findChildren<QWidget *>())
        if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus))
            takesTab << widget->objectName();
    std::sort(takesTab.begin(), takesTab.end());
    std::sort(order.begin(), order.end());
    QCOMPARE(takesTab, order);
    QVERIFY(child<QPlainTextEdit>(&window, "plainTextEdit")->toPlainText().isEmpty());
    QVERIFY(child<QTextEdit>(&window, "lint_send_data")->toPlainText().isEmpty());
}

void TestShell::shortcuts_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QByteArray>("focus");
    QTest::addColumn<bool>("measuring");
    QTest::addColumn<bool>("clicks");
    QTest::addColumn<QString>("toolTip");
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+1 Main") << QByteArray("btn_display") << int(Qt::Key_1) << ctrl
                                 << QByteArray("btn_R_ID") << false << true << "Main (Ctrl+1)";
    QTest::newRow("Ctrl+2 Setting") << QByteArray("btn_setting") << int(Qt::Key_2) << ctrl
                                    << QByteArray("lineEdit_D") << false << true
                                    << "Setting (Ctrl+2)";
    QTest::newRow("Ctrl+3 Search") << QByteArray("btn_query") << int(Qt::Key_3) << ctrl
                                   << QByteArray("lint_send_data") << false << true
                                   << "Search (Ctrl+3)";
    QTest::newRow("Ctrl+O Open") << QByteArray("btn_open") << int(Qt::Key_O) << ctrl
                                 << QByteArray("cmb_port_name") << false << true
                                 << "Open / Close (Ctrl+O)";
    QTest::newRow("F5 Scan") << QByteArray("btn_usart_number") << int(Qt::Key_F5) << 0
                             << QByteArray("btn_open") << false << true << "Scan (F5)";
    QTest::newRow("Esc stops a measurement")
        << QByteArray("btn_c") << int(Qt::Key_Escape) << 0 << QByteArray("plainTextEdit") << true
        << true << "Stop (Esc)";
    QTest::newRow("Esc does nothing when idle")
        << QByteArray("btn_c") << int(Qt::Key_Escape) << 0 << QByteArray("plainTextEdit")
        << false << false << "Stop (Esc)";
    QTest::newRow("Ctrl+Return in the Send box")
        << QByteArray("btn_send") << int(Qt::Key_Return) << ctrl << QByteArray("lint_send_data")
        << false << true << "Send (Ctrl+Enter)";
    QTest::newRow("Ctrl+Enter on the keypad")
        << QByteArray("btn_send") << int(Qt::Key_Enter) << int(ctrl | Qt::KeypadModifier)
        << QByteArray("lint_send_data") << false << true << "Send (Ctrl+Enter)";
}

// Each key clicks its button (once), wherever the focus is and whichever
// page is shown, and the button's tool tip names it. Nothing is typed into
// the focused field.
void TestShell::shortcuts()
{
    QFETCH(QByteArray, button);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QByteArray, focus);
    QFETCH(bool, measuring);
    QFETCH(bool, clicks);
    QFETCH(QString, toolTip);
    Searial window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    activeCommand = measuring ? protocol::ContinuousMeasurement : protocol::Idle;
    distanceDisplay = false;
    auto *target = child<QPushButton>(&window, button.constData());
    QCOMPARE(target->toolTip(), toolTip);

    QWidget *field = child<QWidget>(&window, focus.constData());
    auto *stack = child<QStackedWidget>(&window, "stackedWidget");
    for (QWidget *page = field; page; page = page->parentWidget())
        if (page->parentWidget() == stack)
            stack->setCurrentWidget(page);
    field->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), field);
    QSignalSpy clicked(target, &QAbstractButton::clicked);
    QTest::keyClick(field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clicked.count(), clicks ? 1 : 0);
    if (auto *send = qobject_cast<QTextEdit *>(field))
        QVERIFY(send->toPlainText().isEmpty());
}

void TestShell::statusElided_data()
{
    QTest::addColumn<QStringList>("messages"); // shown in turn
    QTest::addColumn<bool>("elided");          // the last one
    const QString tooLong = "Lost /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0 "
                            "(the device is gone); the port is closed. Profile stopped: "
                            "automatic measurement written, analog output interrupted; the "
                            "sensor may hold part of it, switching outputs not written";
    QTest::newRow("fits") << QStringList{"Connected"} << false;
    QTest::newRow("too long") << QStringList{tooLong} << true;
    QTest::newRow("too long, then one that fits") << QStringList{tooLong, "Connected"} << false;
}

// The bar shows what fits, ending in "…", drawn as the bar draws a message;
// the tooltip has it whole, and only while it is cut.
void TestShell::statusElided()
{
    QFETCH(QStringList, messages);
    QFETCH(bool, elided);
    Searial window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *bar = child<QStatusBar>(&window, "statusBar");
    for (const QString &message : messages)
        bar->showMessage(message);
    const QString message = messages.last();
    QCOMPARE(bar->currentMessage(), message);
    const QString shown = StatusElider::shown(bar);
    QCOMPARE(shown.endsWith(QChar(0x2026)), elided);
    QCOMPARE(bar->toolTip(), elided ? message : QString());
    if (!elided) {
        QCOMPARE(shown, message);
        return;
    }
    QVERIFY(message.startsWith(shown.chopped(1)));
    const QImage drawn = bar->grab().toImage();
    bar->showMessage(shown); // fits: the bar draws it itself
    QCOMPARE(StatusElider::shown(bar), shown);
    QCOMPARE(bar->grab().toImage(), drawn);
}

// The control that has the focus at start shows it, before any Tab.
void TestShell::firstFocusShown()
{
    Searial window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus);
    const QImage focused = focus->grab().toImage();
    focus->clearFocus();
    QVERIFY2(focus->grab().toImage() != focused, qPrintable(focus->objectName()));
}

int main(int argc, char **argv)
{
    const QByteArray mode = qgetenv("ORV_SHELL_CHILD");
    if (!mode.isEmpty())
        return runChild(argc, argv, mode);
    QApplication app(argc, argv);
    TestShell test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shell.moc"
