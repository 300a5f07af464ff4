// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes into every answer parser and the number
// field. Besides crashes and sanitizer reports it checks the invariants that
// the callers rely on and traps when one is broken.

#include "protocol/answers.h"
#include "protocol/commands.h"

#include <QByteArray>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// Straightforward reference of the ack scan.
protocol::Ack referenceAck(const QByteArray &a, int len)
{
    if (len <= 0)
        return protocol::Ack::None;
    for (int p = 0; p < len && p < a.size(); ++p) {
        if (p + 3 <= a.size() && a.mid(p, 3) == "Ezz")
            return protocol::Ack::Rejected;
        if (p + 2 <= a.size() && a.mid(p, 2) == "ok")
            return protocol::Ack::Ok;
    }
    return protocol::Ack::None;
}

void checkValue(const QByteArray &text, const QByteArray &value)
{
    check(!value.contains('\r'));
    check(value.size() < text.size() || value.isEmpty());
    if (!value.isEmpty())
        check(text.contains(value));
}

int signedFrom(const uint8_t *data, size_t size)
{
    int32_t v = 0;
    std::memcpy(&v, data, size < sizeof v ? size : sizeof v);
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const int n = bytes.size();

    // The key and len for one extra data_analysis call come from the input itself.
    const int fuzzLen = signedFrom(data, size);
    const int keySize = size > 0 ? data[0] % 6 : 0;
    const QByteArray fuzzKey = bytes.mid(1, keySize);

    const int lens[] = {INT_MIN, -1, 0, 1, n / 2, n - 1, n, n + 7, INT_MAX, fuzzLen};
    const QByteArray keys[] = {"Set", "on1", "off1", "on2", "off2", "ok", "Sets:", "", fuzzKey};

    for (const int len : lens) {
        for (const QByteArray &key : keys) {
            const QByteArray value = protocol::dataAnalysis(bytes, key, len);
            checkValue(bytes, value);
            if (key.size() != 3 && key.size() != 4)
                check(value.isEmpty());
            if (len <= 0)
                check(value.isEmpty());
        }
        const protocol::SwitchingOutputs s = protocol::parseSwitching(bytes, len);
        checkValue(bytes, s.on1);
        checkValue(bytes, s.off1);
        checkValue(bytes, s.on2);
        checkValue(bytes, s.off2);

        check(protocol::scanAck(bytes, len) == referenceAck(bytes, len));
        protocol::lineSpeedAccepted(bytes, len);
    }

    QByteArray distance;
    const bool isFrame = protocol::frameDistance(bytes, &distance);
    check(isFrame == (n == 13 || n == 26));
    if (isFrame) {
        check(!distance.contains('\r'));
        check(distance.isEmpty() || distance.at(0) != '0');
        check(distance.size() <= n - 3);
    }

    const protocol::Identity id = protocol::parseIdentity(bytes);
    check(id.serialNumber.size() == (n >= 21 ? 3 : 0));
    check(id.version.size() == (n >= 18 ? 2 : 0));
    check(id.date.size() == (n >= 16 ? 10 : 0));

    const protocol::AnalogOutput analog = protocol::parseAnalog(bytes);
    check(!analog.minDistance.contains('+') && !analog.maxDistance.contains('+'));
    check(analog.maxStart == -1 || (analog.maxStart >= 8 && analog.maxStart <= n));
    if (analog.maxStart == -1)
        check(analog.minDistance.isEmpty() && analog.maxDistance.isEmpty());

    protocol::isAnalogRangeRequest(bytes);
    protocol::isAutoMeasureAck(bytes);
    protocol::chunkText(bytes);

    const QByteArray field = protocol::numberField(bytes);
    check(field.size() == (n > 8 ? n : 8));
    if (n <= 8)
        check(field == bytes.rightJustified(8, '0'));
    else
        check(field.mid(8) == bytes.mid(8));

    QByteArray command = protocol::kSwitchingFirstTemplate;
    protocol::fillSwitchingCommand(command, protocol::switchingModeLetter(n % 3 - 1), field,
                                   protocol::numberField(bytes.left(n / 2)));
    check(command.size() == protocol::kSwitchingFirstTemplate.size());
    check(command.endsWith("\r\n") && command.at(3) == '+' && command.at(12) == '+');

    const QList<QByteArray> writes = protocol::analogRangeWrites(bytes, bytes.left(n / 2));
    check(writes.size() == 5);
    return 0;
}
