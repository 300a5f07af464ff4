// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How received data becomes display lines. The display lays a line out again
// whenever text is added to it, so a line that grows without end makes every
// chunk slower than the last; these widths keep each line short enough that
// the cost per chunk stays flat however long the stream runs.

#include <QByteArray>
#include <QString>

namespace serial {

// Hex display: 16 bytes (32 digits) to a line, a hex dump's usual width and
// the widest that fits the display without wrapping in the usual fonts (64
// digits already wrap). A chunk's digits still follow the previous chunk's
// until the line is full.
constexpr int kHexBytesPerLine = 16;
constexpr int kHexDigitsPerLine = 2 * kHexBytesPerLine;

// Text display: a line that reaches this many characters is broken. Sensor
// answers are a few dozen characters, so only data without line ends (a wrong
// line preset, a binary stream) ever meets it. The last line is laid out again
// with every chunk that adds to it, so its length bounds the cost of a chunk:
// at 2048 that cost stays near 0.2 ms at full line rate (twice as long a line
// costs more than twice as much, as it wraps past the display's height).
constexpr int kTextLineLimit = 2048;

// `text` with line feeds inserted so that no line holds more than `width`
// characters, given that the line it continues already holds `column`.
// Line ends already in the text (LF, CR, the paragraph separator, the
// frame marks U+FDD0 and U+FDD1) start a new line too. A surrogate pair is
// never split. `column` is updated to the length of the last line.
QString breakLongLines(const QString &text, int width, int *column);

// What the display shows for a chunk: its hex digits, or its text, with the
// line breaks above for a line that already holds `column` characters.
QString displayLines(const QByteArray &chunk, bool hex, int column);
// The same, `column` updated to the length of the last line. With `afterCr`,
// whether the text before ended in a CR: then an LF that begins this chunk
// is the rest of that line end (the display would make it a second one,
// an empty line); it is updated for the next chunk.
QString displayLines(const QByteArray &chunk, bool hex, int *column, bool *afterCr = nullptr);

} // namespace serial
