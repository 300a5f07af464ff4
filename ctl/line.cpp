// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/line.h"

#include "network/remoteport.h"
#include "serial/advice.h"
#include "serial/portpreset.h"
#include "serial/link.h"
#include "serial/portaddress.h"

#include <QEventLoop>
#include <QTimer>

#include <climits>

namespace ctl {

Line::Line()
{
    QObject::connect(&m_port, &QSerialPort::readyRead, [this] { readChunk(); });
    QObject::connect(&m_port, &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) {
                         if (serial::isDeviceLost(error))
                             lose(serial::lostReason(m_port));
                     });
}

Line::~Line()
{
    m_port.close();
}

bool Line::open(const QString &path, int preset, bool fresh, QString *reason)
{
    m_path = path;
    if (serial::looksLikeAddress(path))
        return connectRemote(path, preset, reason);
    m_port.setPortName(path);
    serial::applyLinePreset(m_port, preset);
    if (!m_port.open(QIODevice::ReadWrite)) {
        *reason = serial::openProblem(path, m_port.error(), m_port.errorString());
        return false;
    }
    if (fresh)
        m_port.clear(QSerialPort::Input);
    return true;
}

bool Line::connectRemote(const QString &address, int preset, QString *reason)
{
    serial::PortAddress where;
    if (!serial::parsePortAddress(address, &where, reason))
        return false;
    m_remote = std::make_unique<network::RemotePort>();
    network::RemotePort &remote = *m_remote;
    // Some systems (Windows) report a refused connection from within
    // connectTo(), before the loop runs.
    QEventLoop connecting;
    int outcome = -1;
    remote.ready = [&] {
        outcome = 1;
        connecting.exit();
    };
    remote.failed = [&, reason](const QString &why) {
        *reason = why;
        outcome = 0;
        connecting.exit();
    };
    remote.connectTo(where, preset);
    if (outcome < 0)
        connecting.exec();
    const bool ready = outcome == 1;
    // What came while connecting is not passed on.
    remote.ready = nullptr;
    remote.failed = nullptr;
    remote.received = [this](const QByteArray &chunk) {
        if (received)
            received(chunk);
        if (m_done && m_done())
            endWait(End::Done);
    };
    remote.lost = [this](const QString &why) { lose(why); };
    return ready;
}

QString Line::path() const
{
    return m_path;
}

void Line::send(const QByteArray &bytes)
{
    if (m_lost)
        return;
    if (m_remote) {
        serial::traceWrite(bytes);
        if (m_remote->write(bytes) != bytes.size())
            lose("the connection is gone");
        return;
    }
    if (serial::tracedWrite(m_port, bytes) != bytes.size())
        lose(m_port.errorString());
}

Line::End Line::wait(qint64 ms, const std::function<bool()> &done)
{
    if (m_lost)
        return End::Lost;
    if (m_interrupted)
        return End::Interrupted;
    if (done && done())
        return End::Done;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, [this] { endWait(End::TimeUp); });
    if (ms >= 0)
        deadline.start(int(qMin<qint64>(ms, INT_MAX)));
    m_loop = &loop;
    m_done = done;
    const End end = End(loop.exec());
    m_loop = nullptr;
    m_done = nullptr;
    return end;
}

bool Line::setsLine() const
{
    return !m_remote || m_remote->setsLine();
}

bool Line::setPreset(int preset)
{
    if (m_remote)
        return m_remote->setPreset(preset);
    serial::applyLinePreset(m_port, preset);
    return true;
}

void Line::release()
{
    endWait(End::Done);
}

void Line::interrupt()
{
    m_interrupted = true;
    endWait(End::Interrupted);
}

void Line::drain()
{
    if (m_remote) {
        while (!m_lost && m_remote->bytesToWrite() > 0 && m_remote->waitForBytesWritten(1000)) {
        }
        return;
    }
    while (!m_lost && m_port.bytesToWrite() > 0 && m_port.waitForBytesWritten(1000)) {
    }
}

void Line::readChunk()
{
    const QByteArray chunk = m_port.readAll();
    if (received)
        received(chunk);
    if (m_done && m_done())
        endWait(End::Done);
}

void Line::lose(const QString &reason)
{
    if (m_lost)
        return;
    m_lost = true;
    m_lostReason = reason;
    endWait(End::Lost);
}

void Line::endWait(End end)
{
    if (m_loop)
        m_loop->exit(int(end));
}

} // namespace ctl
