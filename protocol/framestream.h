// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Distance frames in the byte stream of a measurement. The window's distance
// field takes a chunk of exactly a frame's size for a frame, which works while
// every frame arrives in a read of its own; a reader that falls behind gets
// several frames in one read, and a line may deliver one in pieces. Every
// frame ends in CR LF, so the stream is cut into lines there and each line is
// read with the same frame rule (frameDistance); a line that does not give a
// distance of digits is no frame.

#include <QByteArray>
#include <QList>

namespace protocol {

class FrameStream
{
public:
    // The distances of the frames that `chunk` completes, in 0.1 mm as the
    // sensor sent them, without leading zeros ("0" for zero).
    QList<QByteArray> take(const QByteArray &chunk);

private:
    QByteArray m_line;
    // The line under way is already too long for a frame; only its end is
    // kept, to find where the next line starts.
    bool m_overlong = false;
};

} // namespace protocol
