// SPDX-License-Identifier: GPL-3.0-or-later
// Time from connecting to a network port to the first answer of identity,
// as orvante-ctl runs it (connect, line settings confirmed with RFC 2217,
// then the query, which ends once its 21 bytes have come): each run, then
// the median.
//
//   bench_connect ADDRESS [RUNS] [PRESET]

#include "engine/exchanger.h"
#include "network/remoteport.h"
#include "protocol/codes.h"
#include "serial/portaddress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    serial::PortAddress address;
    QString problem;
    if (args.size() < 2 || !serial::parsePortAddress(args.at(1), &address, &problem) ||
        !address.isNetwork()) {
        std::fprintf(stderr, "usage: bench_connect rfc2217://HOST:PORT [RUNS] [PRESET] %s\n",
                     qPrintable(problem));
        return 2;
    }
    const int runs = args.value(2, "20").toInt();
    const int preset = args.value(3, "0").toInt();

    QList<double> connectMs, totalMs;
    for (int run = 0; run < runs; ++run) {
        network::RemotePort port;
        engine::Exchanger engine;
        QEventLoop loop;
        QElapsedTimer clock;
        double connected = -1, answered = -1;
        QString failure;
        engine.write = [&port](const QByteArray &bytes) { port.write(bytes); };
        engine.finished = [&](const engine::Exchanger::Outcome &o) {
            answered = clock.nsecsElapsed() / 1e6;
            if (o.answer.raw.size() < 21)
                failure = "incomplete identity answer";
            loop.quit();
        };
        port.received = [&engine](const QByteArray &chunk) { engine.take(chunk); };
        port.ready = [&] {
            connected = clock.nsecsElapsed() / 1e6;
            engine.query(protocol::IdentityQuery);
        };
        port.failed = [&](const QString &why) {
            failure = why;
            loop.quit();
        };
        clock.start();
        port.connectTo(address, preset);
        if (failure.isEmpty())
            loop.exec();
        if (!failure.isEmpty()) {
            std::fprintf(stderr, "run %d: %s\n", run + 1, qPrintable(failure));
            return 1;
        }
        connectMs << connected;
        totalMs << answered;
        std::printf("run %2d: connected and line set %.1f ms, identity answered %.1f ms\n",
                    run + 1, connected, answered);
        std::fflush(stdout);
        // ser2net closes the device after each client; give it the moment it takes.
        QEventLoop pause;
        QTimer::singleShot(100, &pause, &QEventLoop::quit);
        pause.exec();
    }
    const auto median = [](QList<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v.at(v.size() / 2)
                            : (v.at(v.size() / 2 - 1) + v.at(v.size() / 2)) / 2;
    };
    std::printf("median of %d: connect to line set %.1f ms, connect to identity answer %.1f ms\n",
                runs, median(connectMs), median(totalMs));
    return 0;
}
