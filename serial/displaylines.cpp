// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/displaylines.h"

#include "protocol/answers.h"

namespace serial {

namespace {
// The characters at which the display starts a new line of its own (the
// editor takes the two frame marks for line ends too).
bool endsLine(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
           c == QChar(0xfdd0) || c == QChar(0xfdd1);
}
} // namespace

QString breakLongLines(const QString &text, int width, int *column)
{
    int col = *column;
    // Fast path: most chunks (a sensor frame) fit on the line they continue.
    bool fits = true;
    for (int i = 0; i < text.size() && fits; ++i) {
        col = endsLine(text.at(i)) ? 0 : col + 1;
        fits = col <= width;
    }
    if (fits) {
        *column = col;
        return text;
    }

    QString out;
    out.reserve(text.size() + text.size() / qMax(1, width) + 2);
    col = *column;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (endsLine(c)) {
            col = 0;
        } else {
            // Never between the halves of a surrogate pair: the line may hold
            // one character more instead.
            if (col >= width && !c.isLowSurrogate()) {
                out += QLatin1Char('\n');
                col = 0;
            }
            ++col;
        }
        out += c;
    }
    *column = col;
    return out;
}

QString displayLines(const QByteArray &chunk, bool hex, int *column, bool *afterCr)
{
    const bool lineEndBegun = afterCr && *afterCr;
    if (afterCr)
        *afterCr = false;
    if (hex)
        return breakLongLines(QString::fromLatin1(chunk.toHex()), kHexDigitsPerLine, column);
    QString text = protocol::chunkText(chunk);
    if (lineEndBegun && text.startsWith(QLatin1Char('\n')))
        text.remove(0, 1);
    if (afterCr)
        *afterCr = text.endsWith(QLatin1Char('\r'));
    return breakLongLines(text, kTextLineLimit, column);
}

QString displayLines(const QByteArray &chunk, bool hex, int column)
{
    return displayLines(chunk, hex, &column);
}

} // namespace serial
