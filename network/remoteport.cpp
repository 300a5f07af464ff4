// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/remoteport.h"

#include <QLoggingCategory>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace network {

namespace {
Q_LOGGING_CATEGORY(lcNet, "orvante.net", QtInfoMsg)

// While the line settings are negotiated, every segment from the server is
// acknowledged at once. ser2net answers some replies with a short packet of
// its own and holds what follows until that one is acknowledged (Nagle);
// this side's delayed acknowledgement would otherwise add 40 ms to connect.
void acknowledgeAtOnce(QTcpSocket &socket)
{
#ifdef Q_OS_LINUX
    const int one = 1;
    ::setsockopt(int(socket.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
#else
    Q_UNUSED(socket)
#endif
}
} // namespace

RemotePort::RemotePort()
{
    m_deadline.setSingleShot(true);
    QObject::connect(&m_deadline, &QTimer::timeout, [this] {
        if (m_socket.state() != QAbstractSocket::ConnectedState)
            fail(QString("no answer to connect within %1 s; check the address and that the "
                         "device server is on the network")
                     .arg(kConnectMs / 1000));
        else
            fail(QString("%1 did not confirm the line settings within %2 s; is it an RFC 2217 "
                         "port (telnet(rfc2217) in ser2net)? For a raw port use tcp://")
                     .arg(m_address.endpoint())
                     .arg(kConnectMs / 1000));
    });
    QObject::connect(&m_socket, &QTcpSocket::connected, [this] {
        qCDebug(lcNet) << "connected to" << m_address.endpoint();
        // Commands are short and a measurement's frames are small: each goes at once.
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (m_telnet) {
            acknowledgeAtOnce(m_socket);
            m_socket.write(m_telnet->start());
        }
        settle();
    });
    QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { readSocket(); });
    QObject::connect(&m_socket, &QAbstractSocket::errorOccurred,
                     [this](QAbstractSocket::SocketError error) { socketError(error); });
}

RemotePort::~RemotePort()
{
    close();
}

void RemotePort::connectTo(const serial::PortAddress &address, int preset)
{
    m_address = address;
    m_ready = m_ended = false;
    m_telnet.reset();
    if (setsLine()) {
        m_telnet = std::make_unique<serial::ComPortOption>();
        // Waits for the server's agreement inside the codec.
        m_telnet->request(preset);
    }
    m_deadline.start(kConnectMs);
    m_socket.connectToHost(address.host, address.port);
}

bool RemotePort::setPreset(int preset)
{
    if (!m_telnet)
        return false;
    const QByteArray request = m_telnet->request(preset);
    if (!request.isEmpty() && m_socket.state() == QAbstractSocket::ConnectedState)
        m_socket.write(request);
    return true;
}

qint64 RemotePort::write(const QByteArray &bytes)
{
    if (m_ended || m_socket.state() != QAbstractSocket::ConnectedState)
        return -1;
    if (m_socket.write(m_telnet ? serial::ComPortOption::escape(bytes) : bytes) < 0)
        return -1;
    return bytes.size();
}

qint64 RemotePort::bytesToWrite() const
{
    return m_socket.bytesToWrite();
}

bool RemotePort::waitForBytesWritten(int ms)
{
    return m_socket.waitForBytesWritten(ms);
}

void RemotePort::close()
{
    m_ended = true;
    m_deadline.stop();
    m_socket.abort();
}

void RemotePort::readSocket()
{
    const QByteArray chunk = m_socket.readAll();
    QByteArray data;
    if (m_telnet) {
        if (!m_ready)
            acknowledgeAtOnce(m_socket); // the quick mode ends by itself; renewed per read
        QByteArray reply;
        m_telnet->take(chunk, &data, &reply);
        if (!reply.isEmpty())
            m_socket.write(reply);
        settle();
    } else {
        data = chunk;
    }
    if (!data.isEmpty() && received && !m_ended)
        received(data);
}

void RemotePort::settle()
{
    if (m_ended)
        return;
    if (m_telnet && !m_telnet->problem().isEmpty()) {
        const QString problem = m_telnet->problem();
        if (m_ready) {
            close();
            if (lost)
                lost(problem);
        } else {
            fail(problem);
        }
        return;
    }
    if (m_ready || m_socket.state() != QAbstractSocket::ConnectedState ||
        (m_telnet && !m_telnet->settled()))
        return;
    m_deadline.stop();
    m_ready = true;
    if (ready)
        ready();
}

void RemotePort::socketError(QAbstractSocket::SocketError error)
{
    if (m_ended)
        return;
    const QString endpoint = m_address.endpoint();
    QString reason;
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        reason = QString("connection refused; is ser2net or the device server listening on %1?")
                     .arg(endpoint);
        break;
    case QAbstractSocket::HostNotFoundError:
        reason = QString("host name %1 not found (%2); check the name")
                     .arg(m_address.host, m_socket.errorString());
        break;
    case QAbstractSocket::RemoteHostClosedError:
        reason = QString("the connection was closed by %1").arg(endpoint);
        break;
    default:
        reason = QString("%1 (%2)").arg(m_socket.errorString(), endpoint);
        break;
    }
    qCDebug(lcNet) << "socket error" << error << reason;
    if (!m_ready) {
        fail(reason);
        return;
    }
    close();
    if (lost)
        lost(reason);
}

void RemotePort::fail(const QString &reason)
{
    close();
    if (failed)
        failed(reason);
}

} // namespace network
