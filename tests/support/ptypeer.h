// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Plays the sensor's side of a serial line: a pseudo-terminal pair whose slave
// path the program opens like any serial port, while the test reads what the
// program wrote and writes answers on the master.

#include <QByteArray>
#include <QString>

#include <termios.h>

class PtyPeer
{
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString path() const { return m_path; }

    // Everything the program has written so far (reads the master without
    // blocking, so it suits QTRY_COMPARE).
    QByteArray received();
    // Forgets what was received up to now.
    void clearReceived();

    // Sensor answers. Only write after the program has opened the port.
    bool write(const QByteArray &bytes);

    // The line settings the device has now.
    termios attributes() const;
    // The first settings asked for on this device through tcsetattr since
    // forgetRequested(). The pty driver keeps itself at 8 bits without parity
    // whatever it is asked (and later read-modify-write calls echo that back),
    // so this is where the program's character size and parity can be seen.
    bool requestedAttributes(termios *attrs) const;
    void forgetRequested();

    // What an unplugged adapter looks like to the program.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QByteArray m_received;
};
