// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Ctrl-C (SIGINT), SIGTERM and SIGHUP as events on the event loop, for the
// command-line programs that run until they are stopped (orvante-ctl's
// measure and listen, sensor-sim): the signal handler only writes a byte to a
// socket pair, and a QSocketNotifier on the other end calls the handler given
// here, where anything may be done (send Stop, print, remove a link, quit).
// While one exists, a reader that goes away (SIGPIPE) shows as a failed
// write to stdout instead of ending the process. They nest: one made while
// another lives hears the same signals, before it, and leaves the outer one
// in place when it goes.

#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace console {

class Interrupts
{
public:
    explicit Interrupts(std::function<void()> handler);
    ~Interrupts();
    Interrupts(const Interrupts &) = delete;
    Interrupts &operator=(const Interrupts &) = delete;

    // The last signal handled (SIGINT...), 0 before the first.
    int signal() const { return m_signal; }
    // "SIGINT", "SIGTERM" or "SIGHUP", as messages name them.
    static const char *name(int signal);
    // The status a shell gives a command the signal ended: 128 + its number.
    static int exitStatus(int signal) { return 128 + signal; }

private:
    static void deliver(int signal);

    std::function<void()> m_handler;
    Interrupts *m_outer; // the one this one nests in, or null
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QTimer> m_poll;
    int m_signal = 0;
};

} // namespace console
