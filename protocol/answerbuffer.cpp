// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/answerbuffer.h"

#include "protocol/answers.h"

#include <limits>

namespace protocol {

void collectChunk(QByteArray &answer, int &byteCount, const QByteArray &chunk)
{
    answer.append(chunkText(chunk).toUtf8());
    byteCount = byteCount > std::numeric_limits<int>::max() - chunk.size()
                    ? std::numeric_limits<int>::max()
                    : byteCount + chunk.size();
}

void beginQuery(Command command, QByteArray &answer, int &byteCount)
{
    if (command == SwitchingQuery)
        byteCount = 0;
    answer.clear();
}

void Answer::take(const QByteArray &chunk)
{
    collectChunk(text, count, chunk);
    raw += chunk;
}

void trimIdleBuffer(QByteArray &buffer)
{
    // Cut only once it has doubled: cutting back to the limit on every chunk
    // would move the whole limit per 13-byte frame.
    if (buffer.size() > 2 * kIdleBufferLimit)
        buffer.remove(0, buffer.size() - kIdleBufferLimit);
}

} // namespace protocol
