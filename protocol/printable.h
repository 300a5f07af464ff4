// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace protocol {

// Text for one line of a message or a terminal: control characters (CR, LF,
// ESC, DEL...) spelled out as \xNN, so that bytes from the sensor or from a
// file can neither break the line nor move the cursor or clear the screen.
QString printable(const QString &text);

} // namespace protocol
