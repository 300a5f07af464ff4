// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A sensor's line reached through a serial device server over TCP: raw
// (tcp://, the server's own line settings) or with COM-PORT-OPTION
// (rfc2217://, this end sets the line preset). Connecting, the line's bytes
// both ways and the connection's end, told through callbacks on the event
// loop; nothing here blocks.

#include "serial/comportoption.h"
#include "serial/portaddress.h"

#include <QByteArray>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <memory>

namespace network {

class RemotePort
{
public:
    // How long the server has to accept the connection and, with RFC 2217,
    // to confirm the line settings.
    static constexpr int kConnectMs = 5000;

    RemotePort();
    ~RemotePort();
    RemotePort(const RemotePort &) = delete;
    RemotePort &operator=(const RemotePort &) = delete;

    // Starts connecting; `ready` or `failed` follows.
    void connectTo(const serial::PortAddress &address, int preset);
    // Connected, and with RFC 2217 the line set to the preset.
    std::function<void()> ready;
    // Never got there: why, and what to do.
    std::function<void(const QString &reason)> failed;
    // Gone after being ready (closed by the server, the network, a value the
    // server refused later).
    std::function<void(const QString &reason)> lost;
    // The line's bytes, as they come.
    std::function<void(const QByteArray &bytes)> received;

    bool isReady() const { return m_ready; }
    const serial::PortAddress &address() const { return m_address; }

    // Whether this end sets the line (rfc2217://); raw TCP cannot.
    bool setsLine() const { return m_address.kind == serial::PortAddress::Rfc2217; }
    // Asks the server for line preset `preset`; false where the line's
    // settings are the server's (raw TCP).
    bool setPreset(int preset);

    // Returns the number of bytes taken (all of them while connected, else -1).
    qint64 write(const QByteArray &bytes);
    qint64 bytesToWrite() const;
    bool waitForBytesWritten(int ms);
    void close();

private:
    void readSocket();
    void socketError(QAbstractSocket::SocketError error);
    void settle();
    void fail(const QString &reason);

    serial::PortAddress m_address;
    QTcpSocket m_socket;
    QTimer m_deadline;
    std::unique_ptr<serial::ComPortOption> m_telnet;
    bool m_ready = false;
    bool m_ended = false;
};

} // namespace network
