// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/framestream.h"

#include "protocol/answers.h"
#include "protocol/commands.h"

namespace protocol {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether the bytes of a frame from position `at` on may be `bytes`: from
// byte 3 digits up to the first CR (the distance), CR LF at the end.
bool mayBeFrameFrom(const QByteArray &bytes, int at)
{
    bool distanceEnded = false;
    for (int i = 0; i < bytes.size(); ++i) {
        const int position = at + i;
        const char c = bytes.at(i);
        if (position >= kFrameSize || (position == kFrameSize - 2 && c != '\r') ||
            (position == kFrameSize - 1 && c != '\n'))
            return false;
        if (position < 3 || distanceEnded)
            continue;
        if (c == '\r')
            distanceEnded = true;
        else if (!isDigit(c))
            return false;
    }
    return true;
}

} // namespace

bool isFrameLine(const QByteArray &line, QByteArray *distance)
{
    QByteArray text;
    if (line.size() != kFrameSize || !line.endsWith("\r\n") || !frameDistance(line, &text) ||
        !isDistanceText(text))
        return false;
    if (distance)
        *distance = text;
    return true;
}

bool mayBecomeFrame(const QByteArray &unfinished)
{
    return unfinished.size() < kFrameSize && mayBeFrameFrom(unfinished, 0);
}

bool mayEndFrame(const QByteArray &line)
{
    return line.size() <= kFrameSize && line.endsWith("\r\n") &&
           mayBeFrameFrom(line, kFrameSize - line.size());
}

bool mayContinueFrame(const QByteArray &unfinished)
{
    for (int at = 0; at + unfinished.size() < kFrameSize; ++at) {
        if (mayBeFrameFrom(unfinished, at))
            return true;
    }
    return false;
}

QList<QByteArray> FrameStream::take(const QByteArray &chunk, QByteArray *notFrame)
{
    QList<QByteArray> distances;
    m_line += chunk;
    const auto noFrame = [notFrame](const QByteArray &line) {
        if (notFrame && notFrame->isEmpty())
            *notFrame = line;
    };
    if (notFrame)
        notFrame->clear();
    for (const QByteArray &line : takeLines(m_line)) {
        if (m_overlong) {
            m_overlong = false;
            continue;
        }
        QByteArray distance;
        if (isFrameLine(line, &distance))
            distances.append(distance.isEmpty() ? QByteArrayLiteral("0") : distance);
        else
            noFrame(line);
    }
    // Data without line ends (a wrong line preset) must not pile up.
    if (m_line.size() > kLongFrameSize) {
        if (!m_overlong)
            noFrame(m_line);
        m_overlong = true;
        m_line = m_line.right(1); // a CR whose LF is still to come
    }
    return distances;
}

} // namespace protocol
