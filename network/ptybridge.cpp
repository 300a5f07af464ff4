// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/ptybridge.h"

#include <cerrno>
#include <unistd.h>

namespace network {

PtyBridge::~PtyBridge()
{
    close();
}

bool PtyBridge::open(const serial::PortAddress &address, int preset, QString *error)
{
    close();
    if (!serial::openPtyPair(&m_pty, error))
        return false;
    m_endReason.clear();
    m_readable = std::make_unique<QSocketNotifier>(m_pty.master, QSocketNotifier::Read);
    QObject::connect(m_readable.get(), &QSocketNotifier::activated, [this] { readMaster(); });
    m_writable = std::make_unique<QSocketNotifier>(m_pty.master, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    QObject::connect(m_writable.get(), &QSocketNotifier::activated, [this] { flushToMaster(); });
    m_remote.received = [this](const QByteArray &bytes) { deliver(bytes); };
    m_remote.ready = [this] {
        if (!m_toServer.isEmpty())
            m_remote.write(m_toServer);
        m_toServer.clear();
    };
    m_remote.failed = [this](const QString &reason) { end(reason); };
    m_remote.lost = [this](const QString &reason) { end(reason); };
    m_remote.connectTo(address, preset);
    // Refused at once (some systems say so from within connectTo()).
    if (!isOpen()) {
        *error = m_endReason;
        return false;
    }
    return true;
}

void PtyBridge::followPreset(int preset)
{
    if (isOpen())
        m_remote.setPreset(preset);
}

void PtyBridge::close()
{
    m_readable.reset();
    m_writable.reset();
    m_remote.close();
    if (m_pty.master >= 0)
        ::close(m_pty.master);
    if (m_pty.slave >= 0)
        ::close(m_pty.slave);
    m_pty = serial::PtyPair();
    m_toServer.clear();
    m_toMaster.clear();
}

void PtyBridge::readMaster()
{
    char buffer[4096];
    QByteArray bytes;
    for (;;) {
        const ssize_t n = ::read(m_pty.master, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // drained (the bridge holds the slave open too, so no hang-up)
    }
    if (bytes.isEmpty())
        return;
    if (m_remote.isReady())
        m_remote.write(bytes);
    else
        m_toServer += bytes;
}

void PtyBridge::deliver(const QByteArray &bytes)
{
    m_toMaster += bytes;
    flushToMaster();
}

void PtyBridge::flushToMaster()
{
    while (!m_toMaster.isEmpty()) {
        const ssize_t n = ::write(m_pty.master, m_toMaster.constData(), size_t(m_toMaster.size()));
        if (n > 0) {
            m_toMaster.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // full: the rest goes when the reader has taken some
    }
    if (m_writable)
        m_writable->setEnabled(!m_toMaster.isEmpty());
}

void PtyBridge::end(const QString &reason)
{
    m_endReason = reason;
    // The port on the slave reads the hang-up as its device gone.
    close();
}

} // namespace network
