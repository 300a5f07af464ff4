#include "sim/ptyline.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

bool PtyLine::open(QString *error)
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(qt_error_string(errno));
        return false;
    }
    char name[PATH_MAX];
    if (::ptsname_r(master, name, sizeof name) != 0) {
        *error = QStringLiteral("cannot name the pseudo-terminal: %1").arg(qt_error_string(errno));
        ::close(slave);
        ::close(master);
        return false;
    }
    // Raw at once: a cooked pty echoes the sensor's answers back to it.
    termios tio;
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    m_master = master;
    m_slavePath = QString::fromLocal8Bit(name);

    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readAvailable(); });
    m_peerPoll.setInterval(20);
    QObject::connect(&m_peerPoll, &QTimer::timeout, [this] { checkPeer(); });
    checkPeer();
    return true;
}

qint64 PtyLine::write(const QByteArray &bytes)
{
    if (!listening())
        return 0;
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break; // full or gone: the rest is lost, as on an overrun line
    }
    return done;
}

void PtyLine::close()
{
    m_peerPoll.stop();
    m_notifier.reset();
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

void PtyLine::readAvailable()
{
    QByteArray data;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            data.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO)
            setPeerPresent(false); // the last holder of the slave closed it
        break;
    }
    if (!data.isEmpty() && received)
        received(data);
}

void PtyLine::checkPeer()
{
    pollfd p{m_master, POLLIN, 0};
    const bool hangup = ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP);
    setPeerPresent(!hangup);
}

void PtyLine::setPeerPresent(bool present)
{
    if (present == m_peerPresent && m_started)
        return;
    m_started = true;
    m_peerPresent = present;
    m_notifier->setEnabled(present);
    if (present) {
        m_peerPoll.stop();
        return;
    }
    discardUnread();
    m_peerPoll.start();
}

void PtyLine::discardUnread()
{
    const int fd = ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::tcflush(fd, TCIFLUSH);
        ::close(fd);
    }
}

} // namespace sim
