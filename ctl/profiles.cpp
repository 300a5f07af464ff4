// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/profiles.h"

#include "console/interrupts.h"
#include "ctl/outcomes.h"
#include "ctl/line.h"
#include "ctl/report.h"
#include "profile/comparison.h"
#include "profile/profilefile.h"
#include "profile/runner.h"
#include "protocol/codes.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

namespace ctl {

namespace {

using profile::Comparison;
using profile::PlannedSetting;
using profile::Profile;
using profile::ProfileFile;
using profile::Runner;

// Runs the profile runner on the line to its end, or the line's. A failure
// it names (an answer missing or garbled) is said on stderr with the status
// it gives; a lost line ends it as if cancelled, and is said too. A signal
// ends it once the exchange on the line has ended, a second one at once;
// `stoppedBy` gets the signal, and the status is the signal's.
int runOn(Line &line, const std::function<void(Runner &)> &start, Runner::Result *result,
          int *stoppedBy = nullptr)
{
    engine::Exchanger engine;
    Runner runner(engine);
    bool ended = false;
    engine.write = [&line](const QByteArray &bytes) { line.send(bytes); };
    // The sensor changes speed once it has taken a new preset.
    bool serverBehind = false;
    runner.presetChanged = [&line, &serverBehind](int preset) {
        serverBehind = !line.setPreset(preset);
        if (serverBehind)
            serverKeepsLine(line, preset);
    };
    runner.finished = [&](const Runner::Result &r) {
        *result = r;
        ended = true;
        line.release();
    };
    line.received = [&engine](const QByteArray &chunk) { engine.take(chunk); };
    bool stopping = false;
    console::Interrupts interrupts([&] {
        if (stopping)
            runner.cancel();
        else
            runner.stop();
        stopping = true;
    });
    start(runner);
    line.wait(-1, [&ended] { return ended; });
    line.received = nullptr;
    if (line.isLost()) {
        runner.cancel();
        return lost(line);
    }
    if (const int signal = interrupts.signal()) {
        if (stoppedBy)
            *stoppedBy = signal;
        else
            fail(Done, QString("stopped by %1").arg(console::Interrupts::name(signal)));
        return console::Interrupts::exitStatus(signal);
    }
    if (result->failure.isEmpty())
        return Done;
    // The sensor took the new preset, the server's line did not: nothing can
    // be read back, and the sensor's acceptance stands.
    if (serverBehind) {
        fail(Done, "nothing read back: the sensor no longer talks at the server's line settings");
        return Done;
    }
    QString failure = result->failure;
    failure[0] = failure.at(0).toLower();
    return fail(NoAnswer, failure + "; " + checkLine());
}

// The settings that differ, as a table (nothing when none does), or as one
// JSON object.
void printDifferences(const Comparison &c, bool json, const QString &left, const QString &right)
{
    const QList<Comparison::Row> rows = c.differences();
    if (json) {
        QJsonArray differences;
        const auto value = [](const QString &v) { return v.isEmpty() ? QJsonValue() : v; };
        for (const Comparison::Row &row : rows)
            differences.append(QJsonObject{{"setting", row.setting},
                                           {"left", value(row.left)},
                                           {"right", value(row.right)}});
        const QJsonObject out{{"equal", rows.isEmpty()},
                              {"left", left},
                              {"right", right},
                              {"differences", differences}};
        printRaw(QJsonDocument(out).toJson(QJsonDocument::Compact) + '\n');
        return;
    }
    if (rows.isEmpty())
        return;
    int widths[2] = {int(QString("setting").size()), int(left.size())};
    for (const Comparison::Row &row : rows) {
        widths[0] = qMax(widths[0], int(row.setting.size()));
        widths[1] = qMax(widths[1], int(row.left.size()));
    }
    const auto shown = [](const QString &v) { return v.isEmpty() ? QString("-") : v; };
    printLine(QString("setting").leftJustified(widths[0] + 2) + left.leftJustified(widths[1] + 2) +
              right);
    for (const Comparison::Row &row : rows)
        printLine(row.setting.leftJustified(widths[0] + 2) +
                  shown(row.left).leftJustified(widths[1] + 2) + shown(row.right));
}

// Every byte as it goes out: printable ASCII as itself, the rest as \xNN.
QString byteForByte(const QByteArray &bytes)
{
    QString out;
    for (const char c : bytes) {
        if (c >= 0x20 && c < 0x7f && c != '\\')
            out += QLatin1Char(c);
        else
            out += QString("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return out;
}

// The set command that writes `setting`, whose help says more.
QString setCommand(protocol::Setting setting)
{
    switch (setting) {
    case protocol::LineSpeedSetting:
        return "set line-preset";
    case protocol::AnalogSetting:
        return "set analog";
    case protocol::AutoMeasureSetting:
        return "set auto";
    default:
        return "set switching";
    }
}

// The worse of two statuses for a whole run: a lost port, then a missing
// answer, then a refusal or difference.
int worse(int a, int b)
{
    const auto rank = [](int s) { return s == PortFailed ? 3 : s == NoAnswer ? 2 : s != Done; };
    return rank(b) > rank(a) ? b : a;
}

bool readFile(const QString &path, Profile *p)
{
    QString problem;
    if (ProfileFile::read(path, p, &problem))
        return true;
    fail(UsageError, problem);
    return false;
}

} // namespace

int saveProfile(const Invocation &inv)
{
    Line line;
    if (!openSensor(line, inv.ports.constFirst(), inv.preset, true))
        return PortFailed;
    Runner::Result result;
    if (const int status = runOn(line, [](Runner &r) { r.read(true); }, &result))
        return status;
    Profile p = result.sensor;
    if (inv.linePreset >= 0)
        p.linePreset = inv.linePreset;
    if (inv.autoMeasure >= 0)
        p.autoMeasure = inv.autoMeasure == 1;
    if (inv.switchingMode > 0)
        p.switchingMode = inv.switchingMode;
    p.savedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    QString problem;
    if (!ProfileFile::write(inv.files.constFirst(), p, &problem))
        return fail(UsageError, problem);
    printLine("saved " + inv.files.constFirst());
    return Done;
}

int applyProfile(const Invocation &inv)
{
    const QString path = inv.files.constFirst();
    Profile p;
    if (!readFile(path, &p))
        return UsageError;
    if (p.switching && !p.switchingMode)
        return fail(UsageError, path + ": switching_outputs need written_not_read_back."
                                       "switching_mode (1 or 2); the sensor does not report it");
    const QList<PlannedSetting> planned = profile::plan(p);
    if (planned.isEmpty())
        return fail(UsageError, path + ": no setting to write");
    if (inv.dryRun) {
        for (const PlannedSetting &s : planned) {
            for (const QByteArray &bytes : s.writes)
                printLine(s.name + ": " + byteForByte(bytes));
        }
        return Done;
    }

    Line line;
    if (!openSensor(line, inv.ports.constFirst(), inv.preset, true))
        return PortFailed;
    Runner::Result result;
    int signal = 0;
    const int run = runOn(
        line, [&p](Runner &r) { r.apply(p); }, &result, &signal);
    int status = Done;
    for (int i = 0; i < result.written.size(); ++i) {
        const auto &entry = result.written.at(i);
        printLine(entry.first + ": " + entry.second);
        // Why a setting did not go in, as the set commands say it.
        if (!line.isLost() && i < result.outcomes.size())
            status = worse(status, settled(line, result.outcomes.at(i),
                                           setCommand(result.outcomes.at(i).setting)));
    }
    if (signal) {
        fail(run, QString("stopped by %1; the settings above say what the sensor holds "
                          "(nothing was read back)")
                      .arg(console::Interrupts::name(signal)));
        return run;
    }
    if (run != Done)
        return worse(status, run);
    if (!result.failure.isEmpty()) // not read back (runOn)
        return status;
    const Profile &sensor = result.sensor;
    const Comparison c(sensor, p, Comparison::Scope::ReadBack);
    printDifferences(c, false, "sensor", path);
    if (!c.equal())
        fail(Refused, "the sensor does not hold what " + path + " says (table on stdout)");
    return worse(status, c.equal() ? Done : Refused);
}

int diffProfile(const Invocation &inv)
{
    Profile right;
    if (!readFile(inv.files.constLast(), &right))
        return UsageError;
    Profile left;
    QString leftName = "sensor";
    Comparison::Scope scope = Comparison::Scope::ReadBack;
    if (inv.files.size() == 2) {
        if (!readFile(inv.files.constFirst(), &left))
            return UsageError;
        leftName = inv.files.constFirst();
        scope = Comparison::Scope::Everything;
    } else {
        Line line;
        if (!openSensor(line, inv.ports.constFirst(), inv.preset, true))
            return PortFailed;
        Runner::Result result;
        if (const int status = runOn(line, [](Runner &r) { r.read(false); }, &result))
            return status;
        left = result.sensor;
    }
    const Comparison c(left, right, scope);
    printDifferences(c, inv.json, leftName, inv.files.constLast());
    return c.equal() ? Done : Refused;
}

} // namespace ctl
