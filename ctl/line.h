// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The serial line to the sensor for one run of orvante-ctl: opened with one
// of the eight line presets, written command by command, and read chunk by
// chunk while the caller waits on the event loop. The port is a serial device
// or a device server's address (serial/portaddress.h); the commands see no
// difference.

#include <QByteArray>
#include <QSerialPort>
#include <QString>

#include <functional>
#include <memory>

class QEventLoop;

namespace network {
class RemotePort;
}

namespace ctl {

class Line
{
public:
    enum class End { Done, TimeUp, Lost, Interrupted };

    Line();
    ~Line();
    Line(const Line &) = delete;
    Line &operator=(const Line &) = delete;

    // Opens `path` with line preset `preset` (0..7); if it does not open,
    // `reason` says why and what to do (serial::openProblem, or the network's
    // reason). A network address is connected here, waiting on the event loop
    // at most network::RemotePort::kConnectMs. With `fresh`, bytes
    // already waiting are dropped: they were sent before this run asked
    // anything (the tail of an earlier run's answer, frames of a measurement
    // left running), and an answer is only what follows its command.
    bool open(const QString &path, int preset, bool fresh, QString *reason);
    QString path() const;

    // One write, traced on lcTx (serial::tracedWrite). A
    // write the port refuses loses the line; once lost, nothing is written.
    void send(const QByteArray &bytes);

    // Called with every chunk read from the port, when it is read.
    std::function<void(const QByteArray &)> received;

    // Runs the event loop until `done` holds (asked after every chunk), `ms`
    // milliseconds have passed (negative: no limit), the line is lost, or
    // interrupt() is called.
    End wait(qint64 ms, const std::function<bool()> &done = {});

    // Goes over to line preset `preset` (0..7) on the open port. False where
    // the port's line settings are not this end's to set (raw TCP: the
    // server's).
    bool setPreset(int preset);
    // Whether the port is reached over the network.
    bool isRemote() const { return m_remote != nullptr; }
    // Whether this end sets the line's preset (not so over raw TCP).
    bool setsLine() const;

    // Ends the current wait, if any, with Done.
    void release();

    // Ends the current wait, and any later one at once, with Interrupted.
    void interrupt();

    bool isLost() const { return m_lost; }
    QString lostReason() const { return m_lostReason; }

    // Waits until everything sent has left for the line (not when lost).
    void drain();

private:
    void readChunk();
    void lose(const QString &reason);
    void endWait(End end);

    bool connectRemote(const QString &address, int preset, QString *reason);

    QSerialPort m_port;
    std::unique_ptr<network::RemotePort> m_remote;
    QEventLoop *m_loop = nullptr;
    std::function<bool()> m_done;
    bool m_lost = false;
    bool m_interrupted = false;
    QString m_lostReason;
    QString m_path;
};

} // namespace ctl
