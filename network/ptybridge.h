// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A device server's port made a local serial device: a pseudo-terminal whose
// slave a QSerialPort opens like any port, and whose master this bridge
// joins to the network connection, both ways. The line preset goes to the
// server (RFC 2217) when the owner says so: a pseudo-terminal reports every
// character format as 8 bits without parity, so its settings cannot tell.
// When the connection fails or drops, the master is closed, and the port
// object on the slave sees its device go away as an unplugged adapter.

#include "network/remoteport.h"
#include "serial/ptypair.h"

#include <QByteArray>
#include <QSocketNotifier>

#include <memory>

namespace network {

class PtyBridge
{
public:
    PtyBridge() = default;
    ~PtyBridge();
    PtyBridge(const PtyBridge &) = delete;
    PtyBridge &operator=(const PtyBridge &) = delete;

    // Makes the pseudo-terminal and starts connecting; the slave can be
    // opened at once (what is written before the connection is up waits).
    bool open(const serial::PortAddress &address, int preset, QString *error);
    QString devicePath() const { return m_pty.slavePath; }
    bool isOpen() const { return m_pty.master >= 0; }
    // Why the connection failed or ended; empty while it stands.
    QString endReason() const { return m_endReason; }

    // The line preset the port on the slave was just set to.
    void followPreset(int preset);
    void close();

private:
    void readMaster();
    void deliver(const QByteArray &bytes);
    void flushToMaster();
    void end(const QString &reason);

    serial::PtyPair m_pty;
    RemotePort m_remote;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QByteArray m_toServer; // written before the connection was ready
    QByteArray m_toMaster; // what the master could not take yet
    QString m_endReason;
};

} // namespace network
