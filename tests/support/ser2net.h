// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A real ser2net in front of one serial device, on two free TCP ports: one
// with RFC 2217 (telnet(rfc2217)), one raw, both at 9600 8N1 until a client
// sets otherwise. It runs in the foreground as a process of its own and is
// stopped by its PID.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class Ser2net
{
public:
    static bool installed();

    // Starts it in front of `device`; true once both ports listen.
    bool start(const QString &device);
    // Stops it (SIGTERM) and waits for it to end.
    bool stop();

    QString rfc2217() const; // rfc2217://localhost:PORT
    QString tcp() const;     // tcp://localhost:PORT
    quint16 rfc2217Port() const { return m_rfcPort; }

private:
    bool startOnFreePorts(const QString &device);

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_rfcPort = 0;
    quint16 m_tcpPort = 0;
};
