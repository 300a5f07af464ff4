// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/comportoption.h"

#include "protocol/linepresets.h"

#include <QtEndian>

namespace serial {

namespace {

enum : quint8 {
    SE = 240,
    SB = 250,
    WILL = 251,
    WONT = 252,
    DO = 253,
    DONT = 254,
    IAC = 255,
};
enum : quint8 { Binary = 0, SuppressGoAhead = 3, ComPort = 44 };
// Client-to-server commands; the server answers each with its code + 100.
enum : quint8 { SetBaudRate = 1, SetDataSize = 2, SetParity = 3, SetStopSize = 4, SetControl = 5 };
constexpr quint8 kServerOffset = 100;

QByteArray bytes(std::initializer_list<quint8> list)
{
    QByteArray out;
    for (quint8 b : list)
        out.append(char(b));
    return out;
}

QString settingName(quint8 command)
{
    switch (command) {
    case SetBaudRate:
        return "speed";
    case SetDataSize:
        return "data size";
    case SetParity:
        return "parity";
    case SetStopSize:
        return "stop bits";
    default:
        return "flow control";
    }
}

QString valueText(quint8 command, const QByteArray &value)
{
    if (command == SetBaudRate && value.size() == 4)
        return QString::number(qFromBigEndian<quint32>(value.constData()));
    return value.isEmpty() ? QString("nothing") : QString::number(quint8(value.at(0)));
}

} // namespace

QByteArray ComPortOption::start()
{
    m_offered[Binary] = m_asked[Binary] = m_offered[ComPort] = true;
    return bytes({IAC, WILL, Binary, IAC, DO, Binary, IAC, WILL, ComPort});
}

QByteArray ComPortOption::request(int preset)
{
    if (!protocol::isLinePreset(preset))
        return QByteArray();
    const protocol::LinePreset &p = protocol::kLinePresets[preset];
    char baud[4];
    qToBigEndian<quint32>(quint32(p.baudRate), baud);
    const QList<QPair<quint8, QByteArray>> sets = {
        {SetBaudRate, QByteArray(baud, 4)},
        {SetDataSize, bytes({quint8(p.dataBits)})},
        {SetParity, bytes({quint8(p.parity == 'E' ? 3 : 1)})},
        {SetStopSize, bytes({1})},
        {SetControl, bytes({1})}, // no flow control
    };
    QByteArray out;
    for (const auto &set : sets) {
        m_awaited[set.first] = set.second;
        out += subnegotiation(set.first, set.second);
    }
    if (m_agreed)
        return out;
    m_waiting += out;
    return QByteArray();
}

QByteArray ComPortOption::subnegotiation(quint8 code, const QByteArray &value) const
{
    return bytes({IAC, SB, ComPort, code}) + escape(value) + bytes({IAC, SE});
}

QByteArray ComPortOption::escape(const QByteArray &data)
{
    if (!data.contains(char(IAC)))
        return data;
    QByteArray out;
    out.reserve(data.size() + 16);
    for (char c : data) {
        out.append(c);
        if (quint8(c) == IAC)
            out.append(c);
    }
    return out;
}

void ComPortOption::take(const QByteArray &chunk, QByteArray *data, QByteArray *reply)
{
    // The common case at line rate: nothing but the line's bytes.
    if (m_read == Read::Data && !chunk.contains(char(IAC))) {
        data->append(chunk);
        return;
    }
    for (char c : chunk) {
        const quint8 b = quint8(c);
        switch (m_read) {
        case Read::Data:
            if (b == IAC)
                m_read = Read::Command;
            else
                data->append(c);
            break;
        case Read::Command:
            m_read = Read::Data;
            if (b == IAC) {
                data->append(c);
            } else if (b == SB) {
                m_sub.clear();
                m_read = Read::Sub;
            } else if (b >= WILL && b <= DONT) {
                m_verb = b;
                m_read = Read::Option;
            } // other commands (NOP, GA, ...) carry nothing for the line
            break;
        case Read::Option:
            negotiate(m_verb, b, reply);
            m_read = Read::Data;
            break;
        case Read::Sub:
            if (b == IAC)
                m_read = Read::SubCommand;
            else
                m_sub.append(c);
            break;
        case Read::SubCommand:
            if (b == IAC) {
                m_sub.append(c);
                m_read = Read::Sub;
            } else {
                // IAC SE, or a malformed end that closes it all the same.
                if (m_sub.size() >= 2 && quint8(m_sub.at(0)) == ComPort)
                    confirm(m_sub.mid(1));
                m_read = Read::Data;
            }
            break;
        }
    }
}

void ComPortOption::negotiate(quint8 verb, quint8 option, QByteArray *reply)
{
    const bool wantOurs = option == Binary || option == SuppressGoAhead || option == ComPort;
    const bool wantTheirs = option == Binary || option == SuppressGoAhead;
    switch (verb) {
    case DO:
        if (!wantOurs) {
            *reply += bytes({IAC, WONT, option});
        } else if (!m_ours.value(option)) {
            m_ours[option] = true;
            if (!m_offered.value(option))
                *reply += bytes({IAC, WILL, option});
            if (option == ComPort) {
                m_agreed = true;
                *reply += m_waiting;
                m_waiting.clear();
            }
        }
        break;
    case DONT:
        if (option == ComPort)
            m_problem = "the server does not offer COM-PORT-OPTION (RFC 2217) on this port; use "
                        "tcp:// for a raw port";
        if (m_ours.value(option) || m_offered.value(option)) {
            m_ours[option] = m_offered[option] = false;
            *reply += bytes({IAC, WONT, option});
        }
        break;
    case WILL:
        if (!wantTheirs) {
            *reply += bytes({IAC, DONT, option});
        } else if (!m_theirs.value(option)) {
            m_theirs[option] = true;
            if (!m_asked.value(option))
                *reply += bytes({IAC, DO, option});
        }
        break;
    case WONT:
        if (m_theirs.value(option) || m_asked.value(option)) {
            m_theirs[option] = m_asked[option] = false;
            *reply += bytes({IAC, DONT, option});
        }
        break;
    }
}

void ComPortOption::confirm(const QByteArray &sub)
{
    const quint8 code = quint8(sub.at(0));
    if (code <= kServerOffset)
        return;
    const quint8 command = quint8(code - kServerOffset);
    const auto awaited = m_awaited.find(command);
    // Notifications (line and modem state, flow suspended) ask nothing of the client.
    if (awaited == m_awaited.end())
        return;
    const QByteArray value = sub.mid(1);
    if (value != awaited.value() && m_problem.isEmpty())
        m_problem = QString("the server set the %1 to %2, not the %3 asked for")
                        .arg(settingName(command), valueText(command, value),
                             valueText(command, awaited.value()));
    m_awaited.erase(awaited);
}

} // namespace serial
