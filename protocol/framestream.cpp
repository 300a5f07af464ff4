// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/framestream.h"

#include "protocol/answers.h"
#include "protocol/commands.h"

namespace protocol {

QList<QByteArray> FrameStream::take(const QByteArray &chunk)
{
    QList<QByteArray> distances;
    m_line += chunk;
    for (const QByteArray &line : takeLines(m_line)) {
        if (m_overlong) {
            m_overlong = false;
            continue;
        }
        QByteArray distance;
        if (frameDistance(line, &distance) && isDistanceText(distance))
            distances.append(distance.isEmpty() ? QByteArrayLiteral("0") : distance);
    }
    // Data without line ends (a wrong line preset) must not pile up.
    if (m_line.size() > kLongFrameSize) {
        m_overlong = true;
        m_line = m_line.right(1); // a CR whose LF is still to come
    }
    return distances;
}

} // namespace protocol
