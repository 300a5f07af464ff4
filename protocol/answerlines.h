// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The lines the sensor sent after a write, for the settings that its next
// line decides (automatic measurement, analog range). The bytes are read as
// one stream, whatever reads the line cut them into, and distance frames are
// passed over: a measurement may stream them before and after the answer,
// and a write may go out in the middle of one, whose rest then comes first.

#include <QByteArray>
#include <QList>

namespace protocol {

class AnswerLines
{
public:
    // `sinceWrite`: every byte received after the write, in order.
    explicit AnswerLines(const QByteArray &sinceWrite);

    // The lines that are no distance frame, each without its CR LF, in the
    // order they came; the last may be unfinished.
    const QList<QByteArray> &lines() const { return m_lines; }
    // Whether line `i` is the last and has not ended yet, and whether, so
    // far, that one may still become a frame (and be passed over after all).
    bool unfinished(int i) const { return m_unfinished && i == m_lines.size() - 1; }
    bool lastMayBeFrame() const { return m_mayBeFrame; }

private:
    QList<QByteArray> m_lines;
    bool m_unfinished = false;
    bool m_mayBeFrame = false;
};

} // namespace protocol
