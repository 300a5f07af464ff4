// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace sim {

// What a receiver set to `readBaud` makes of `bytes` sent at `sentBaud`, both
// ends framing characters alike: a start bit, `dataBits` data bits (least
// significant first), an even parity bit when `parity` is 'E', one stop bit,
// characters back to back. The receiver waits for a start bit, samples each
// bit in the middle of its own bit time and delivers a character whose stop
// bit (or parity) is wrong as a zero byte, as a serial driver does. At equal
// speeds the bytes come through unchanged (cut to `dataBits`); at others,
// fewer or more bytes, garbled, or none.
QByteArray acrossSpeeds(const QByteArray &bytes, int sentBaud, int readBaud, int dataBits,
                        char parity);

} // namespace sim
