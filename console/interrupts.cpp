// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/interrupts.h"

#include <QSocketNotifier>
#include <QTimer>

#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace console {

namespace {

#ifdef Q_OS_UNIX
int g_pipe[2] = {-1, -1};
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    // Nothing else is safe here; a full pipe already holds a wake-up.
    if (::write(g_pipe[0], &byte, 1) < 0) {
    }
    errno = saved;
}
#else
// Without socket pairs: a flag that a timer looks at.
volatile std::sig_atomic_t g_raised = 0;

extern "C" void onSignal(int signal)
{
    g_raised = signal;
}
#endif

// The innermost Interrupts alive; the outermost one owns the handlers.
Interrupts *g_innermost = nullptr;

} // namespace

void Interrupts::deliver(int signal)
{
    // Every level hears it, the innermost first: an exchange inside a
    // command that runs until stopped lets its exchange end, and the command
    // stops too.
    for (Interrupts *level = g_innermost; level; level = level->m_outer) {
        level->m_signal = signal;
        level->m_handler();
    }
}

Interrupts::Interrupts(std::function<void()> handler)
    : m_handler(std::move(handler)), m_outer(g_innermost)
{
    g_innermost = this;
    if (m_outer)
        return;
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return; // the signals keep their default: they end the process
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[1], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [] {
        char bytes[16];
        int signal = 0;
        for (ssize_t n; (n = ::read(g_pipe[1], bytes, sizeof bytes)) > 0;)
            signal = bytes[n - 1];
        if (signal)
            deliver(signal);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
#else
    g_raised = 0;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    m_poll = std::make_unique<QTimer>();
    QObject::connect(m_poll.get(), &QTimer::timeout, [] {
        if (g_raised) {
            const int signal = g_raised;
            g_raised = 0;
            deliver(signal);
        }
    });
    m_poll->start(50);
#endif
}

const char *Interrupts::name(int signal)
{
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
#ifdef SIGHUP
    case SIGHUP:
        return "SIGHUP";
#endif
    default:
        return "a signal";
    }
}

Interrupts::~Interrupts()
{
    g_innermost = m_outer;
    if (m_outer)
        return;
#ifdef Q_OS_UNIX
    if (!m_notifier)
        return;
    for (const int signal : kSignals)
        ::signal(signal, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
#else
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
#endif
}

} // namespace console
