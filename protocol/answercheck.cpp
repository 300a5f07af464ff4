// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/answercheck.h"

#include "protocol/analogrange.h"
#include "protocol/answers.h"
#include "protocol/codes.h"

#include <QDate>

namespace protocol {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Bytes [0, end) are all there and printable ASCII.
bool cleanUpTo(const QByteArray &answer, int end)
{
    if (end < 0 || end > answer.size())
        return false;
    for (int i = 0; i < end; ++i) {
        const uchar c = uchar(answer.at(i));
        if (c < 0x20 || c > 0x7e)
            return false;
    }
    return true;
}

bool isDistance(const QByteArray &value)
{
    if (value.isEmpty() || value.size() > 8)
        return false;
    for (char c : value) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

// Two digits from `at` as a number, -1 when they are not digits.
int twoDigits(const QByteArray &answer, int at)
{
    if (!isDigit(answer.at(at)) || !isDigit(answer.at(at + 1)))
        return -1;
    return (answer.at(at) - '0') * 10 + (answer.at(at + 1) - '0');
}

// No control byte from the start of the line that holds `end` (after the
// last CR or LF before it) up to `end`.
bool cleanLineUpTo(const QByteArray &answer, int end)
{
    for (int i = end - 1; i >= 0 && answer.at(i) != '\n' && answer.at(i) != '\r'; --i) {
        const uchar c = uchar(answer.at(i));
        if (c < 0x20 || c == 0x7f)
            return false;
    }
    return true;
}

QList<bool> switchingWellFormed(const QByteArray &answer, int len)
{
    QList<bool> formed;
    for (const char *key : {"on1", "off1", "on2", "off2"}) {
        const int start = valueStart(answer, QByteArray(key), len);
        const QByteArray value = start < 0 ? QByteArray() : dataAnalysis(answer, key, len);
        formed << (isDistance(value) && cleanLineUpTo(answer, start + value.size()));
    }
    return formed;
}

QList<bool> identityWellFormed(const QByteArray &answer)
{
    bool date = cleanUpTo(answer, kIdentityVersion) && isDigit(answer.at(kIdentityYear));
    if (date) {
        const int month = twoDigits(answer, kIdentityMonth);
        const int day = twoDigits(answer, kIdentityDay);
        date = QDate(2020 + (answer.at(kIdentityYear) - '0'), month, day).isValid();
    }
    // The serial number and version are whatever printable bytes the sensor
    // keeps; only their place can be wrong.
    return {cleanUpTo(answer, kIdentityEnd), cleanUpTo(answer, kIdentitySerial), date};
}

QList<bool> analogWellFormed(const QByteArray &answer)
{
    const char code = answer.size() > kAnalogRange ? answer.at(kAnalogRange) : 0;
    const bool range = cleanUpTo(answer, kAnalogRange + 1) && analogRangeByCode(code) != nullptr;
    const int firstPlus = answer.size() > kAnalogMin ? answer.indexOf('+', kAnalogMin) : -1;
    const int secondPlus = firstPlus < 0 ? -1 : answer.indexOf('+', firstPlus + 1);
    const bool min = firstPlus >= 0 && cleanUpTo(answer, firstPlus) &&
                     isDistance(answer.mid(kAnalogMin, firstPlus - kAnalogMin));
    const bool max = secondPlus >= 0 && cleanUpTo(answer, secondPlus) &&
                     isDistance(answer.mid(firstPlus + 1, secondPlus - firstPlus - 1));
    return {range, min, max};
}

} // namespace

QList<bool> queryValuesWellFormed(Command command, const QByteArray &answer, int len)
{
    switch (command) {
    case IdentityQuery:
        return identityWellFormed(answer);
    case AnalogQuery:
        return analogWellFormed(answer);
    case SwitchingQuery:
        return switchingWellFormed(answer, len);
    default:
        return {};
    }
}

} // namespace protocol
