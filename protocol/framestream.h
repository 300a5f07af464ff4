// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Distance frames in the byte stream of a measurement. A read may hold part
// of a frame, one, or several: a reader that falls behind gets several frames
// at once, and a line may deliver one in pieces. Every frame ends in CR LF,
// so the stream is cut into lines there, and a line is a frame when it has a
// frame's size and the frame rule (frameDistance) reads digits from it.

#include <QByteArray>
#include <QList>

namespace protocol {

// A whole line (CR LF included) that is a distance frame: true, and its
// distance text in `distance` (leading zeros dropped, so zero is empty).
bool isFrameLine(const QByteArray &line, QByteArray *distance = nullptr);
// Whether bytes without their line end yet may still become a frame.
bool mayBecomeFrame(const QByteArray &unfinished);
// Whether a whole line may be the rest of a frame whose beginning came
// before it (a read cut it, or a write went out in the middle of it), and
// whether bytes without their line end yet may still be such a rest.
bool mayEndFrame(const QByteArray &line);
bool mayContinueFrame(const QByteArray &unfinished);

class FrameStream
{
public:
    // The distances of the frames that `chunk` completes, in 0.1 mm as the
    // sensor sent them, without leading zeros ("0" for zero). `notFrame`, if
    // given, receives the first line that `chunk` completed and that is no
    // frame (a run of data too long for a line, for data without line ends),
    // or nothing.
    QList<QByteArray> take(const QByteArray &chunk, QByteArray *notFrame = nullptr);

private:
    QByteArray m_line;
    // The line under way is already too long for a frame; only its end is
    // kept, to find where the next line starts.
    bool m_overlong = false;
};

} // namespace protocol
