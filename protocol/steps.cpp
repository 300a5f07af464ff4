// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/steps.h"

#include "protocol/answerlines.h"
#include "protocol/answers.h"
#include "protocol/codes.h"
#include "protocol/commands.h"

#include <limits>

namespace protocol {

namespace {

// Identity: each value once the bytes up to the next have come.
QList<bool> identityValuesFinal(const QByteArray &answer)
{
    return {answer.size() >= kIdentityEnd, answer.size() >= kIdentitySerial,
            answer.size() >= kIdentityVersion};
}

// Analog output: the range code, each distance once its '+' has closed it.
QList<bool> analogValuesFinal(const QByteArray &answer)
{
    const int firstPlus = answer.indexOf('+', kAnalogMin);
    return {answer.size() > kAnalogRange, firstPlus >= 0,
            firstPlus >= 0 && answer.indexOf('+', firstPlus + 1) >= 0};
}

// The key has matched below `len` (so no later byte can give an earlier
// match) and its value is closed by a CR.
bool keyedValueFinal(const QByteArray &answer, const QByteArray &key, int len)
{
    const int start = valueStart(answer, key, len);
    return start >= 0 && start < answer.size() && answer.indexOf('\r', start) >= 0;
}

QList<bool> switchingValuesFinal(const QByteArray &answer, int len)
{
    QList<bool> final;
    for (const char *key : {"on1", "off1", "on2", "off2"})
        final << keyedValueFinal(answer, QByteArray(key), len);
    return final;
}

Verdict lineSpeedVerdict(const QByteArray &answer, int len)
{
    const int start = valueStart(answer, QByteArrayLiteral("Set"), len);
    if (start < 0 || start >= answer.size())
        return Verdict::Undecided;
    const char first = answer.at(start);
    return first >= '0' && first <= '9' ? Verdict::Accepted : Verdict::Refused;
}

// The marker that begins the answer to a setting decided by its next line.
QByteArray lineMarker(Setting pending)
{
    return pending == AutoMeasureSetting ? QByteArrayLiteral("Aut") : QByteArrayLiteral("DAC");
}

// Whether line `i` of `lines` may still become a frame or the answer.
bool mayStillBecome(const AnswerLines &lines, int i, const QByteArray &marker)
{
    return lines.unfinished(i) &&
           (lines.lastMayBeFrame() || marker.startsWith(lines.lines().at(i)));
}

Verdict lineVerdict(Setting pending, const QByteArray &sinceWrite)
{
    const AnswerLines lines(sinceWrite);
    const QByteArray marker = lineMarker(pending);
    for (int i = 0; i < lines.lines().size(); ++i) {
        // A frame begins with any three bytes, the marker's too.
        if (lines.unfinished(i) && lines.lastMayBeFrame())
            return Verdict::Undecided;
        if (lines.lines().at(i).startsWith(marker))
            return Verdict::Accepted;
        // Automatic measurement takes the first line for its answer; the
        // analog range passes over what is not its request.
        if (pending == AutoMeasureSetting)
            return mayStillBecome(lines, i, marker) ? Verdict::Undecided : Verdict::Refused;
    }
    return Verdict::Undecided;
}

} // namespace

bool queryAnswerFinal(Command command, const QByteArray &answer, int len)
{
    const QList<bool> values = queryValuesFinal(command, answer, len);
    return !values.isEmpty() && !values.contains(false);
}

QList<bool> queryValuesFinal(Command command, const QByteArray &answer, int len)
{
    switch (command) {
    case IdentityQuery:
        return identityValuesFinal(answer);
    case AnalogQuery:
        return analogValuesFinal(answer);
    case SwitchingQuery:
        return switchingValuesFinal(answer, len);
    default:
        return {};
    }
}

Unanswered unansweredAtWindowEnd(Command activeCommand, Setting pendingSetting,
                                 const QByteArray &answer, int len)
{
    Unanswered missing;
    if (activeCommand == IdentityQuery || activeCommand == AnalogQuery ||
        activeCommand == SwitchingQuery) {
        if (!queryAnswerFinal(activeCommand, answer, len))
            missing.command = activeCommand;
        return missing;
    }
    const bool timed = pendingSetting == LineSpeedSetting ||
                       pendingSetting == SwitchingFirstSetting ||
                       pendingSetting == SwitchingSecondSetting;
    if (timed && settingVerdict(pendingSetting, answer, len) == Verdict::Undecided)
        missing.setting = pendingSetting;
    return missing;
}

Verdict settingVerdict(Setting pending, const QByteArray &answer, int len)
{
    switch (pending) {
    case LineSpeedSetting:
        return lineSpeedVerdict(answer, len);
    case SwitchingFirstSetting:
    case SwitchingSecondSetting:
        switch (scanAck(answer, len)) {
        case Ack::Ok:
            return Verdict::Accepted;
        case Ack::Rejected:
            return Verdict::Refused;
        case Ack::None:
            return Verdict::Undecided;
        }
        return Verdict::Undecided;
    case AutoMeasureSetting:
    case AnalogSetting:
        return lineVerdict(pending, answer.left(qMax(0, len)));
    default:
        return Verdict::Undecided;
    }
}

SettingStep timedSettingStep(Setting pending, const QByteArray &answer, int len,
                             const FollowUp &followUp)
{
    const Verdict verdict = settingVerdict(pending, answer, len);
    switch (pending) {
    case LineSpeedSetting:
        return {verdict == Verdict::Accepted ? Action::Succeeded : Action::Failed, NoSetting, {}};
    case SwitchingSecondSetting:
        if (verdict == Verdict::Undecided)
            break;
        return {verdict == Verdict::Accepted ? Action::Succeeded : Action::Failed, NoSetting, {}};
    case SwitchingFirstSetting:
        if (verdict == Verdict::Refused)
            return {Action::Failed, NoSetting, {}};
        if (verdict == Verdict::Accepted)
            return {Action::SendSecond, SwitchingSecondSetting, {followUp.secondCommand, kLineEnd}};
        break;
    default:
        break;
    }
    return {Action::None, Setting(pending), {}};
}

QByteArray sentInstead(Setting pending, const QByteArray &sinceWrite)
{
    if (pending != AutoMeasureSetting && pending != AnalogSetting)
        return QByteArray();
    const AnswerLines lines(sinceWrite);
    const QByteArray marker = lineMarker(pending);
    for (int i = 0; i < lines.lines().size(); ++i) {
        const QByteArray &line = lines.lines().at(i);
        if (!line.startsWith(marker) && !mayStillBecome(lines, i, marker))
            return line;
    }
    return QByteArray();
}

SettingStep chunkSettingStep(Setting pending, const QByteArray &sinceWrite, const FollowUp &followUp)
{
    const Verdict verdict = settingVerdict(pending, sinceWrite, sinceWrite.size());
    switch (pending) {
    case AnalogSetting:
        if (verdict != Verdict::Accepted)
            break;
        if (!isDistanceText(followUp.minDistance) || !isDistanceText(followUp.maxDistance))
            return {Action::Failed, NoSetting, {}};
        return {Action::SendDistances, NoSetting,
                analogRangeWrites(followUp.minDistance, followUp.maxDistance)};
    case AutoMeasureSetting:
        if (verdict == Verdict::Undecided)
            break;
        return {verdict == Verdict::Accepted ? Action::Succeeded : Action::Failed, NoSetting, {}};
    default:
        break;
    }
    return {Action::None, Setting(pending), {}};
}

} // namespace protocol
