// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/presentedvalues.h"

#include "protocol/answercheck.h"
#include "protocol/answers.h"
#include "protocol/steps.h"

namespace protocol {

namespace {

struct Names
{
    const char *name;
    const char *key;
};

// What the operator calls a query's answer, and its values.
struct AnswerNames
{
    const char *answer = nullptr;
    QList<Names> values;
};

AnswerNames namesOf(Command command)
{
    switch (command) {
    case IdentityQuery:
        return {"Identity answer",
                {{"serial number", "serial_number"},
                 {"version", "version"},
                 {"production date", "production_date"}}};
    case AnalogQuery:
        return {"Analog output answer",
                {{"current range", "range"}, {"min", "min"}, {"max", "max"}}};
    case SwitchingQuery:
        return {"Switching output answer",
                {{"output 1 open", "on1"},
                 {"output 1 close", "off1"},
                 {"output 2 open", "on2"},
                 {"output 2 close", "off2"}}};
    default:
        return {};
    }
}

// The values' bytes as the parse reads them from `answer` (the analog range
// as its code byte, the date as the window shows it).
QList<QByteArray> valueBytes(Command command, const QByteArray &answer, int len)
{
    switch (command) {
    case IdentityQuery: {
        const Identity id = parseIdentity(answer);
        return {id.serialNumber, id.version, id.date};
    }
    case AnalogQuery: {
        const AnalogOutput analog = parseAnalog(answer);
        return {answer.mid(kAnalogRange, 1), analog.minDistance, analog.maxDistance};
    }
    case SwitchingQuery: {
        const SwitchingOutputs s = parseSwitching(answer, len);
        return {s.on1, s.off1, s.on2, s.off2};
    }
    default:
        return {};
    }
}

// A value that came in full is believed when it has the sensor's form and
// the text shows it as it came.
ValueVerdict verdictOf(bool final, bool formed, const PresentedValue &v)
{
    if (!final)
        return ValueVerdict::Incomplete;
    return formed && v.shown == v.came ? ValueVerdict::Good : ValueVerdict::Malformed;
}

} // namespace

QList<PresentedValue> presentedValues(Command command, const Answer &answer)
{
    const QList<Names> names = namesOf(command).values;
    const QList<QByteArray> came = valueBytes(command, answer.raw, answer.count);
    const QList<QByteArray> shown = valueBytes(command, answer.text, answer.count);
    const QList<bool> final = queryValuesFinal(command, answer.raw, answer.count);
    const QList<bool> formed = queryValuesWellFormed(command, answer.raw, answer.count);
    QList<PresentedValue> values;
    for (int i = 0; i < names.size(); ++i) {
        PresentedValue v;
        v.name = QString::fromLatin1(names.at(i).name);
        v.key = QString::fromLatin1(names.at(i).key);
        v.came = came.at(i);
        v.shown = shown.at(i);
        // The range's field names the code; any other byte leaves it empty.
        const bool isRange = command == AnalogQuery && i == 0;
        v.range = isRange && v.shown.size() == 1 ? analogRangeByCode(v.shown.at(0)) : nullptr;
        v.text = v.range ? QString::fromLatin1(v.range->shown)
                         : isRange ? QString() : chunkText(v.shown);
        v.verdict = verdictOf(final.value(i), formed.value(i), v);
        values << v;
    }
    return values;
}

const char *answerName(Command command)
{
    return namesOf(command).answer;
}

} // namespace protocol
