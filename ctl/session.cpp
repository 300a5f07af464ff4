// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/session.h"

#include "console/interrupts.h"
#include "ctl/exchanges.h"
#include "ctl/line.h"
#include "ctl/profiles.h"
#include "ctl/report.h"
#include "engine/exchanger.h"
#include "measure/statistics.h"
#include "measure/timestamp.h"
#include "profile/runner.h"
#include "protocol/answercheck.h"
#include "protocol/answers.h"
#include "protocol/commands.h"
#include "protocol/codes.h"
#include "protocol/framestream.h"
#include "protocol/linepresets.h"
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
using engine::Exchanger;
using Outcome = engine::Exchanger::Outcome;

const QString kCheckLine =
    QStringLiteral("check that --preset matches the sensor's line preset and that the sensor is "
                   "powered and connected, then try again");

} // namespace

QString checkLine()
{
    return kCheckLine;
}

int lost(const Line &line)
{
    return fail(PortFailed, QString("lost the port %1 (%2); check the %3, then run the command "
                                    "again")
                                .arg(line.path(), line.lostReason(),
                                     line.isRemote() ? "device server and the network"
                                                     : "cable or adapter"));
}

void serverKeepsLine(const Line &line, int preset)
{
    fail(Done, QString("the sensor now talks at line preset %1 (%2), but over tcp:// the device "
                       "server keeps its own line settings: change them for %3 to match (or use "
                       "rfc2217://, which sets them)")
                   .arg(preset)
                   .arg(protocol::linePresetName(preset), line.path()));
}

namespace {

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

// Runs one exchange of the engine on the line, to its end or the line's. A
// signal lets the exchange on the line end first (a setting is not left
// half written); a second one cancels it. `stoppedBy` gets the signal.
Outcome exchange(Line &line, const std::function<bool(Exchanger &)> &start, int *stoppedBy)
{
    Exchanger engine;
    Outcome outcome;
    bool ended = false;
    engine.write = [&line](const QByteArray &bytes) { line.send(bytes); };
    engine.finished = [&](const Outcome &o) {
        outcome = o;
        ended = true;
        line.release();
    };
    line.received = [&engine](const QByteArray &chunk) { engine.take(chunk); };
    bool stopping = false;
    Interrupts interrupts([&] {
        if (stopping)
            engine.cancel();
        stopping = true;
    });
    if (start(engine))
        line.wait(-1, [&ended] { return ended; });
    line.received = nullptr;
    *stoppedBy = interrupts.signal();
    return outcome;
}

// A setting command's end: its outcome as usual, and when a signal stopped
// the run, what became of the setting and the signal's status.
int setting(Line &line, const std::function<bool(Exchanger &)> &start, const QString &command)
{
    int signal = 0;
    const Outcome outcome = exchange(line, start, &signal);
    const bool cancelled = outcome.kind == Outcome::Cancelled && !line.isLost();
    int status = cancelled ? int(Done) : settled(line, outcome, command);
    if (status == Done && !cancelled) {
        // What it wrote last (the analog distances) leaves before the port closes.
        line.drain();
        status = line.isLost() ? lost(line) : int(Done);
    }
    if (status == Done && !cancelled)
        printLine("accepted");
    if (!signal)
        return status;
    fail(status,
         QString("stopped by %1; %2: %3")
             .arg(Interrupts::name(signal), command,
                  line.isLost() ? QString("line lost") : profile::settingOutcome(outcome.kind)));
    return Interrupts::exitStatus(signal);
}

} // namespace

int settled(Line &line, const Outcome &outcome, const QString &command)
{
    if (line.isLost())
        return lost(line);
    const QString what = settingName(outcome.setting);
    switch (outcome.kind) {
    case Outcome::Accepted:
        return Done;
    case Outcome::Refused:
        return refused(what, command, outcome.answer);
    default:
        // The window reports no answer as a failure too; a script is better
        // off knowing the difference.
        return incomplete(what, "no decision", outcome.answer);
    }
}

bool openSensor(Line &line, const QString &path, int preset, bool fresh)
{
    QString reason;
    if (line.open(path, preset, fresh, &reason))
        return true;
    fail(PortFailed, QString("cannot open %1: %2%3")
                         .arg(path, reason,
                              line.isRemote() ? QString()
                                              : "; orvante-ctl ports lists the ports that open"));
    return false;
}

int ask(Line &line, quint8 command, Fields *fields)
{
    const QString what = commandName(command);
    int signal = 0;
    const Outcome outcome = exchange(
        line, [command](Exchanger &engine) { return engine.query(command); }, &signal);
    if (signal)
        return Interrupts::exitStatus(signal);
    const Answer &answer = outcome.answer;
    if (line.isLost())
        return lost(line);
    if (answer.raw.isEmpty())
        return noAnswer(what);
    // A value the window cut off is not the sensor's (150 of 1500): it is
    // left out like one that never came.
    // Nor is one without the sensor's form (garbage, or positions shifted by
    // what preceded the answer): it is named, never printed.
    // Both judged on the bytes as they came, as the window judges them.
    *fields = queryFields(command, answer);
    const QList<bool> whole = queryValuesFinal(command, answer.raw, answer.count);
    const QList<int> malformed = malformedValues(command, answer);
    const QList<QByteArray> values = queryValues(command, answer.raw, answer.count);
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
        fail(NoAnswer,
             QString("%1 not understood: %2; %3")
                 .arg(QString(answerName(command)).toLower(), garbled.join(", "), kCheckLine));
    if (!lacking.isEmpty())
        return incomplete(what, "no " + lacking.join(", "), answer);
    return garbled.isEmpty() ? int(Done) : int(NoAnswer);
}

namespace {

int query(Line &line, quint8 command, bool json)
{
    Fields fields;
    const int status = ask(line, command, &fields);
    // What came is printed, the values not believed as null.
    if (!fields.isEmpty())
        printFields(fields, json);
    return status;
}

// --- Settings ---

int setLinePreset(Line &line, const Invocation &inv)
{
    const int status = setting(
        line, [&](Exchanger &e) { return e.setLinePreset(inv.index); }, "set line-preset");
    if (status == Done && !line.setsLine())
        serverKeepsLine(line, inv.index);
    return status;
}

int setSwitching(Line &line, const Invocation &inv)
{
    return setting(
        line, [&](Exchanger &e) { return e.setSwitching(inv.index, inv.distances); },
        "set switching");
}

int setAuto(Line &line, const Invocation &inv)
{
    return setting(
        line, [&](Exchanger &e) { return e.setAuto(inv.index); }, "set auto");
}

int setAnalog(Line &line, const Invocation &inv)
{
    return setting(
        line,
        [&](Exchanger &e) {
            return e.setAnalog(inv.index, inv.distances.at(0), inv.distances.at(1), false);
        },
        "set analog");
}

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
    if (inv.command == Verb::Ports)
        return ports(inv);
    if (inv.command == Verb::ProfileSave)
        return saveProfile(inv);
    if (inv.command == Verb::ProfileApply)
        return applyProfile(inv);
    if (inv.command == Verb::ProfileDiff)
        return diffProfile(inv);

    Line line;
    // What is waiting unread is kept only when the traffic itself is asked for.
    if (!openSensor(line, inv.ports.constFirst(), inv.preset, inv.command != Verb::Listen))
        return PortFailed;
    switch (inv.command) {
    case Verb::Identity:
        return query(line, IdentityQuery, inv.json);
    case Verb::Analog:
        return query(line, AnalogQuery, inv.json);
    case Verb::Switching:
        return query(line, SwitchingQuery, inv.json);
    case Verb::Measure:
        return measure(line, inv);
    case Verb::SetLinePreset:
        return setLinePreset(line, inv);
    case Verb::SetAuto:
        return setAuto(line, inv);
    case Verb::SetAnalog:
        return setAnalog(line, inv);
    case Verb::SetSwitching:
        return setSwitching(line, inv);
    case Verb::Send:
        return send(line, inv);
    case Verb::Listen:
        return listen(line, inv);
    case Verb::Ports:
    case Verb::ProfileSave:
    case Verb::ProfileApply:
    case Verb::ProfileDiff:
    case Verb::Publish:
        break;
    }
    return Done;
}

} // namespace ctl
