// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the distance field makes of each read, given what the frame stream
// (FrameStream, the same one the chart records from) found in it: the newest
// whole frame is shown, however the line split or joined the reads; anything
// else leaves the field as it is and is named, so that nothing the sensor did
// not send as a distance stands in the field as one.

#include "protocol/codes.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QtGlobal>

namespace protocol {

class DistanceField
{
public:
    // A line that is no frame is named at most this often.
    static constexpr int kNotFrameNoteMs = 1000;

    struct Update
    {
        bool show = false;
        QByteArray text;         // what the field shows: no leading zeros, zero empty
        QByteArray notFrame;     // a line to name now as no frame, or empty
    };

    // `distances` and `notFrame` as FrameStream::take gave them for one read.
    // The command in flight (`activeCommand`) and `distanceDisplay` say
    // whether frames are shown now (showsDistance). A line that is no frame
    // is named while a measurement runs, unless `answerAwaited` (a setting or
    // a response window): then it is the answer.
    Update take(const QList<QByteArray> &distances, const QByteArray &notFrame,
                Command activeCommand, bool distanceDisplay, bool answerAwaited);

private:
    QElapsedTimer m_named;
};

} // namespace protocol
