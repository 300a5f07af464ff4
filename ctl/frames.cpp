#include "ctl/frames.h"

#include "protocol/answers.h"
#include "protocol/commands.h"

namespace ctl {

namespace {
// The longest chunk the window reads as a frame.
constexpr int kLongestFrame = 26;
} // namespace

QList<QByteArray> FrameStream::take(const QByteArray &chunk)
{
    QList<QByteArray> distances;
    m_line += chunk;
    for (const QByteArray &line : protocol::takeLines(m_line)) {
        if (m_overlong) {
            m_overlong = false;
            continue;
        }
        QByteArray distance;
        if (protocol::frameDistance(line, &distance) && protocol::isDistanceText(distance))
            distances.append(distance.isEmpty() ? QByteArrayLiteral("0") : distance);
    }
    // Data without line ends (a wrong line preset) must not pile up.
    if (m_line.size() > kLongestFrame) {
        m_overlong = true;
        m_line = m_line.right(1); // a CR whose LF is still to come
    }
    return distances;
}

} // namespace ctl
