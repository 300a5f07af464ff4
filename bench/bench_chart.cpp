// SPDX-License-Identifier: GPL-3.0-or-later
// The distance chart off screen, with a history recorded at the full line
// rate (886 frames/s). Prints three tables:
//
//   - one frame of the chart, for each time window: the new frames taken in
//     and the paint of an 800-pixel plot, median and 90th percentile over
//     many frames, with autoscale and with one fixed range, with the number
//     of frames in view; and the one-off rebuild when the window is chosen.
//     A paint must not cost more for an hour than for ten seconds;
//   - the recording: CPU per frame taken from a chunk, memory per frame, the
//     history's heap and the process's resident memory after 10^6 frames and
//     when the ring is full;
//   - exporting the whole history as CSV.
//
//   build/bench_chart [--repeat N]

#include "bench/figures.h"
#include "chart/plot.h"
#include "measure/recorder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using bench::kLineRate;
using bench::rssKb;

// A target that breathes and jitters, 1234.5 mm give or take 5, now and then
// a spike.
qint32 distanceOf(qint64 frame)
{
    const double slow = 50.0 * std::sin(double(frame) / 20000.0);
    const qint32 jitter = qint32((frame * 2654435761u) % 21) - 10;
    return 12345 + qint32(slow) + jitter + (frame % 100003 == 0 ? 3000 : 0);
}

qint64 msOf(qint64 frame)
{
    return qint64(double(frame) * 1000.0 / kLineRate);
}

// Fills `recorder` with `frames` frames at line rate, as chunks of one frame.
void record(measure::Recorder &recorder, qint64 from, qint64 frames)
{
    for (qint64 i = from; i < from + frames; ++i)
        recorder.add(msOf(i), distanceOf(i));
}

struct Figures
{
    double median, p90;
};

Figures spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[values.size() * 9 / 10]};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"repeat", "Frames measured per window.", "N", "300"});
    parser.process(app);
    const int repeat = qMax(10, parser.value("repeat").toInt());

    // An hour and a bit at line rate; then, for the chart, the frames of one
    // frame interval go in before each paint.
    const qint64 anHour = qint64(kLineRate * 3700);
    measure::Recorder recorder;
    record(recorder, 0, anHour);
    qint64 next = anHour;
    const int perFrame = int(std::lround(kLineRate * chart::Plot::kFrameIntervalMs / 1000.0));

    // 10^6 frames and nothing else: "all" then holds exactly 10^6.
    measure::Recorder million;
    record(million, 0, 1000000);

    std::printf("One frame of the chart: %d new frames taken in, then an 800 x 300 px plot "
                "painted into an image (off screen, %d frames each)\n\n",
                perFrame, repeat);
    std::printf("| window | frames in view | rebuild (once) | take in, median | paint, median "
                "(90th pct) | the same, fixed range |\n|---|---|---|---|---|---|\n");
    struct Case
    {
        const char *name;
        qint64 span;
        measure::Recorder *recorder;
    };
    const Case cases[] = {{"10 s", 10000, &recorder},         {"1 min", 60000, &recorder},
                          {"10 min", 600000, &recorder},      {"1 h", 3600000, &recorder},
                          {"all (10^6 frames)", 0, &million}, {"all (1 h)", 0, &recorder}};
    // The windows take turns, frame by frame, so that whatever else the
    // machine does weighs on all of them alike.
    struct Run
    {
        std::unique_ptr<chart::Plot> plot, fixed;
        double rebuildMs;
        qint64 inView;
        std::vector<double> takes, paints, fixedPaints;
    };
    std::vector<Run> runs;
    QElapsedTimer clock;
    for (const Case &c : cases) {
        Run run;
        run.plot = std::make_unique<chart::Plot>();
        chart::Plot &plot = *run.plot;
        plot.resize(800 + plot.width() - plot.plotArea().width(),
                    300 + plot.height() - plot.plotArea().height());
        plot.setSpan(c.span);
        clock.start();
        plot.setRecorder(c.recorder);
        run.rebuildMs = clock.nsecsElapsed() / 1e6;
        run.inView = plot.viewStatistics().count();
        // Autoscale fits the plot to what is in view: ten seconds of jitter
        // fill its height, an hour's slow change and spikes leave it thin.
        // With one fixed range both paint about as many pixels.
        run.fixed = std::make_unique<chart::Plot>();
        run.fixed->resize(plot.size());
        run.fixed->setSpan(c.span);
        run.fixed->setRecorder(c.recorder);
        run.fixed->setRange(1100, 1700);
        runs.push_back(std::move(run));
    }
    QImage image(runs.front().plot->size(), QImage::Format_RGB32);
    // The first frames fill the glyph caches; they are not counted.
    for (int i = -20; i < repeat; ++i) {
        record(recorder, next, perFrame);
        next += perFrame;
        for (Run &run : runs) {
            clock.restart();
            run.plot->sync();
            const double take = clock.nsecsElapsed() / 1e6;
            clock.restart();
            QPainter painter(&image);
            run.plot->paintTo(painter);
            painter.end();
            const double paint = clock.nsecsElapsed() / 1e6;
            run.fixed->sync();
            clock.restart();
            painter.begin(&image);
            run.fixed->paintTo(painter);
            painter.end();
            if (i >= 0) {
                run.takes.push_back(take);
                run.paints.push_back(paint);
                run.fixedPaints.push_back(clock.nsecsElapsed() / 1e6);
            }
        }
    }
    Figures tenSeconds{}, hour{}, fixedTenSeconds{}, fixedHour{};
    for (size_t i = 0; i < runs.size(); ++i) {
        const Run &run = runs[i];
        const Figures take = spread(run.takes), paint = spread(run.paints),
                      fixed = spread(run.fixedPaints);
        std::printf("| %s | %lld | %.1f ms | %.3f ms | %.2f ms (%.2f ms) | %.2f ms (%.2f ms) |\n",
                    cases[i].name, static_cast<long long>(run.inView), run.rebuildMs, take.median,
                    paint.median, paint.p90, fixed.median, fixed.p90);
        if (cases[i].span == 10000) {
            tenSeconds = paint;
            fixedTenSeconds = fixed;
        }
        if (cases[i].span == 3600000) {
            hour = paint;
            fixedHour = fixed;
        }
    }
    std::printf("\nPaint, 1 h against 10 s (medians): %.2f times with autoscale, %.2f times with "
                "the fixed range\n\n",
                hour.median / tenSeconds.median, fixedHour.median / fixedTenSeconds.median);

    // Recording, as the receive path does it: one chunk of one frame each.
    {
        measure::Recorder fresh;
        std::vector<QByteArray> chunks;
        for (int i = 0; i < 1000; ++i)
            chunks.push_back(QByteArray("DT:") +
                             QByteArray::number(distanceOf(i)).rightJustified(8, '0') + "\r\n");
        const long before = rssKb();
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 1000000; ++i)
            fresh.take(chunks[size_t(i % 1000)]);
        const double ns = double(clock.nsecsElapsed()) / 1e6;
        const long after = rssKb();
        std::printf("| recording | per frame |\n|---|---|\n");
        std::printf("| CPU, one 13-byte chunk taken | %.0f ns (%.3f %% of a core at 886 "
                    "frames/s) |\n",
                    ns, ns * kLineRate / 1e7);
        std::printf("| memory per frame kept | %d bytes (ring of %lld frames: %.0f minutes at "
                    "line rate), plus %d bytes per second |\n",
                    measure::Recorder::kBytesPerSample,
                    static_cast<long long>(qint64(1) << measure::Recorder::kSampleBits),
                    double(qint64(1) << measure::Recorder::kSampleBits) / kLineRate / 60,
                    int(sizeof(measure::Statistics)));
        std::printf("| history after 10^6 frames | %.1f MiB heap, %.1f MB resident growth |\n",
                    fresh.allocatedBytes() / 1048576.0, (after - before) / 1000.0);
        record(fresh, 1000000, (qint64(1) << measure::Recorder::kSampleBits) + 100000);
        std::printf("| history full (%.0f minutes at line rate) | %.1f MiB heap, %.1f MB "
                    "resident growth |\n",
                    double((qint64(1) << measure::Recorder::kSampleBits) + 1100000) / kLineRate /
                        60,
                    fresh.allocatedBytes() / 1048576.0, (rssKb() - before) / 1000.0);

        QFile sink(QFile::exists("/dev/null") ? "/dev/null" : "NUL");
        sink.open(QIODevice::WriteOnly);
        clock.restart();
        const qint64 lines = fresh.writeCsv(&sink);
        std::printf("\n| export | lines | time |\n|---|---|---|\n| CSV of the whole history | "
                    "%lld | %.0f ms |\n",
                    static_cast<long long>(lines), clock.nsecsElapsed() / 1e6);
    }
    return 0;
}
