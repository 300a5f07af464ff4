// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target over the whole receive path: the main window, off screen,
// on a pseudo-terminal, with the traffic log on. Each input puts the window
// into one exchange state (idle, a measurement, a query with its response
// window running, a setting awaiting its answer), with hex display on or off,
// and writes the input's bytes to the line in chunks the input chooses, each
// taken in by the window as a read of its own. Then the response window ends
// as when its timer fires. Message boxes are answered at once.
//
// Besides crashes and sanitizer reports it traps when the log does not hold
// exactly the bytes written, or the hex display does not show them.
//
// Input: FuzzedDataProvider takes the state, the hex switch and the chunk
// sizes (1 to 255 bytes, one byte each) from the end of the input, the
// chunks' bytes from the front. One window serves every input.

#include "app/Searial.h"
#include "app/state.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/ptypeer.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_receive: %s\n", what);
        __builtin_trap();
    }
}

// How an input finds the window.
enum State {
    Idle,
    IdleNoFrames, // after a laser or stop command: frames are no longer shown
    Single,
    Continuous,
    IdentityQuery,
    AnalogQuery,
    SwitchingQuery,
    LineSpeedSetting,
    AnalogSetting,
    SwitchingFirst,
    SwitchingSecond,
    AutoMeasureSetting,
    StateCount
};

struct Rig
{
    Searial window;
    ModalBoxes boxes{1};
    PtyPeer peer;
    QTemporaryDir dir;
    QString logPath;
};
Rig *rig = nullptr;

template <class T> T *widget(const char *name)
{
    return child<T>(&rig->window, name);
}

void enter(int state)
{
    switch (state) {
    case IdleNoFrames:
        distanceDisplay = false;
        break;
    case Single:
        click(&rig->window, "btn_td");
        break;
    case Continuous:
        click(&rig->window, "btn_tk");
        break;
    case IdentityQuery:
        click(&rig->window, "btn_R_ID");
        break;
    case AnalogQuery:
        click(&rig->window, "btn_R_AD");
        break;
    case SwitchingQuery:
        click(&rig->window, "btn_R_DA");
        break;
    case LineSpeedSetting:
        click(&rig->window, "btn_set_baud_rate");
        break;
    case AnalogSetting:
        click(&rig->window, "btn_set_AD");
        break;
    case SwitchingFirst:
        click(&rig->window, "btn_set_DA");
        break;
    case SwitchingSecond:
        // Reached when the sensor acknowledged the first command.
        pendingSetting = 4;
        responseTimer->start(1000);
        break;
    case AutoMeasureSetting:
        click(&rig->window, "btn_set_Auto_M");
        break;
    default:
        break;
    }
}

// Back to idle with an empty display and a new, empty log.
void reset(bool hex)
{
    responseTimer->stop();
    activeCommand = 0;
    pendingSetting = 0;
    distanceDisplay = true;
    clearRxBuffer();
    rxByteCount = 0;
    widget<QPlainTextEdit>("plainTextEdit")->clear();
    widget<QLineEdit>("lineEdit_D")->clear();
    widget<QCheckBox>("checkBox")->setChecked(hex);
    QString error;
    check(trafficLog.start(rig->logPath, QString(), &error), "the log cannot be started");
    saveActive = true;
}

// Writes a chunk and runs the event loop until the window has taken it in.
void feed(const QByteArray &chunk)
{
    const int target = rxByteCount + chunk.size();
    check(rig->peer.write(chunk), "the line refused a chunk");
    const QDeadlineTimer deadline(10000);
    while (rxByteCount != target) {
        check(!deadline.hasExpired(), "a chunk was not taken in within 10 s");
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// The toolkit's warnings (the offscreen platform's, one per box) would bury
// libFuzzer's own output.
void quiet(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet);
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    (void)argc;
    new QApplication(qtArgc, qtArgv);

    rig = new Rig;
    check(rig->peer.isValid() && rig->dir.isValid(), "no pseudo-terminal or temporary folder");
    rig->window.show();
    // Distances the setting buttons accept.
    for (const char *name : {"lineEdit_W_AD_D_min", "lineEdit_W_DA_start", "lineEdit_W_DA_start2"})
        widget<QLineEdit>(name)->setText("150");
    for (const char *name : {"lineEdit_W_AD_D_max", "lineEdit_W_DA_stop", "lineEdit_W_DA_stop2"})
        widget<QLineEdit>(name)->setText("20000");
    check(openPort(rig->window, rig->peer), "the port does not open");

    // The log is switched on as the operator does it, once; each input then
    // starts a new one in the same file.
    rig->logPath = rig->dir.filePath("traffic.txt");
    rig->boxes.answerFileDialog(rig->logPath);
    click(&rig->window, "btn_save");
    check(saveActive, "Save did not switch the log on");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int state = input.ConsumeIntegralInRange<int>(0, StateCount - 1);
    const bool hex = input.ConsumeBool();

    reset(hex);
    enter(state);
    QByteArray fed;
    while (input.remaining_bytes() > 0) {
        const size_t length = input.ConsumeIntegralInRange<size_t>(1, 255);
        const std::vector<char> bytes = input.ConsumeBytes<char>(length);
        if (bytes.empty())
            break;
        const QByteArray chunk(bytes.data(), int(bytes.size()));
        feed(chunk);
        fed += chunk;
    }
    // The response window ends as when its timer fires.
    if (responseTimer->isActive())
        check(invoke(&rig->window, "handleTimeout"), "handleTimeout cannot be called");
    // Whatever the chunks posted (a box, a late read) runs now.
    QCoreApplication::processEvents();
    rig->peer.clearReceived();

    check(saveActive, "the log stopped");
    QFile log(rig->logPath);
    check(log.open(QIODevice::ReadOnly), "the log cannot be read");
    check(log.readAll() == fed, "the log differs from the bytes fed");
    if (hex) {
        const QString shown = widget<QPlainTextEdit>("plainTextEdit")->toPlainText();
        check(QString(shown).remove('\n') == QString::fromLatin1(fed.toHex()),
              "the hex display differs from the bytes fed");
    }
    return 0;
}
