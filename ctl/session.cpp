// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/session.h"

#include "console/interrupts.h"
#include "ctl/line.h"
#include "ctl/outcomes.h"
#include "ctl/profiles.h"
#include "ctl/report.h"
#include "engine/exchanger.h"
#include "measure/statistics.h"
#include "measure/timestamp.h"
#include "profile/runner.h"
#include "protocol/codes.h"
#include "protocol/commands.h"
#include "protocol/framestream.h"
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

// --- Queries ---

int query(Line &line, protocol::Command command, bool json)
{
    Fields fields;
    const int status = ask(line, command, &fields);
    // What came is printed, the values not believed as null.
    if (!fields.isEmpty())
        printFields(fields, json);
    return status;
}

// --- Settings ---

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

// A measurement under way: what it wants and what it has seen.
struct Measurement
{
    int wanted = 1; // frames; 0: no limit
    int seen = 0;
    QElapsedTimer clock; // since the start, for the statistics
    QElapsedTimer sinceFrame;
    measure::Statistics stats;
    FrameStream frames;

    bool complete() const { return wanted > 0 && seen >= wanted; }
};

// Prints each distance frame of `chunk` with the time it came, up to the
// number wanted. A reader that went away ends the measurement like Ctrl-C.
void printFrames(Line &line, const Invocation &inv, Measurement &m, const QByteArray &chunk)
{
    const QString now = measure::timestamp(QDateTime::currentDateTime());
    for (const QByteArray &distance : m.frames.take(chunk)) {
        if (m.complete())
            break;
        ++m.seen;
        m.sinceFrame.restart();
        m.stats.add(m.clock.elapsed(), distance.toInt());
        if (!printLine(now + (inv.csv ? "," : " ") + QString::fromLatin1(distance)))
            line.interrupt();
    }
}

// Waits for the frames until the measurement is complete, its duration is
// over or the line lost or interrupted; true when it ended because no frame
// came for a response window.
bool silentWhileWaiting(Line &line, const Invocation &inv, Measurement &m)
{
    QElapsedTimer total;
    total.start();
    m.sinceFrame.start();
    while (!m.complete()) {
        const qint64 timeLeft = inv.durationMs - total.elapsed();
        if (inv.durationMs > 0 && timeLeft <= 0)
            return false;
        qint64 wait = kResponseWindowMs - m.sinceFrame.elapsed();
        if (wait <= 0)
            return true;
        if (inv.durationMs > 0)
            wait = qMin(wait, timeLeft);
        const int before = m.seen;
        const Line::End end = line.wait(wait, [&] { return m.seen != before; });
        if (end == Line::End::Lost || end == Line::End::Interrupted)
            return false;
    }
    return false;
}

// No frame for a response window, after `seen` frames.
int silence(int seen)
{
    if (seen == 0)
        return fail(
            NoAnswer,
            QString("no distance frame within %1 ms; %2").arg(kResponseWindowMs).arg(checkLine()));
    return fail(NoAnswer, QString("no distance frame for %1 ms after %2; check the cable and "
                                  "that the target is in range, then try again")
                              .arg(kResponseWindowMs)
                              .arg(seen));
}

int measure(Line &line, const Invocation &inv)
{
    Measurement m;
    m.wanted = inv.continuous ? inv.count : 1;
    m.clock.start();
    line.received = [&](const QByteArray &chunk) { printFrames(line, inv, m, chunk); };
    Interrupts interrupts([&line] { line.interrupt(); });
    line.send(inv.continuous ? kContinuousMeasurement : kSingleMeasurement);
    const bool silent = silentWhileWaiting(line, inv, m);
    // Also when the measurement failed: the figures say what did come.
    if (inv.stats)
        printStatistics(m.stats.text(), inv.csv);
    if (line.isLost())
        return lost(line);
    line.send(kStop);
    line.drain();
    if (line.isLost())
        return lost(line);
    return silent ? silence(m.seen) : int(Done);
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
            QString("nothing came back within %1 ms; %2").arg(kResponseWindowMs).arg(checkLine()));
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
        // Hex: 16 bytes a line, continued across chunks.
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
    // What the scan left out, and why, beside the list.
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
