// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a frame's time is written, by orvante-ctl measure and the chart's CSV
// export alike.

#include <QDateTime>
#include <QString>

namespace measure {

// ISO 8601 local time with milliseconds and the UTC offset:
// "2026-12-07T10:26:29.243+01:00".
QString timestamp(const QDateTime &when);

// Where the milliseconds stand in it (three digits).
constexpr int kTimestampMsAt = 20;

} // namespace measure
