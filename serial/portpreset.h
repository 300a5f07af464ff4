// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSerialPort>

namespace serial {

// Sets speed (both directions), data bits, parity and one stop bit of line
// preset `index` (protocol/linepresets.h). Flow control is left as the port
// has it. False, changing nothing, for an index outside 0..7.
bool applyLinePreset(QSerialPort &port, int index);

} // namespace serial
