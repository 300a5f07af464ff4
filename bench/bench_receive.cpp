// How the receive path holds up under a long continuous measurement: frames
// are written to a pseudo-terminal as fast as the program takes them in, and
// the time per frame and the memory growth are printed in batches, so a
// slowdown as the display and the receive buffer grow shows up as a trend.
//
//   build/bench_receive [frames] [batch]     (default 40000 frames, 10000 a batch)

#include "app/Searial.h"
#include "app/state.h"
#include "serial/ports.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <time.h>
#include <unistd.h>

namespace {

long rssKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

double cpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? atoi(argv[1]) : 40000;
    const int batch = argc > 2 ? atoi(argv[2]) : 10000;

    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return 1;
    termios raw;
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);

    Searial window;
    window.show();
    serial::setExtraPortPaths({QString::fromLocal8Bit(name)});
    window.findChild<QPushButton *>("btn_usart_number")->click();
    auto *names = window.findChild<QComboBox *>("cmb_port_name");
    names->setCurrentIndex(names->findText(QString::fromLocal8Bit(name)));
    window.findChild<QPushButton *>("btn_open")->click();
    if (portClosed)
        return 1;
    window.findChild<QPushButton *>("btn_tk")->click();
    auto *distance = window.findChild<QLineEdit *>("lineEdit_D");

    std::printf("frames  ms/frame(wall)  ms/frame(cpu)  rss(MB)  rxBuffer(KB)\n");
    QElapsedTimer wall;
    for (int done = 0; done < frames;) {
        wall.start();
        const double cpu0 = cpuMs();
        for (int i = 0; i < batch && done < frames; ++i, ++done) {
            const QByteArray frame =
                "DT:" + QByteArray::number(10000000 + done % 1000000).right(8) + "\r\n";
            const int before = rxByteCount;
            if (write(master, frame.constData(), frame.size()) != frame.size())
                return 1;
            // One frame per chunk, as from a real sensor at its frame rate.
            while (rxByteCount != before + frame.size())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        std::printf("%6d  %14.4f  %13.4f  %7.1f  %12.1f\n", done, double(wall.elapsed()) / batch,
                    (cpuMs() - cpu0) / batch, rssKb() / 1024.0, rxBuffer.size() / 1024.0);
        std::fflush(stdout);
    }
    std::printf("last distance shown: %s\n", qPrintable(distance->text()));
    return 0;
}
