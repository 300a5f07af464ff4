// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/session.h"

#include "console/interrupts.h"
#include "ctl/exchanges.h"
#include "ctl/line.h"
#include "ctl/profiles.h"
#include "ctl/report.h"
#include "measure/statistics.h"
#include "measure/timestamp.h"
#include "protocol/answercheck.h"
#include "protocol/answers.h"
#include "protocol/commands.h"
#include "protocol/exchange.h"
#include "protocol/framestream.h"
#include "protocol/steps.h"
#include "serial/displaylines.h"
#include "serial/ports.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>

namespace ctl {

namespace {

using namespace protocol;
using console::Interrupts;

const QString kCheckLine =
    QStringLiteral("check that --preset matches the sensor's line preset and that the sensor is "
                   "powered and connected, then try again");

int lost(const Line &line)
{
    return fail(PortFailed, QString("lost the port %1 (%2); check the cable or adapter, then "
                                    "run the command again")
                                .arg(line.path(), line.lostReason()));
}

int noAnswer(const QString &what)
{
    return fail(NoAnswer, QString("no answer to the %1 within %2 ms; %3")
                              .arg(what)
                              .arg(kResponseWindowMs)
                              .arg(kCheckLine));
}

// Something came, but not what decides.
int incomplete(const QString &what, const QString &lacking, const Answer &answer)
{
    if (answer.raw.isEmpty())
        return noAnswer(what);
    return fail(NoAnswer, QString("no complete answer to the %1 within %2 ms (%3; received %4); %5")
                              .arg(what)
                              .arg(kResponseWindowMs)
                              .arg(lacking, quote(answer.raw), kCheckLine));
}

int refused(const QString &what, const QString &command, const Answer &answer)
{
    return fail(Refused, QString("the sensor refused the %1 (answered %2); check the values, "
                                 "see orvante-ctl %3 --help")
                             .arg(what, quote(answer.raw), command));
}

// A set command's success, for the script reading stdout.
int accepted(int status)
{
    if (status == Done)
        printLine("accepted");
    return status;
}

// --- Queries ---

Fields queryFields(quint8 command, const Answer &answer)
{
    switch (command) {
    case IdentityQuery: {
        const Identity id = parseIdentity(answer.text);
        return {{"serial_number", chunkText(id.serialNumber)},
                {"version", chunkText(id.version)},
                {"production_date", chunkText(id.date)}};
    }
    case AnalogQuery: {
        const AnalogOutput analog = parseAnalog(answer.text);
        // Written as set analog --range takes it.
        QString range = chunkText(analog.range);
        range.replace('~', '-');
        return {{"range", range},
                {"min", chunkText(analog.minDistance)},
                {"max", chunkText(analog.maxDistance)}};
    }
    default: {
        const SwitchingOutputs outputs = parseSwitching(answer.text, answer.count);
        return {{"on1", chunkText(outputs.on1)},
                {"off1", chunkText(outputs.off1)},
                {"on2", chunkText(outputs.on2)},
                {"off2", chunkText(outputs.off2)}};
    }
    }
}

} // namespace

bool openSensor(Line &line, const QString &path, int preset, bool fresh)
{
    QString reason;
    if (line.open(path, preset, fresh, &reason))
        return true;
    fail(PortFailed,
         QString("cannot open %1: %2; orvante-ctl ports lists the ports that open").arg(path, reason));
    return false;
}

int ask(Line &line, quint8 command, const QByteArray &bytes, Fields *fields)
{
    const QString what = commandName(command);
    Answer answer;
    beginQuery(command, answer.text, answer.count);
    line.received = [&answer](const QByteArray &chunk) { answer.take(chunk); };
    line.send(bytes);
    // The window parses what 1000 ms brought; once nothing more can change
    // that, waiting longer only costs time.
    line.wait(kResponseWindowMs,
              [&] { return queryAnswerFinal(command, answer.text, answer.count); });
    if (line.isLost())
        return lost(line);
    if (answer.raw.isEmpty())
        return noAnswer(what);
    // A value the window cut off is not the sensor's (150 of 1500): it is
    // left out like one that never came.
    // Nor is one without the sensor's form (garbage, or positions shifted by
    // what preceded the answer): it is named, never printed.
    *fields = queryFields(command, answer);
    const QList<bool> whole = queryValuesFinal(command, answer.text, answer.count);
    const QList<int> malformed = malformedValues(command, answer.text, answer.count);
    const QList<QByteArray> values = queryValues(command, answer.text, answer.count);
    QStringList lacking, garbled;
    for (int i = 0; i < fields->size(); ++i) {
        if (malformed.contains(i))
            garbled << fields->at(i).first + " " + quote(values.value(i));
        else if (!whole.value(i) || fields->at(i).second.isEmpty())
            lacking << fields->at(i).first;
        if (!whole.value(i) || malformed.contains(i))
            (*fields)[i].second.clear();
    }
    if (!garbled.isEmpty())
        fail(NoAnswer, QString("%1 not understood: %2; %3")
                           .arg(QString(answerName(command)).toLower(), garbled.join(", "),
                                kCheckLine));
    if (!lacking.isEmpty())
        return incomplete(what, "no " + lacking.join(", "), answer);
    return garbled.isEmpty() ? int(Done) : int(NoAnswer);
}

namespace {

int query(Line &line, quint8 command, const QByteArray &bytes, bool json)
{
    Fields fields;
    const int status = ask(line, command, bytes, &fields);
    // What came is printed, the values not believed as null.
    if (!fields.isEmpty())
        printFields(fields, json);
    return status;
}

// --- Settings ---

// A setting decided at the end of a response window (line speed, either
// switching-output command), or as soon as its verdict can no longer change.
int timedOutcome(Line &line, quint8 pending, Answer &answer, const QString &command)
{
    const QString what = settingName(pending);
    line.wait(kResponseWindowMs, [&] {
        return settingVerdict(pending, answer.text, answer.count) != Verdict::Undecided;
    });
    if (line.isLost())
        return lost(line);
    // The window reports no answer as a failure too; a script is better off
    // knowing the difference.
    if (settingVerdict(pending, answer.text, answer.count) == Verdict::Undecided)
        return incomplete(what, "no decision", answer);
    const Step step = timedSettingStep(pending, answer.text, answer.count);
    return step.action == Action::Succeeded ? int(Done) : refused(what, command, answer);
}

} // namespace

int setLinePreset(Line &line, const Invocation &inv)
{
    Answer answer;
    line.received = [&answer](const QByteArray &chunk) { answer.take(chunk); };
    line.send(lineSpeedCommand(inv.index));
    return timedOutcome(line, LineSpeedSetting, answer, "set line-preset");
}

int setSwitching(Line &line, const Invocation &inv)
{
    const QList<QByteArray> &d = inv.distances;
    QByteArray second = kSwitchingSecondTemplate;
    const QByteArray first =
        switchingCommands(inv.index, numberField(d.at(0)), numberField(d.at(1)),
                          numberField(d.at(2)), numberField(d.at(3)), second);
    Answer answer;
    line.received = [&answer](const QByteArray &chunk) { answer.take(chunk); };
    const quint8 pending = SwitchingFirstSetting;
    line.send(first);
    // A refusal ends it at once. An acceptance still waits out the window:
    // the window drops whatever else comes in it, which must not count as
    // the answer to the second command.
    line.wait(kResponseWindowMs, [&] {
        return settingVerdict(pending, answer.text, answer.count) == Verdict::Refused;
    });
    if (line.isLost())
        return lost(line);
    const Step step = timedSettingStep(pending, answer.text, answer.count, {second, {}, {}});
    if (step.action == Action::Failed)
        return refused(settingName(pending), "set switching", answer);
    if (step.action != Action::SendSecond)
        return incomplete(settingName(pending), "no decision", answer);
    answer.restart();
    for (const QByteArray &part : step.writes)
        line.send(part);
    return timedOutcome(line, step.next, answer, "set switching");
}

int setAuto(Line &line, const Invocation &inv)
{
    Answer answer;
    line.received = [&answer](const QByteArray &chunk) { answer.take(chunk); };
    const quint8 pending = AutoMeasureSetting;
    line.send(autoMeasureCommand(inv.index));
    // The window decides on the first chunk that comes, whatever it holds;
    // reading a stream, the answer's first bytes stand for it, however the
    // line cut them. The window has no time limit here; this uses its
    // response window.
    line.wait(kResponseWindowMs, [&] {
        return settingVerdict(pending, answer.raw, answer.raw.size()) != Verdict::Undecided;
    });
    if (line.isLost())
        return lost(line);
    if (answer.raw.isEmpty())
        return noAnswer(settingName(pending));
    if (chunkSettingStep(pending, answer.raw).action == Action::Succeeded)
        return Done;
    return refused(settingName(pending), "set auto", answer);
}

// The window goes on with the first chunk that begins with 'DAC'; in a
// stream, with the first line that does. The step of that line, or one
// without an action.
static Step distancesStep(const QByteArray &raw, const FollowUp &typed)
{
    for (int from = 0; from >= 0 && from < raw.size();) {
        const Step step = chunkSettingStep(AnalogSetting, raw.mid(from), typed);
        if (step.action != Action::None)
            return step;
        const int end = raw.indexOf("\r\n", from);
        from = end < 0 ? -1 : end + 2;
    }
    return Step();
}

int setAnalog(Line &line, const Invocation &inv)
{
    const FollowUp typed{{}, inv.distances.at(0), inv.distances.at(1)};
    Answer answer;
    line.received = [&answer](const QByteArray &chunk) { answer.take(chunk); };
    line.send(analogCurrentCommand(inv.index));
    line.wait(kResponseWindowMs,
              [&] { return distancesStep(answer.raw, typed).action != Action::None; });
    if (line.isLost())
        return lost(line);
    // The window waits past other answers for as long as it runs; here the
    // response window ends the wait.
    const Step step = distancesStep(answer.raw, typed);
    if (step.action != Action::SendDistances) {
        if (answer.raw.isEmpty())
            return noAnswer(settingName(AnalogSetting));
        return refused(settingName(AnalogSetting), "set analog", answer);
    }
    // As in the window, the answer to the distances is not examined.
    for (const QByteArray &part : step.writes)
        line.send(part);
    line.drain();
    if (line.isLost())
        return lost(line);
    return Done;
}

namespace {

// --- Measurement and raw traffic ---

int measure(Line &line, const Invocation &inv)
{
    const int wanted = inv.continuous ? inv.count : 1; // 0: no limit
    FrameStream frames;
    int seen = 0;
    QElapsedTimer sinceFrame;
    measure::Statistics stats;
    QElapsedTimer clock;
    clock.start();
    line.received = [&](const QByteArray &chunk) {
        const QString now = measure::timestamp(QDateTime::currentDateTime());
        for (const QByteArray &distance : frames.take(chunk)) {
            if (wanted > 0 && seen >= wanted)
                break;
            ++seen;
            sinceFrame.restart();
            stats.add(clock.elapsed(), distance.toInt());
            // A reader that went away ends the measurement like Ctrl-C.
            if (!printLine(now + (inv.csv ? "," : " ") + QString::fromLatin1(distance)))
                line.interrupt();
        }
    };
    Interrupts interrupts([&line] { line.interrupt(); });
    line.send(inv.continuous ? kContinuousMeasurement : kSingleMeasurement);
    QElapsedTimer total;
    total.start();
    sinceFrame.start();
    bool silent = false;
    for (;;) {
        if (wanted > 0 && seen >= wanted)
            break;
        const qint64 timeLeft = inv.durationMs - total.elapsed();
        if (inv.durationMs > 0 && timeLeft <= 0)
            break;
        qint64 wait = kResponseWindowMs - sinceFrame.elapsed();
        if (wait <= 0) {
            silent = true;
            break;
        }
        if (inv.durationMs > 0)
            wait = qMin(wait, timeLeft);
        const int before = seen;
        const Line::End end = line.wait(wait, [&] { return seen != before; });
        if (end == Line::End::Lost || end == Line::End::Interrupted)
            break;
    }
    // Also when the measurement failed: the figures say what did come.
    if (inv.stats)
        printStatistics(stats.text(), inv.csv);
    if (line.isLost())
        return lost(line);
    line.send(kStop);
    line.drain();
    if (line.isLost())
        return lost(line);
    if (!silent)
        return Done;
    if (seen == 0)
        return fail(
            NoAnswer,
            QString("no distance frame within %1 ms; %2").arg(kResponseWindowMs).arg(kCheckLine));
    return fail(NoAnswer, QString("no distance frame for %1 ms after %2; check the cable and "
                                  "that the target is in range, then try again")
                              .arg(kResponseWindowMs)
                              .arg(seen));
}

int send(Line &line, const Invocation &inv)
{
    QByteArray raw;
    line.received = [&raw](const QByteArray &chunk) { raw += chunk; };
    line.send(inv.text);
    // The whole window: nothing says when an answer to free text is complete.
    line.wait(kResponseWindowMs);
    if (line.isLost())
        return lost(line);
    if (raw.isEmpty())
        return fail(
            NoAnswer,
            QString("nothing came back within %1 ms; %2").arg(kResponseWindowMs).arg(kCheckLine));
    if (inv.hex)
        printLine(serial::displayLines(raw, true, 0));
    else
        printRaw(raw);
    return Done;
}

int listen(Line &line, const Invocation &inv)
{
    int column = 0;
    line.received = [&](const QByteArray &chunk) {
        // The window's hex display: 16 bytes a line, continued across chunks.
        const bool printed =
            inv.hex ? printRaw(serial::breakLongLines(QString::fromLatin1(chunk.toHex()),
                                                      serial::kHexDigitsPerLine, &column)
                                   .toLatin1())
                    : printRaw(chunk);
        if (!printed)
            line.interrupt();
    };
    Interrupts interrupts([&line] { line.interrupt(); });
    line.wait(inv.durationMs > 0 ? inv.durationMs : -1);
    if (inv.hex && column > 0)
        printRaw("\n");
    return line.isLost() ? lost(line) : int(Done);
}

int ports(const Invocation &inv)
{
    serial::setExtraPortPaths(inv.ports);
    const serial::PortScan scan = serial::scanPorts();
    const QStringList &names = scan.openable;
    // As Scan in the window: what was left out, and why, beside the list.
    for (const serial::LeftOutPort &port : scan.leftOut)
        fail(Done, QString("%1 not listed: %2").arg(port.name, port.reason));
    if (inv.json) {
        printRaw(QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact) +
                 '\n');
        return Done;
    }
    for (const QString &name : names)
        printLine(name);
    return Done;
}

} // namespace

int run(const Invocation &inv)
{
    if (inv.command == Command::Ports)
        return ports(inv);
    if (inv.command == Command::ProfileSave)
        return saveProfile(inv);
    if (inv.command == Command::ProfileApply)
        return applyProfile(inv);
    if (inv.command == Command::ProfileDiff)
        return diffProfile(inv);

    Line line;
    // What is waiting unread is kept only when the traffic itself is asked for.
    if (!openSensor(line, inv.ports.constFirst(), inv.preset, inv.command != Command::Listen))
        return PortFailed;
    switch (inv.command) {
    case Command::Identity:
        return query(line, IdentityQuery, kIdentityQuery, inv.json);
    case Command::Analog:
        return query(line, AnalogQuery, kAnalogQuery, inv.json);
    case Command::Switching:
        return query(line, SwitchingQuery, kSwitchingQuery, inv.json);
    case Command::Measure:
        return measure(line, inv);
    case Command::SetLinePreset:
        return accepted(setLinePreset(line, inv));
    case Command::SetAuto:
        return accepted(setAuto(line, inv));
    case Command::SetAnalog:
        return accepted(setAnalog(line, inv));
    case Command::SetSwitching:
        return accepted(setSwitching(line, inv));
    case Command::Send:
        return send(line, inv);
    case Command::Listen:
        return listen(line, inv);
    case Command::Ports:
    case Command::ProfileSave:
    case Command::ProfileApply:
    case Command::ProfileDiff:
        break;
    }
    return Done;
}

} // namespace ctl
