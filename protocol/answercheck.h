// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether a query's answer says what it seems to. The parses read by position
// and show whatever bytes lie there; this judges each value by the form the
// sensor gives it, so that garbage (line noise, the tail of an earlier answer,
// a wrong line preset) is named instead of believed.
//
// Positions count from the first byte received after the query was written.
// Bytes of an earlier answer still on their way when it was written come
// first and shift every position; they end with that answer's CR LF. A value
// read by position is therefore believed only when the answer is printable
// ASCII from its first byte up to the value's end: no line end, no control
// byte and no stray high byte (which the receive path turns into U+FFFD) can
// lie before it. Keyed values (the switching outputs) do not depend on
// positions and are judged by their own line: no control byte from its start
// up to the value's end.
//
// The checks read the bytes as they came (Answer::raw). What a front end
// shows is the text of each read up to its first zero byte, so a zero
// byte would hide the rest of its read and leave a shorter value looking
// whole; presentedValues() therefore believes a value only when the text
// gives the same bytes as the raw answer.

#include "protocol/codes.h"

#include <QByteArray>
#include <QList>

namespace protocol {

// Values in the order queryValuesFinal() gives them. Identity: serial number
// and version printable, the date a real one of 2020..2029 sent as digits.
// Analog output: range code '0' or '1', each distance 1 to 8 digits. Switching
// outputs: each value 1 to 8 digits. A value that has not come is not well
// formed. Empty for other codes.
QList<bool> queryValuesWellFormed(Command command, const QByteArray &answer, int len);

} // namespace protocol
