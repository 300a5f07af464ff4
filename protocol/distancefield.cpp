// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/distancefield.h"

#include "protocol/codes.h"

namespace protocol {

DistanceField::Update DistanceField::take(const QList<QByteArray> &distances,
                                          const QByteArray &notFrame, Command activeCommand,
                                          bool distanceDisplay, bool answerAwaited)
{
    Update update;
    if (!showsDistance(activeCommand, distanceDisplay))
        return update;
    if (!distances.isEmpty()) {
        update.show = true;
        // The stream writes zero as "0"; the frame rule drops every leading
        // zero, so the field shows zero as nothing.
        update.text = distances.constLast() == "0" ? QByteArray() : distances.constLast();
    }
    // Named while a measurement was asked for: then every line should be a
    // frame. Frames shown unasked (at start) may come between answers, which
    // are no frames and need no note.
    const bool measuring =
        activeCommand == SingleMeasurement || activeCommand == ContinuousMeasurement;
    if (!notFrame.isEmpty() && measuring && !answerAwaited &&
        (!m_named.isValid() || m_named.elapsed() >= kNotFrameNoteMs)) {
        m_named.start();
        update.notFrame = notFrame;
    }
    return update;
}

} // namespace protocol
