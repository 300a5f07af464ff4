// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/outcomes.h"

#include "console/interrupts.h"
#include "ctl/line.h"
#include "protocol/codes.h"
#include "protocol/linepresets.h"
#include "protocol/presentedvalues.h"
#include "protocol/steps.h"

namespace ctl {

namespace {

const QString kCheckLine =
    QStringLiteral("check that --preset matches the sensor's line preset and that the sensor is "
                   "powered and connected, then try again");

using namespace protocol;
using console::Interrupts;
using engine::Exchanger;
using Outcome = engine::Exchanger::Outcome;

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

// A good value as scripts read it: the analog range by its name ("4-20"), as
// set analog --range takes it.
QString written(const PresentedValue &value)
{
    return value.range ? QString::fromLatin1(value.range->name) : value.text;
}

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

int ask(Line &line, protocol::Command command, Fields *fields)
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
    // left out like one that never came. Nor is one without the sensor's
    // form (garbage, or positions shifted by what preceded the answer): it
    // is named, never printed.
    fields->clear();
    QStringList lacking, garbled;
    for (const PresentedValue &v : presentedValues(command, answer)) {
        const bool good = v.verdict == ValueVerdict::Good;
        fields->append({v.key, good ? written(v) : QString()});
        if (v.verdict == ValueVerdict::Malformed)
            garbled << v.key + " " + quote(v.came);
        else if (!good || fields->constLast().second.isEmpty())
            lacking << v.key;
    }
    if (!garbled.isEmpty())
        fail(NoAnswer,
             QString("%1 not understood: %2; %3")
                 .arg(QString(answerName(command)).toLower(), garbled.join(", "), kCheckLine));
    if (!lacking.isEmpty())
        return incomplete(what, "no " + lacking.join(", "), answer);
    return garbled.isEmpty() ? int(Done) : int(NoAnswer);
}

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
        // No decision is not a refusal: a script is better off knowing the
        // difference.
        return incomplete(what, "no decision", outcome.answer);
    }
}

} // namespace ctl
