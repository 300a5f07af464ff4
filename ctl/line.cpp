// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/line.h"

#include "serial/advice.h"
#include "serial/linepresets.h"
#include "serial/link.h"

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

QString Line::path() const
{
    return m_path;
}

void Line::send(const QByteArray &bytes)
{
    if (m_lost)
        return;
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

void Line::setPreset(int preset)
{
    serial::applyLinePreset(m_port, preset);
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
