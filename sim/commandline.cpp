// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/commandline.h"

#include "console/arguments.h"
#include "protocol/linepresets.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <climits>
#include <cmath>

namespace sim {

namespace {

// A value the options cannot take; readCommandLine() says why.
struct Failure
{
    QString message;
};

qint64 integerOption(const QCommandLineParser &parser, const QString &name, qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < min || value > max)
        throw Failure{QStringLiteral("--%1 wants a whole number from %2 to %3, not \"%4\"")
                          .arg(name)
                          .arg(min)
                          .arg(max)
                          .arg(parser.value(name))};
    return value;
}

double numberOption(const QCommandLineParser &parser, const QString &name, double min, double max)
{
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    // "nan" and "inf" parse as numbers, and nan fails no comparison; neither
    // converts to a whole number of milliseconds.
    if (!ok || !std::isfinite(value) || value < min || value > max)
        throw Failure{QStringLiteral("--%1 wants a finite number from %2 to %3, not \"%4\"")
                          .arg(name)
                          .arg(min, 0, 'g', 12)
                          .arg(max, 0, 'g', 12)
                          .arg(parser.value(name))};
    return value;
}

SensorModel::Options modelOptions(const QCommandLineParser &parser)
{
    SensorModel::Options o;
    const QString profile = parser.value("profile");
    if (profile == "fixed")
        o.profile = Profile::Fixed;
    else if (profile == "ramp")
        o.profile = Profile::Ramp;
    else if (profile == "sine")
        o.profile = Profile::Sine;
    else
        throw Failure{
            QStringLiteral("--profile wants fixed, ramp or sine, not \"%1\"").arg(profile)};

    const qint64 maxDistance = SensorModel::kMaxDistance;
    o.distance = integerOption(parser, "distance", 0, maxDistance);
    o.amplitude = integerOption(parser, "amplitude", 0, maxDistance);
    o.periodMs = integerOption(parser, "period", 1, INT_MAX);
    o.jitter = integerOption(parser, "jitter", 0, maxDistance);
    o.seed = quint32(integerOption(parser, "seed", 0, UINT_MAX));
    o.frameIntervalMs = 1000.0 / numberOption(parser, "rate", 0.01, 1000);

    o.serialNumber = parser.value("serial-number").toLatin1();
    o.version = parser.value("sensor-version").toLatin1();
    o.productionDate = QDate::fromString(parser.value("production-date"), Qt::ISODate);
    o.linePreset = int(integerOption(parser, "preset", 0, protocol::kLinePresetCount - 1));
    o.autoMeasure = parser.isSet("auto");

    o.rejectSettings = parser.isSet("reject-settings");
    o.rejectedSettings = parser.values("reject-setting");
    for (const QString &name : o.rejectedSettings) {
        if (!QStringList{"line-preset", "analog", "switching", "auto"}.contains(name))
            throw Failure{QStringLiteral("--reject-setting wants line-preset, analog, switching "
                                         "or auto, not \"%1\"")
                              .arg(name)};
    }
    o.silent = parser.isSet("silent");
    o.answerDelayMs = int(integerOption(parser, "delay", 0, INT_MAX));
    o.chunkSize = int(integerOption(parser, "chunk-size", 0, INT_MAX));
    o.chunkGapMs = int(integerOption(parser, "chunk-gap", 0, INT_MAX));
    o.noiseBytes = int(integerOption(parser, "noise-bytes", 0, 4096));
    if (parser.isSet("drop-after"))
        o.dropAfterMs = qRound64(numberOption(parser, "drop-after", 0, 1e9) * 1000.0);

    const QString problem = SensorModel::validate(o);
    if (!problem.isEmpty())
        throw Failure{problem};
    return o;
}

// The default value of an option, shown in its help, or what happens
// without it.
QString defaulted(const QString &description, const QString &value)
{
    return QStringLiteral("%1 Default: %2.").arg(description, value);
}

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        "Simulated laser distance sensor. Creates a pseudo-terminal and prints the path of its "
        "serial device on standard output, or serves the device given with --device. Runs "
        "until SIGINT or SIGTERM. Distances are in 0.1 mm.");
    console::addHelpAndVersion(parser);
    // The defaults are the model's own.
    const SensorModel::Options d;
    const QString rate = QString::number(1000.0 / d.frameIntervalMs, 'g', 6);
    QList<QCommandLineOption> options{
        {"device",
         defaulted("Serve this serial device (a real port or one end of a socat pair).",
                   "a new pseudo-terminal"),
         "path"},
        {"link",
         defaulted("Make a symbolic link to the pseudo-terminal at this path; removed on exit.",
                   "none"),
         "path"},
        {"verbose", "Log received and sent bytes to standard error."},
        {"profile",
         "Distance profile: fixed, ramp (sawtooth from --distance up by --amplitude) or sine "
         "(around --distance).",
         "name", "fixed"},
        {"distance", "Fixed distance, ramp start or sine centre.", "tenths-mm",
         QString::number(d.distance)},
        {"amplitude", "Ramp rise or sine amplitude.", "tenths-mm", QString::number(d.amplitude)},
        {"period", "Ramp or sine period.", "ms", QString::number(d.periodMs)},
        {"jitter", "Sine only: random noise of up to this much either way.", "tenths-mm",
         QString::number(d.jitter)},
        {"seed", "Seed for jitter and noise bytes (runs repeat exactly).", "n",
         QString::number(d.seed)},
        {"rate",
         "Frames per second during a continuous measurement, 0.01 to 1000, any fraction. Each "
         "frame leaves on the millisecond it is due, counted from the measurement's start, so "
         "single gaps differ by up to 1 ms and the average is the rate asked. A frame is 13 "
         "bytes: a 115200 baud line with 8N1 carries at most 886.15 a second, 9600 baud "
         "73.8; a pseudo-terminal is not bound by its speed.",
         "hz", rate},
        {"serial-number", "Serial number, 3 characters.", "text",
         QString::fromLatin1(d.serialNumber)},
        {"sensor-version", "Version, 2 characters.", "text", QString::fromLatin1(d.version)},
        {"production-date", "Production date, 2020 to 2029.", "yyyy-mm-dd",
         d.productionDate.toString(Qt::ISODate)},
        {"preset",
         "Line preset 0-7 the sensor starts with (9600 8N1 ... 115200 7E1). It answers only "
         "when the port's speed matches (a pseudo-terminal shows the speed the program set, "
         "not its character format); at another speed what it sends arrives garbled and what "
         "it is sent is not understood. Sets the line of --device.",
         "index", QString::number(d.linePreset)},
        {"auto", "Automatic measurement on: measure continuously from start-up."},
        {"reject-settings", "Fault: refuse every setting write."},
        {"reject-setting",
         defaulted("Fault: refuse this setting only: line-preset, analog, switching or auto "
                   "(repeatable).",
                   "none"),
         "name"},
        {"silent", "Fault: never answer."},
        {"delay", "Fault: send every answer this late.", "ms", QString::number(d.answerDelayMs)},
        {"chunk-size", "Fault: send answers in pieces of this many bytes (0: whole).", "bytes",
         QString::number(d.chunkSize)},
        {"chunk-gap", "Fault: pause between those pieces.", "ms", QString::number(d.chunkGapMs)},
        {"noise-bytes", "Fault: send this many garbage bytes ahead of every answer.", "count",
         QString::number(d.noiseBytes)},
        {"drop-after",
         defaulted("Fault: drop the line (close the device) and exit after this long.", "never"),
         "seconds"},
    };
    for (QCommandLineOption &option : options) {
        if (!option.defaultValues().isEmpty())
            option.setDescription(defaulted(option.description(), option.defaultValues().first()));
    }
    parser.addOptions(options);
}

} // namespace

bool readCommandLine(const QCoreApplication &app, Settings *settings, QString *error)
{
    QCommandLineParser parser;
    addOptions(parser);
    console::readArguments(parser, app.arguments(), kUsageError);
    try {
        settings->model = modelOptions(parser);
    } catch (const Failure &f) {
        *error = f.message;
        return false;
    }
    settings->device = parser.value("device");
    settings->link = parser.value("link");
    settings->verbose = parser.isSet("verbose");
    if (!settings->device.isEmpty() && !settings->link.isEmpty()) {
        *error = QStringLiteral("--link applies to a pseudo-terminal, not to --device");
        return false;
    }
    return true;
}

} // namespace sim
