// SPDX-License-Identifier: GPL-3.0-or-later
#include "ptypeer.h"

#include <QHash>
#include <QMutex>

#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

QMutex requestedLock;
QHash<QString, termios> &requested()
{
    static QHash<QString, termios> byPath;
    return byPath;
}

QString pathOfFd(int fd)
{
    char target[512];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = readlink(link.constData(), target, sizeof target - 1);
    return n > 0 ? QString::fromLocal8Bit(target, int(n)) : QString();
}

} // namespace

// Interposes the C library's tcsetattr for the test process (the serial-port
// library resolves it here first) and records what was asked for, by path.
extern "C" int tcsetattr(int fd, int action, const termios *attrs)
{
    using Real = int (*)(int, int, const termios *);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "tcsetattr"));
    if (attrs) {
        const QString path = pathOfFd(fd);
        QMutexLocker locker(&requestedLock);
        if (!requested().contains(path))
            requested().insert(path, *attrs);
    }
    return real(fd, action, attrs);
}

PtyPeer::PtyPeer()
{
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    // Raw, so nothing written before the program opens the port is echoed back.
    termios raw;
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(name);
}

PtyPeer::~PtyPeer()
{
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

QByteArray PtyPeer::received()
{
    if (m_master >= 0) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            m_received.append(buffer, static_cast<int>(n));
        }
    }
    return m_received;
}

void PtyPeer::clearReceived()
{
    received();
    m_received.clear();
}

bool PtyPeer::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (n > 0)
            done += n;
    }
    return done == bytes.size();
}

termios PtyPeer::attributes() const
{
    termios attrs = {};
    tcgetattr(m_slave, &attrs);
    return attrs;
}

bool PtyPeer::requestedAttributes(termios *attrs) const
{
    QMutexLocker locker(&requestedLock);
    const auto found = requested().constFind(m_path);
    if (found == requested().constEnd())
        return false;
    *attrs = *found;
    return true;
}

void PtyPeer::forgetRequested()
{
    QMutexLocker locker(&requestedLock);
    requested().remove(m_path);
}

void PtyPeer::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
