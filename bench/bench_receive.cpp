// SPDX-License-Identifier: GPL-3.0-or-later
// The receive path under a sensor's full line rate, off screen: the real main
// window on a pseudo-terminal, fed as a sensor feeds it. Prints one table:
//
//   - CPU per chunk at 886 frames/s (115200 baud 8N1, one 13-byte frame per
//     chunk), text and hex display, with the display already holding 10^3 and
//     10^5 lines: the cost must not depend on what is already shown;
//   - a single 1 MiB chunk into the display, text and hex, and 1 MiB through
//     the port as the line delivers it;
//   - resident memory per 10^5 frames, and after a long run at the default
//     scroll-back.
//
//   build/bench_receive [--seconds S] [--long-frames N]
//
// Figures are CPU time of the GUI thread (the writer runs in a thread of its
// own), so a busy machine stretches them less than wall-clock time would.

#include "app/Searial.h"
#include "app/state.h"
#include "bench/figures.h"
#include "serial/ports.h"
#include "view/trafficdisplay.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

using bench::kLineRate;
using bench::rssKb;

double threadCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Frames as a sensor sends them, or (a wrong line preset, a binary stream)
// the same number of bytes without line ends: the worst case for the length
// of a display line.
bool g_unbroken = false;

QByteArray frame(int i)
{
    char text[16];
    std::snprintf(text, sizeof text, g_unbroken ? "DIS%08d--" : "DIS%08d\r\n", i % 100000000);
    return QByteArray(text, 13);
}

QString cpuModel()
{
    QFile info("/proc/cpuinfo");
    if (info.open(QIODevice::ReadOnly))
        for (const QByteArray &line : info.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    return "unknown";
}

// A pseudo-terminal the window opens as its serial port.
struct Line
{
    int master = -1, slave = -1;
    QString path;
    Line()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw;
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(name);
    }
    ~Line()
    {
        ::close(master);
        ::close(slave);
    }
};

struct Session
{
    Line line;
    std::unique_ptr<Searial> window;

    explicit Session(bool hex)
    {
        // The exchange state outlives each window; start from the program's
        // own initial state.
        portClosed = true;
        activeCommand = 0;
        rxBuffer.clear();
        window = std::make_unique<Searial>();
        window->show();
        serial::setExtraPortPaths({line.path});
        window->findChild<QPushButton *>("btn_usart_number")->click();
        auto *names = window->findChild<QComboBox *>("cmb_port_name");
        names->setCurrentIndex(names->findText(line.path));
        window->findChild<QPushButton *>("btn_open")->click();
        window->findChild<QCheckBox *>("checkBox")->setChecked(hex);
        // A continuous measurement: every frame is read as a distance.
        window->findChild<QPushButton *>("btn_tk")->click();
    }
    bool ok() const { return !portClosed; }
    QPlainTextEdit *display() const { return window->findChild<QPlainTextEdit *>("plainTextEdit"); }

    // Runs the event loop until the window has taken in `bytes` more.
    bool waitFor(qint64 before, qint64 bytes, int timeoutMs = 30000)
    {
        // Blocks in the event loop as the program does; the timer only makes
        // sure the time-out is noticed when nothing arrives.
        QTimer wake;
        wake.start(100);
        QElapsedTimer clock;
        clock.start();
        while (qint64(rxByteCount) - before < bytes && clock.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return qint64(rxByteCount) - before >= bytes;
    }

    // One frame per chunk, each written once the last one is in: as fast as
    // the program takes them, with nothing coalesced by the line.
    bool feedOneByOne(int frames, int gapMs = 0, int burst = 1)
    {
        for (int i = 0; i < frames; ++i) {
            const QByteArray f = frame(i);
            const int before = rxByteCount;
            if (::write(line.master, f.constData(), f.size()) != f.size() ||
                !waitFor(before, f.size()))
                return false;
            if (gapMs > 0 && (i + 1) % qMax(1, burst) == 0) {
                // A slow sensor: every frame gets a display frame of its own.
                QElapsedTimer gap;
                gap.start();
                QTimer wake;
                wake.start(5);
                while (gap.elapsed() < gapMs)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
        }
        return true;
    }
};

// The display as a long run leaves it: `lines` lines of what the mode shows.
void prefill(QPlainTextEdit *display, int lines, bool hex)
{
    QString text;
    const QString line = hex ? QString(64, QLatin1Char('d')) : QString("DIS00012345");
    text.reserve(lines * (line.size() + 1));
    for (int i = 0; i < lines; ++i)
        text += line + QLatin1Char('\n');
    display->setPlainText(text);
    display->moveCursor(QTextCursor::End);
}

struct RateResult
{
    double cpuUsPerChunk;
    double cpuPercent;
    int frames;
};

// Frames at the line rate for `seconds`, written by a thread with absolute
// deadlines; CPU of the GUI thread per chunk.
RateResult atRate(Session &session, double seconds, double rate = kLineRate)
{
    const int frames = int(rate * seconds);
    std::atomic<bool> done{false};
    const int master = session.line.master;
    const int before = rxByteCount;
    const double cpu0 = threadCpuMs();
    QElapsedTimer wall;
    wall.start();
    std::thread writer([&] {
        timespec next;
        clock_gettime(CLOCK_MONOTONIC, &next);
        const long stepNs = long(1e9 / rate);
        for (int i = 0; i < frames; ++i) {
            const QByteArray f = frame(i);
            if (::write(master, f.constData(), f.size()) != f.size())
                break;
            next.tv_nsec += stepNs;
            while (next.tv_nsec >= 1000000000) {
                next.tv_nsec -= 1000000000;
                ++next.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
        done = true;
    });
    session.waitFor(before, qint64(frames) * 13, int(seconds * 1000) + 10000);
    writer.join();
    // Let the last frame be painted.
    QElapsedTimer settle;
    settle.start();
    QTimer wake;
    wake.start(5);
    while (settle.elapsed() < 2 * view::TrafficDisplay::kFrameIntervalMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double cpu = threadCpuMs() - cpu0;
    return {cpu * 1000 / frames, 100.0 * cpu / wall.elapsed(), frames};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("The receive path at a sensor's full line rate.");
    parser.addHelpOption();
    const QCommandLineOption secondsOption("seconds", "Seconds per line-rate case.", "S", "10");
    const QCommandLineOption longOption(
        "long-frames", "Frames of the long run at the default scroll-back.", "N", "1000000");
    const QCommandLineOption onlyOption(
        "only",
        "Run one case only, for a profiler: MODE (text, hex, unbroken):LINES at the line rate, or "
        "MODE:LINES:FRAMES[:GAP_MS[:BURST]] with the frames fed one by one, a gap after "
        "every BURST of them, or MODE:LINES:frames:TICKS:PER_TICK for TICKS display frames of "
        "PER_TICK chunks each.",
        "MODE:LINES[:FRAMES[:GAP_MS[:BURST]]]");
    const QCommandLineOption rateOption("rate", "Frames a second in the --only case.", "HZ",
                                        QString::number(kLineRate));
    const QCommandLineOption memoryOption(
        "memory", "Feed FRAMES one by one with a scroll-back of LINES; print RSS before and after.",
        "FRAMES:LINES");
    parser.addOptions({secondsOption, longOption, onlyOption, rateOption, memoryOption});
    parser.process(app);
    const double seconds = parser.value(secondsOption).toDouble();
    const int longFrames = parser.value(longOption).toInt();

    if (parser.isSet(memoryOption)) {
        const QStringList fields = parser.value(memoryOption).split(':');
        view::setScrollbackLines(fields.value(1).toInt());
        Session session(false);
        const long before = rssKb();
        if (!session.ok() || !session.feedOneByOne(fields.value(0).toInt()))
            return 1;
        std::printf("%ld %ld\n", before, rssKb());
        return 0;
    }
    if (parser.isSet(onlyOption)) {
        const QStringList only = parser.value(onlyOption).split(':');
        const bool hex = only.value(0) == "hex";
        g_unbroken = only.value(0) == "unbroken";
        Session session(hex);
        if (!session.ok())
            return 1;
        prefill(session.display(), only.value(1).toInt(), hex);
        if (only.value(2) == "frames") {
            // A display frame's work counted alone: TICKS frames of the display,
            // each after PER_TICK chunks (as many as a sensor sends in 33 ms at
            // line rate is 29), whatever the speed of the machine or of a
            // profiler running the program.
            trafficDisplay->setFrameInterval(300);
            if (!session.feedOneByOne(1))
                return 1;
            const int ticks = only.value(3).toInt(), perTick = only.value(4).toInt();
            for (int t = 0; t < ticks; ++t) {
                const int before = trafficDisplay->frames();
                if (!session.feedOneByOne(perTick))
                    return 1;
                QTimer wake;
                wake.start(20);
                while (trafficDisplay->frames() == before)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
            return 0;
        }
        if (only.size() > 2) {
            // Frames one by one, for an instruction-counting profiler.
            return session.feedOneByOne(only.value(2).toInt(), only.value(3).toInt(),
                                        only.value(4).toInt())
                       ? 0
                       : 1;
        }
        const RateResult r = atRate(session, seconds, parser.value(rateOption).toDouble());
        std::printf("%.1f us per chunk, %.1f %%\n", r.cpuUsPerChunk, r.cpuPercent);
        return 0;
    }

    std::printf("CPU: %s (%ld cores); Qt %s; offscreen\n\n", qPrintable(cpuModel()),
                sysconf(_SC_NPROCESSORS_ONLN), qVersion());
    std::printf("| case | display holds | CPU per chunk | CPU at %.0f frames/s |\n", kLineRate);
    std::printf("|---|---|---|---|\n");
    const char *modes[] = {"text", "hex", "text without line ends"};
    for (int mode = 0; mode < 3; ++mode) {
        const bool hex = mode == 1;
        g_unbroken = mode == 2;
        for (int lines : {1000, 100000}) {
            Session session(hex);
            if (!session.ok())
                return 1;
            prefill(session.display(), lines, hex);
            const RateResult r = atRate(session, seconds);
            std::printf("| %s, %d frames | 10^%d lines | %.1f us | %.1f %% |\n", modes[mode],
                        r.frames, lines == 1000 ? 3 : 5, r.cpuUsPerChunk, r.cpuPercent);
            std::fflush(stdout);
        }
    }
    g_unbroken = false;

    std::printf("\n| 1 MiB | one chunk into the display | through the port |\n|---|---|---|\n");
    for (bool hex : {false, true}) {
        Session session(hex);
        if (!session.ok())
            return 1;
        // No line ends: the worst case for line lengths.
        const QByteArray mib(1 << 20, 'A');
        QElapsedTimer clock;
        clock.start();
        trafficDisplay->showChunk(mib, hex);
        session.display()->viewport()->repaint();
        const double oneChunkMs = clock.nsecsElapsed() / 1e6;

        const int before = rxByteCount;
        clock.start();
        qint64 written = 0;
        while (written < mib.size()) {
            const ssize_t n = ::write(session.line.master, mib.constData() + written,
                                      size_t(qMin<qint64>(4096, mib.size() - written)));
            if (n < 0)
                return 1;
            written += n;
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        session.waitFor(before, mib.size());
        std::printf("| %s | %.0f ms | %.0f ms |\n", hex ? "hex" : "text", oneChunkMs,
                    clock.nsecsElapsed() / 1e6);
        std::fflush(stdout);
    }

    // Each memory figure from a process of its own: a heap that other cases
    // have grown and freed would hide the growth.
    std::printf("\n| memory | frames | RSS before | RSS after | growth per frame |\n"
                "|---|---|---|---|---|\n");
    struct MemoryCase
    {
        const char *name;
        int frames;
        int scrollback;
    };
    const MemoryCase memoryCases[] = {
        {"no scroll-back limit", 100000, 0},
        {"default scroll-back", longFrames, view::kDefaultScrollbackLines},
    };
    for (const MemoryCase &c : memoryCases) {
        if (c.frames <= 0)
            continue;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {"--memory", QString("%1:%2").arg(c.frames).arg(c.scrollback)});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            return 1;
        const QList<QByteArray> kb = child.readAllStandardOutput().trimmed().split(' ');
        const double before = kb.value(0).toDouble(), after = kb.value(1).toDouble();
        std::printf("| %s | %d | %.1f MB | %.1f MB | %.0f bytes |\n", c.name, c.frames,
                    before / 1024, after / 1024, (after - before) * 1024 / c.frames);
        std::fflush(stdout);
    }
    return 0;
}
