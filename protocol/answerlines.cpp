// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/answerlines.h"

#include "protocol/answers.h"
#include "protocol/framestream.h"

namespace protocol {

AnswerLines::AnswerLines(const QByteArray &sinceWrite)
{
    QByteArray rest = sinceWrite;
    const QList<QByteArray> whole = takeLines(rest);
    for (int i = 0; i < whole.size(); ++i) {
        const QByteArray &line = whole.at(i);
        if (isFrameLine(line) || (i == 0 && mayEndFrame(line)))
            continue;
        m_lines.append(line.left(line.size() - 2));
    }
    if (rest.isEmpty())
        return;
    m_unfinished = true;
    // With no whole line yet, the bytes may still be the rest of a frame.
    m_mayBeFrame = mayBecomeFrame(rest) || (whole.isEmpty() && mayContinueFrame(rest));
    m_lines.append(rest);
}

} // namespace protocol
