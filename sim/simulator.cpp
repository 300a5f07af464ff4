// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulator.h"

#include <climits>
#include <cstdio>

namespace sim {

namespace {

// Bytes as a log line shows them: CR, LF, backslash and the unprintable ones
// escaped.
QByteArray printable(const QByteArray &bytes)
{
    QByteArray out;
    for (unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c >= 0x20 && c < 0x7f)
            out += char(c);
        else
            out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
    }
    return out;
}

} // namespace

Simulator::Simulator(const SensorModel::Options &options, Line *line, bool verbose)
    : m_model(options), m_line(line), m_verbose(verbose)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { pump(); });
    m_line->noted = [this](const QString &what) {
        if (m_verbose)
            std::fprintf(stderr, "line: %s\n", qPrintable(what));
    };
    m_line->received = [this](const QByteArray &bytes) {
        syncClock();
        log("rx", bytes);
        m_model.receive(bytes);
        pump();
    };
}

void Simulator::log(const char *what, const QByteArray &bytes) const
{
    if (m_verbose && !bytes.isEmpty())
        std::fprintf(stderr, "%s %d: %s\n", what, int(bytes.size()), printable(bytes).constData());
}

void Simulator::pump()
{
    syncClock();
    const QByteArray out = m_model.takeOutput();
    if (!out.isEmpty() && !m_line->listening()) {
        log("unheard", out);
    } else if (!out.isEmpty()) {
        const int sent = int(m_line->write(out));
        log("tx", out.left(sent));
        log("lost", out.mid(sent));
    }
    if (!m_model.hasPendingOutput())
        m_line->followPreset(m_model.linePreset());
    if (m_model.lineDropped()) {
        m_line->close();
        if (m_verbose)
            std::fprintf(stderr, "line dropped\n");
        if (dropped)
            dropped();
        return;
    }
    const qint64 next = m_model.msUntilNextEvent();
    if (next >= 0)
        m_timer.start(int(qMin<qint64>(next, INT_MAX)));
    else
        m_timer.stop();
}

} // namespace sim
