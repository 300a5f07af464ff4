// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The answer to a command as it is collected from the line: its text, its
// byte count and its bytes as they came, and how a buffer nobody reads is
// kept from growing.

#include "protocol/codes.h"

#include <QByteArray>
#include <QtGlobal>

namespace protocol {

// A received chunk joins the answer being collected: its text (chunkText, as
// UTF-8) is appended to `answer` and its byte count added to `byteCount`,
// which stops at INT_MAX.
void collectChunk(QByteArray &answer, int &byteCount, const QByteArray &chunk);

// A query's response window begins: the answer collected so far goes, and the
// switching-output query, whose parse is bounded by the byte count, starts
// counting afresh (the other queries leave the count running).
void beginQuery(Command command, QByteArray &answer, int &byteCount);

// The answer to a command as a front end that reads the line itself collects
// it: `text` and `count` as collectChunk keeps them, and `raw`, the bytes as
// they came, which the per-chunk steps and the messages read.
struct Answer
{
    QByteArray text;
    int count = 0;
    QByteArray raw;

    void take(const QByteArray &chunk);
};

// Outside a response window nothing reads the receive buffer, and every
// window starts by clearing it; meanwhile it keeps only its newest bytes, so
// a measurement left running for hours does not fill the memory with them.
// It keeps at least the newest kIdleBufferLimit bytes and at most twice as
// many: cut only when it has doubled, a chunk pays nothing for the length.
constexpr int kIdleBufferLimit = 64 * 1024;
void trimIdleBuffer(QByteArray &buffer);

} // namespace protocol
