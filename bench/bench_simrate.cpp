// SPDX-License-Identifier: GPL-3.0-or-later
// How closely sensor-sim keeps to the frame rate asked, on the wall clock:
// several simulators side by side with --auto, their frames counted as they
// arrive; the first and last frame's arrival bound the time, so start-up and
// this program's own latency stay out of the figure. Its plan, frame by frame,
// is what the tests check; this measures the machine keeping to it.
//
//   build/bench_simrate [--seconds S] [--sim PATH]   (10 s; sensor-sim beside it)

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Run
{
    double rate = 0;
    QProcess process;
    QSerialPort port;
    QByteArray pending;
    qint64 frames = 0, first = -1, last = -1;
};

// Starts sensor-sim serving its pseudo-terminal at `link`; true once the
// link is there.
bool start(QProcess &process, const QString &sim, double rate, const QString &link)
{
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(sim, {"--auto", "--rate", QString::number(rate), "--link", link});
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(link) && process.state() != QProcess::NotRunning &&
           waited.elapsed() < 5000)
        process.waitForFinished(20);
    return QFileInfo::exists(link);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption secondsOption("seconds", "How long to count.", "S", "10");
    const QCommandLineOption simOption("sim", "The sensor-sim program.", "PATH",
                                       QCoreApplication::applicationDirPath() + "/sensor-sim");
    parser.addOptions({secondsOption, simOption});
    parser.addHelpOption();
    parser.process(app);
    const double seconds = parser.value(secondsOption).toDouble();

    QTemporaryDir dir;
    std::vector<std::unique_ptr<Run>> runs;
    QElapsedTimer clock;
    clock.start();
    for (double rate : {20.0, 300.0, 600.0, 886.15, 1000.0}) {
        runs.push_back(std::make_unique<Run>());
        Run &run = *runs.back();
        run.rate = rate;
        const QString link = dir.filePath(QString::number(runs.size()));
        run.port.setPortName(link);
        if (!start(run.process, parser.value(simOption), rate, link) ||
            !run.port.open(QIODevice::ReadWrite)) {
            std::fprintf(stderr, "sensor-sim at %g/s could not be started or opened\n", rate);
            return 1;
        }
        QObject::connect(&run.port, &QSerialPort::readyRead, [&run, &clock] {
            run.pending += run.port.readAll();
            const qint64 now = clock.elapsed();
            for (int end; (end = run.pending.indexOf("\r\n")) >= 0;
                 run.pending.remove(0, end + 2)) {
                if (!run.pending.startsWith("DT:"))
                    continue;
                ++run.frames;
                run.last = now;
            }
            // What waited before the port was opened arrives in one read: its
            // last frame is where the count starts.
            if (run.first < 0 && run.frames > 0) {
                run.first = now;
                run.frames = 1;
            }
        });
    }
    QTimer::singleShot(int(seconds * 1000 + 500), &app, &QCoreApplication::quit);
    app.exec();

    std::printf("sensor-sim, frames a second on the wall clock over %g s, side by side\n", seconds);
    std::printf("%10s %10s %8s\n", "asked", "measured", "off");
    for (const auto &run : runs) {
        run->port.close();
        run->process.terminate();
        run->process.waitForFinished(10000);
        const double span = (run->last - run->first) / 1000.0;
        const double measured = span > 0 ? (run->frames - 1) / span : 0;
        std::printf("%10.2f %10.2f %7.2f%%\n", run->rate, measured,
                    100.0 * (measured - run->rate) / run->rate);
    }
    QFile load("/proc/loadavg");
    if (load.open(QIODevice::ReadOnly))
        std::printf("load average: %s", load.readLine().constData());
    return 0;
}
