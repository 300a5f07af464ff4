// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The client's half of Telnet with COM-PORT-OPTION (RFC 2217), as bytes only:
// what to offer on connect, how to ask the server for a line preset, what of
// the server's stream is the line's data, and whether the server confirmed
// each value. No socket here; the network port feeds it.

#include <QByteArray>
#include <QMap>
#include <QString>

namespace serial {

class ComPortOption
{
public:
    // What the client offers at once: binary both ways, COM-PORT-OPTION.
    QByteArray start();

    // Asks the server for line preset `preset` (0..7): speed, data size,
    // parity, one stop bit, no flow control. Returns what to send now; until
    // the server has agreed to the option the request waits and goes out
    // with the reply to its agreement.
    QByteArray request(int preset);

    // Reads a chunk from the server (a command may be split anywhere): the
    // line's bytes are appended to `data`, with doubled 0xFF undoubled, and
    // the answers the negotiation calls for to `reply`.
    void take(const QByteArray &chunk, QByteArray *data, QByteArray *reply);

    // The line's bytes as they go to the server: 0xFF doubled.
    static QByteArray escape(const QByteArray &data);

    // The option agreed and every value asked for confirmed as asked.
    bool settled() const { return m_agreed && m_awaited.isEmpty() && m_problem.isEmpty(); }
    // What the server refused (the option or a value), empty while nothing was.
    QString problem() const { return m_problem; }

private:
    enum class Read { Data, Command, Option, Sub, SubCommand };
    void negotiate(quint8 verb, quint8 option, QByteArray *reply);
    void confirm(const QByteArray &sub);
    QByteArray subnegotiation(quint8 code, const QByteArray &value) const;

    Read m_read = Read::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    // Options in force, on the client's side and on the server's, and those
    // the client asked for itself (whose agreement needs no answer).
    QMap<quint8, bool> m_ours, m_theirs, m_offered, m_asked;
    bool m_agreed = false;
    QByteArray m_waiting;               // requests made before the server agreed
    QMap<quint8, QByteArray> m_awaited; // set command -> value the confirmation must carry
    QString m_problem;
};

} // namespace serial
