// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to first paint: the program's window against a bare QMainWindow of
// the same size, each started as a fresh process, alternately, off screen.
//
//   build/bench_startup [runs]          (default 15 of each; prints medians)
//
// A child run (--child bare|program) starts as main() does, reports the
// milliseconds from process start to the end of its window's first paint on
// stdout, and ends at once.

#include "app/Searial.h"
#include "app/options.h"
#include "app/displayscale.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QMainWindow>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

QElapsedTimer g_sinceStart;

// Once the window's first paint has begun, reports when it is over (the
// event loop's next turn, after the whole window was painted) and ends.
class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, [] {
                std::printf("%.2f\n", g_sinceStart.nsecsElapsed() / 1e6);
                std::fflush(stdout);
                ::_exit(0);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

int child(int argc, char **argv, bool program)
{
    prepareToolkit();
    QCoreApplication::setApplicationName("orvante-usart");
    if (program)
        takeCommandLine(1, argv); // the parse the program makes before its window
    QApplication app(argc, argv);
    FirstPaint firstPaint;
    app.installEventFilter(&firstPaint);
    if (program) {
        QApplication::setWindowIcon(
            QIcon(QCoreApplication::applicationDirPath() + "/img/ORV_DD.png"));
        auto *window = new Searial;
        window->setWindowTitle("ORVANTE_USART");
        window->show();
    } else {
        auto *window = new QMainWindow;
        window->setFixedSize(825, 560);
        window->show();
    }
    return app.exec();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    g_sinceStart.start();
    if (argc > 2 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv, std::strcmp(argv[2], "program") == 0);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    std::vector<double> wall[2];
    for (int i = 0; i < 2 * runs; ++i) {
        const int which = i % 2; // alternate, so that a busy spell hits both
        QProcess process;
        process.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        process.start(QCoreApplication::applicationFilePath(),
                      {"--child", which ? "program" : "bare"});
        if (!process.waitForFinished(30000) || process.readAllStandardOutput().isEmpty()) {
            std::fprintf(stderr, "a child run failed\n");
            return 1;
        }
        wall[which].push_back(clock.nsecsElapsed() / 1e6);
    }
    const double bare = median(wall[0]), program = median(wall[1]);
    std::printf("| start-up to first paint (median of %d, offscreen) | bare QMainWindow | "
                "program | ratio |\n|---|---|---|---|\n| process start to first paint | %.1f ms "
                "| %.1f ms | %.2f |\n",
                runs, bare, program, program / bare);
    return 0;
}
