// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/line.h"

#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace sim {

// The master side of a pseudo-terminal. Nobody listens while no process holds
// the slave open; answers sent then are dropped, as on a real line whose other
// end is closed.
//
// The sensor keeps its line preset; the program's end keeps the speed the
// program set on the slave, which the master can read (its character size and
// parity it cannot: the pty driver reports 8 bits without parity whatever was
// asked). While the two speeds differ, what the sensor sends arrives as a
// real line would carry it (acrossSpeeds): garbled, or not at all; what it is
// sent it cannot make out, and drops, so that the first command at the right
// speed is understood again.
class PtyLine : public Line
{
public:
    ~PtyLine() override { close(); }

    bool open(int preset, QString *error);

    QString slavePath() const { return m_slavePath; }
    bool listening() const override { return m_master >= 0 && m_peerPresent; }
    qint64 write(const QByteArray &bytes) override;
    void close() override;
    void followPreset(int preset) override { m_preset = preset; }

private:
    void readAvailable();
    // A master reports a hang-up for as long as nobody holds the slave open.
    void checkPeer();
    void setPeerPresent(bool present);
    // What the last peer left unread would reach the next one, which a real
    // line would never deliver.
    void discardUnread();
    // The speed the program's end is set to now, or was while the program
    // last had it open; 0 when unknown.
    int programBaud();
    int sensorBaud() const;

    int m_master = -1;
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_peerPoll;
    bool m_peerPresent = false;
    bool m_started = false;
    int m_preset = 0;
    int m_programBaud = 0;
};

} // namespace sim
