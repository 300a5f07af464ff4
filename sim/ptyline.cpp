// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ptyline.h"

#include "protocol/linepresets.h"
#include "serial/ptypair.h"
#include "sim/speedmismatch.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {
// The speed the slave is left at while no program has it open: QSerialPort
// puts back on close what it found on open, so this speed says the program
// has gone. No preset uses it.
constexpr speed_t kIdleSpeed = B50;
} // namespace

bool PtyLine::open(int preset, QString *error)
{
    m_preset = preset;
    serial::PtyPair pair;
    if (!serial::openPtyPair(&pair, error))
        return false;
    // Left at a speed no preset uses until a program opens it.
    termios tio;
    if (::tcgetattr(pair.slave, &tio) == 0) {
        ::cfsetspeed(&tio, kIdleSpeed);
        ::tcsetattr(pair.slave, TCSANOW, &tio);
    }
    ::close(pair.slave);
    m_master = pair.master;
    m_slavePath = pair.slavePath;

    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readAvailable(); });
    m_peerPoll.setInterval(20);
    QObject::connect(&m_peerPoll, &QTimer::timeout, [this] { checkPeer(); });
    checkPeer();
    return true;
}

qint64 PtyLine::write(const QByteArray &sent)
{
    if (!listening())
        return 0;
    QByteArray bytes = sent;
    const int readBaud = programBaud();
    if (readBaud != sensorBaud()) {
        const protocol::LinePreset &format = protocol::kLinePresets[m_preset];
        // At a speed the line cannot tell, the program gets nothing it could use.
        bytes = readBaud == 0
                    ? QByteArray()
                    : acrossSpeeds(sent, sensorBaud(), readBaud, format.dataBits, format.parity);
        if (noted)
            noted(QStringLiteral("sent at %1 baud, read at %2: %3 bytes arrive")
                      .arg(sensorBaud())
                      .arg(readBaud)
                      .arg(bytes.size()));
    }
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
    // What was garbled on the way counts as taken.
    return done == bytes.size() ? sent.size() : qMin<qint64>(done, sent.size());
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
    bool hungUp = false;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            data.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        hungUp = n < 0 && errno == EIO; // the last holder of the slave closed it
        break;
    }
    // Looked at before answering: the program may have set another speed since.
    const int sentBaud = programBaud();
    if (!data.isEmpty() && sentBaud != sensorBaud()) {
        if (noted)
            noted(QStringLiteral("%1 bytes sent at %2 baud not made out at %3")
                      .arg(data.size())
                      .arg(sentBaud)
                      .arg(sensorBaud()));
    } else if (!data.isEmpty() && received) {
        received(data);
    }
    if (hungUp)
        setPeerPresent(false);
}

int PtyLine::programBaud()
{
    termios tio;
    if (::tcgetattr(m_master, &tio) != 0)
        return 0;
    const speed_t speed = ::cfgetospeed(&tio);
    // Closed since: what is still unread was sent at the speed it had.
    if (speed == kIdleSpeed)
        return m_programBaud;
    const struct
    {
        speed_t code;
        int baud;
    } speeds[] = {{B1200, 1200},   {B2400, 2400},     {B4800, 4800},
                  {B9600, 9600},   {B19200, 19200},   {B38400, 38400},
                  {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};
    m_programBaud = 0;
    for (const auto &known : speeds) {
        if (known.code == speed)
            m_programBaud = known.baud;
    }
    return m_programBaud;
}

int PtyLine::sensorBaud() const
{
    return protocol::kLinePresets[m_preset].baudRate;
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
    m_programBaud = 0;
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
