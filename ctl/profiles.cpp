// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/profiles.h"

#include "ctl/exchanges.h"
#include "ctl/line.h"
#include "ctl/report.h"
#include "profile/comparison.h"
#include "profile/profilefile.h"
#include "protocol/exchange.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace ctl {

namespace {

using profile::Comparison;
using profile::PlannedSetting;
using profile::Profile;
using profile::ProfileFile;

// What the sensor reports: the analog and switching outputs, and with
// `identity` where they come from. Each answer whole and well formed, or
// the status that says why not (ask() has named the value).
int readSensor(Line &line, Profile *p, bool identity)
{
    Fields f;
    if (identity) {
        if (const int status = ask(line, protocol::IdentityQuery, &f))
            return status;
        p->serialNumber = f.at(0).second;
        p->version = f.at(1).second;
        p->productionDate = f.at(2).second;
    }
    if (const int status = ask(line, protocol::AnalogQuery, &f))
        return status;
    p->analog = profile::Analog{profile::rangeFromName(f.at(0).second), f.at(1).second.toLongLong(),
                                f.at(2).second.toLongLong()};
    if (const int status = ask(line, protocol::SwitchingQuery, &f))
        return status;
    p->switching = profile::Switching{f.at(0).second.toLongLong(), f.at(1).second.toLongLong(),
                                      f.at(2).second.toLongLong(), f.at(3).second.toLongLong()};
    return Done;
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

int write(Line &line, const Profile &p, PlannedSetting::Kind kind)
{
    Invocation one;
    switch (kind) {
    case PlannedSetting::AutoMeasure:
        one.index = *p.autoMeasure ? 0 : 1;
        return setAuto(line, one);
    case PlannedSetting::AnalogOutput:
        one.index = p.analog->range;
        one.distances = {QByteArray::number(p.analog->min), QByteArray::number(p.analog->max)};
        return setAnalog(line, one, true);
    case PlannedSetting::SwitchingOutputs:
        one.index = *p.switchingMode - 1;
        for (qint64 d : {p.switching->on1, p.switching->off1, p.switching->on2, p.switching->off2})
            one.distances << QByteArray::number(d);
        return setSwitching(line, one);
    case PlannedSetting::LinePreset:
        one.index = *p.linePreset;
        return setLinePreset(line, one);
    }
    return UsageError;
}

QString outcome(int status)
{
    switch (status) {
    case Done:
        return "written";
    case Refused:
        return "refused";
    case NoAnswer:
        return "not answered";
    default:
        return "port lost while writing; the sensor may hold part of it";
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
    Profile p;
    if (const int status = readSensor(line, &p, true))
        return status;
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

    auto line = std::make_unique<Line>();
    if (!openSensor(*line, inv.ports.constFirst(), inv.preset, true))
        return PortFailed;
    int status = Done;
    int preset = inv.preset;
    for (const PlannedSetting &s : planned) {
        // Once the port is gone, nothing more is written.
        if (status == PortFailed) {
            printLine(s.name + ": not written");
            continue;
        }
        const int one = write(*line, p, s.kind);
        printLine(s.name + ": " + outcome(one));
        if (s.kind == PlannedSetting::LinePreset && one == Done)
            preset = *p.linePreset;
        status = worse(status, one);
    }
    if (status == PortFailed)
        return status;
    if (preset != inv.preset) {
        // The sensor answers only at its new speed now.
        line.reset();
        line = std::make_unique<Line>();
        if (!openSensor(*line, inv.ports.constFirst(), preset, true))
            return PortFailed;
    }
    Profile sensor;
    if (const int read = readSensor(*line, &sensor, false))
        return worse(status, read);
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
        if (const int status = readSensor(line, &left, false))
            return status;
    }
    const Comparison c(left, right, scope);
    printDifferences(c, inv.json, leftName, inv.files.constLast());
    return c.equal() ? Done : Refused;
}

} // namespace ctl
