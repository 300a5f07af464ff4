// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/answers.h"

#include "protocol/analogrange.h"

#include <cstring>

namespace protocol {

namespace {

// True when the `n` bytes of `seq` lie inside `data` from `pos` on and equal it.
bool matchesAt(const QByteArray &data, int pos, const char *seq, int n)
{
    if (pos < 0 || n > data.size() - pos)
        return false;
    return std::memcmp(data.constData() + pos, seq, size_t(n)) == 0;
}

// Bytes from `from` up to (not including) the next CR, or to the end.
QByteArray upToCr(const QByteArray &data, int from)
{
    if (from < 0 || from >= data.size())
        return QByteArray();
    int end = data.indexOf('\r', from);
    if (end < 0)
        end = data.size();
    return data.mid(from, end - from);
}

// The `count` bytes from `first` on when all of them lie inside `data`; empty
// otherwise.
QByteArray bytesAt(const QByteArray &data, int first, int count)
{
    if (first < 0 || count > data.size() - first)
        return QByteArray();
    return data.mid(first, count);
}

} // namespace

QString chunkText(const QByteArray &bytes)
{
    const int zero = bytes.indexOf('\0');
    const int n = zero < 0 ? bytes.size() : zero;
    return QString::fromUtf8(bytes.constData(), n);
}

QByteArray dataAnalysis(const QByteArray &text, const QByteArray &key, int len)
{
    const int start = valueStart(text, key, len);
    return start < 0 ? QByteArray() : upToCr(text, start);
}

int valueStart(const QByteArray &text, const QByteArray &key, int len)
{
    const int k = key.size();
    if (k != 3 && k != 4)
        return -1;
    const int size = text.size();
    for (int p = 0; p < len && p <= size - k; ++p) {
        // First match decides: exactly one separator byte is skipped.
        if (std::memcmp(text.constData() + p, key.constData(), size_t(k)) == 0)
            return p + k + 1;
    }
    return -1;
}

bool frameDistance(const QByteArray &chunk, QByteArray *distance)
{
    const int size = chunk.size();
    if (size != kFrameSize && size != kLongFrameSize)
        return false;
    int i = 3;
    while (i < size && chunk.at(i) == '0')
        ++i;
    const QByteArray text = upToCr(chunk, i);
    if (distance)
        *distance = text;
    return true;
}

Identity parseIdentity(const QByteArray &answer)
{
    Identity id;
    id.serialNumber = bytesAt(answer, kIdentitySerial, kIdentityEnd - kIdentitySerial);
    id.version = bytesAt(answer, kIdentityVersion, kIdentitySerial - kIdentityVersion);
    if (answer.size() >= kIdentityVersion) {
        id.date = QByteArrayLiteral("202");
        id.date += answer.at(kIdentityYear);
        id.date += '-';
        id.date += answer.mid(kIdentityMonth, 2);
        id.date += '-';
        id.date += answer.mid(kIdentityDay, 2);
    }
    return id;
}

AnalogOutput parseAnalog(const QByteArray &answer)
{
    AnalogOutput out;
    if (answer.size() > kAnalogRange) {
        if (const AnalogRange *range = analogRangeByCode(answer.at(kAnalogRange)))
            out.range = range->shown;
    }
    if (answer.size() <= kAnalogMin)
        return out;
    const int firstPlus = answer.indexOf('+', kAnalogMin);
    if (firstPlus < 0)
        return out; // lower distance incomplete: min and max stay empty
    out.minDistance = answer.mid(kAnalogMin, firstPlus - kAnalogMin);
    out.maxStart = firstPlus + 1;
    const int secondPlus = answer.indexOf('+', firstPlus + 1);
    if (secondPlus >= 0)
        out.maxDistance = answer.mid(firstPlus + 1, secondPlus - firstPlus - 1);
    return out;
}

SwitchingOutputs parseSwitching(const QByteArray &answer, int len)
{
    SwitchingOutputs s;
    s.on1 = dataAnalysis(answer, QByteArrayLiteral("on1"), len);
    s.off1 = dataAnalysis(answer, QByteArrayLiteral("off1"), len);
    s.on2 = dataAnalysis(answer, QByteArrayLiteral("on2"), len);
    s.off2 = dataAnalysis(answer, QByteArrayLiteral("off2"), len);
    return s;
}

Ack scanAck(const QByteArray &answer, int len)
{
    if (len <= 0)
        return Ack::None;
    const int size = answer.size();
    for (int p = 0; p < len && p < size; ++p) {
        if (matchesAt(answer, p, "Ezz", 3))
            return Ack::Rejected;
        if (matchesAt(answer, p, "ok", 2))
            return Ack::Ok;
    }
    return Ack::None;
}

bool lineSpeedAccepted(const QByteArray &answer, int len)
{
    const QByteArray value = dataAnalysis(answer, QByteArrayLiteral("Set"), len);
    return !value.isEmpty() && value.at(0) >= '0' && value.at(0) <= '9';
}

bool isAnalogRangeRequest(const QByteArray &chunk)
{
    return matchesAt(chunk, 0, "DAC", 3);
}

bool isAutoMeasureAck(const QByteArray &chunk)
{
    return matchesAt(chunk, 0, "Aut", 3);
}

QList<QByteArray> takeLines(QByteArray &stream)
{
    QList<QByteArray> lines;
    int from = 0;
    for (int end = stream.indexOf("\r\n"); end >= 0; end = stream.indexOf("\r\n", from)) {
        lines.append(stream.mid(from, end + 2 - from));
        from = end + 2;
    }
    stream.remove(0, from);
    return lines;
}

} // namespace protocol
