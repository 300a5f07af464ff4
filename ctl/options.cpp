// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/options.h"

#include "protocol/analogrange.h"
#include "protocol/codes.h"
#include "protocol/commands.h"
#include "protocol/linepresets.h"
#include "serial/advice.h"
#include "serial/ports.h"
#include "serial/portaddress.h"
#include "serial/traffic.h"
#include "version/version.h"

#include <QCommandLineParser>

#include <climits>
#include <initializer_list>

namespace ctl {

namespace {

const QString kProgram = QStringLiteral("orvante-ctl");

// The analog output's current ranges as typed, in the order of the sensor's
// range code.
const QStringList &analogRanges()
{
    static const QStringList ranges = [] {
        QStringList names;
        for (const protocol::AnalogRange &range : protocol::kAnalogRanges)
            names << QString::fromLatin1(range.name);
        return names;
    }();
    return ranges;
}

// A text of the table below with its placeholders filled in: %STOP% the keys
// and signals that stop a run (the system's own), %WINDOW% the response
// window's length, %RANGES% the analog ranges as a choice ("a|b"), %RANGE_OR%
// as words ("a or b").
QString filledIn(const char *text)
{
    return QString(text)
        .replace("%STOP%", serial::platformAdvice().stopKeys)
        .replace("%WINDOW%", QString("%1 ms").arg(protocol::kResponseWindowMs))
        .replace("%RANGES%", analogRanges().join('|'))
        .replace("%RANGE_OR%", analogRanges().join(" or "));
}

// A whole number from `min` to `max`.
bool wholeNumber(const QString &text, qint64 min, qint64 max, qint64 *value)
{
    bool ok = false;
    *value = text.toLongLong(&ok);
    return ok && *value >= min && *value <= max;
}

// --seconds, if given: 0 or more, to milliseconds.
QString takeSeconds(const QCommandLineParser &parser, qint64 *ms)
{
    if (!parser.isSet("seconds"))
        return QString();
    bool ok = false;
    const double s = parser.value("seconds").toDouble(&ok);
    // A year is plenty, and keeps the milliseconds far from overflowing.
    if (!ok || !(s >= 0) || s > 366.0 * 24 * 3600)
        return QString("--seconds wants a number of seconds, 0 or more, not '%1'")
            .arg(parser.value("seconds"));
    *ms = qint64(s * 1000.0 + 0.5);
    // Rounded to 0 it would mean no limit at all.
    if (*ms == 0 && s > 0)
        return QString("--seconds %1 is less than a millisecond; give 0.001 or more (0: until "
                       "stopped)")
            .arg(parser.value("seconds"));
    return QString();
}

// --NAME, one of `choices`: its position in them goes to `index`.
QString takeChoice(const QCommandLineParser &parser, const char *name, const QStringList &choices,
                   int *index)
{
    if (!parser.isSet(name))
        return QString("missing --%1 %2").arg(name, choices.join('|'));
    *index = int(choices.indexOf(parser.value(name)));
    if (*index < 0)
        return QString("--%1 wants %2, not '%3'")
            .arg(name, choices.join(" or "), parser.value(name));
    return QString();
}

// Distances as the sensor's setting commands carry them, one --NAME each.
QString takeDistances(const QCommandLineParser &parser, std::initializer_list<const char *> names,
                      QList<QByteArray> *into)
{
    for (const char *name : names) {
        if (!parser.isSet(name))
            return QString("missing --%1 D").arg(name);
        const QString value = parser.value(name);
        const QByteArray bytes = value.toLatin1();
        if (QString::fromLatin1(bytes) != value || !protocol::isDistanceText(bytes))
            return QString("--%1 wants a distance in 0.1 mm of 0 to 8 digits, 0-9 only, not '%2'")
                .arg(name, value);
        into->append(bytes);
    }
    return QString();
}

// One reader per command: fills in the command's own part of `inv` from its
// options and its arguments (as many as the command declares, the required
// ones there); returns what is wrong, if anything.

QString readMeasure(const QCommandLineParser &parser, const QStringList &, Invocation *inv)
{
    if (parser.isSet("count") && parser.isSet("seconds"))
        return "give --count or --seconds, not both";
    if (parser.isSet("count")) {
        qint64 count = 0;
        if (!wholeNumber(parser.value("count"), 0, INT_MAX, &count))
            return QString("--count wants a whole number of frames, 0 or more, not '%1'")
                .arg(parser.value("count"));
        inv->count = int(count);
    }
    inv->continuous = parser.isSet("count") || parser.isSet("seconds");
    inv->csv = parser.isSet("csv");
    inv->stats = parser.isSet("stats");
    return takeSeconds(parser, &inv->durationMs);
}

QString readLinePreset(const QCommandLineParser &, const QStringList &args, Invocation *inv)
{
    qint64 preset = 0;
    if (!wholeNumber(args.at(0), 0, protocol::kLinePresetCount - 1, &preset))
        return QString("set line-preset wants a preset from 0 to 7, not '%1'").arg(args.at(0));
    inv->index = int(preset);
    return QString();
}

QString readAuto(const QCommandLineParser &, const QStringList &args, Invocation *inv)
{
    inv->index = int(QStringList{"on", "off"}.indexOf(args.at(0)));
    if (inv->index < 0)
        return QString("set auto wants on or off, not '%1'").arg(args.at(0));
    return QString();
}

QString readAnalog(const QCommandLineParser &parser, const QStringList &, Invocation *inv)
{
    const QString problem = takeChoice(parser, "range", analogRanges(), &inv->index);
    return problem.isEmpty() ? takeDistances(parser, {"min", "max"}, &inv->distances) : problem;
}

QString readSwitching(const QCommandLineParser &parser, const QStringList &, Invocation *inv)
{
    const QString problem = takeChoice(parser, "mode", {"1", "2"}, &inv->index);
    return problem.isEmpty()
               ? takeDistances(parser, {"on1", "off1", "on2", "off2"}, &inv->distances)
               : problem;
}

QString readSend(const QCommandLineParser &parser, const QStringList &args, Invocation *inv)
{
    QString text = args.at(0);
    // A line, ended as a terminal ends what is typed into it.
    if (!parser.isSet("no-line-end") && !text.endsWith('\n'))
        text += '\n';
    inv->text = serial::freeTextBytes(text);
    if (inv->text.isEmpty())
        return "nothing to send";
    inv->hex = parser.isSet("hex");
    return QString();
}

QString readListen(const QCommandLineParser &parser, const QStringList &, Invocation *inv)
{
    inv->hex = parser.isSet("hex");
    return takeSeconds(parser, &inv->durationMs);
}

QString readProfileSave(const QCommandLineParser &parser, const QStringList &args, Invocation *inv)
{
    inv->files = args;
    qint64 preset = 0;
    if (parser.isSet("line-preset")) {
        if (!wholeNumber(parser.value("line-preset"), 0, protocol::kLinePresetCount - 1, &preset))
            return QString("--line-preset wants a preset from 0 to 7, not '%1'")
                .arg(parser.value("line-preset"));
        inv->linePreset = int(preset);
    }
    QString problem;
    if (parser.isSet("auto")) {
        problem = takeChoice(parser, "auto", {"off", "on"}, &inv->autoMeasure);
    }
    if (problem.isEmpty() && parser.isSet("switching-mode")) {
        problem = takeChoice(parser, "switching-mode", {"1", "2"}, &inv->switchingMode);
        inv->switchingMode += 1;
    }
    return problem;
}

QString readProfileApply(const QCommandLineParser &parser, const QStringList &args,
                         Invocation *inv)
{
    inv->files = args;
    inv->dryRun = parser.isSet("dry-run");
    return QString();
}

QString readProfileDiff(const QCommandLineParser &, const QStringList &args, Invocation *inv)
{
    inv->files = args;
    return QString();
}

using Reader = QString (*)(const QCommandLineParser &, const QStringList &, Invocation *);

// One of a command's own options; a switch without a value name. Its texts
// may hold filledIn()'s placeholders.
struct OptionSpec
{
    const char *name = nullptr;
    const char *description = nullptr;
    const char *valueName = nullptr;
};

// One of a command's arguments, in their order; `missing` names it in the
// complaint when it is left out, null where it may be.
struct ArgumentSpec
{
    const char *name = nullptr;
    const char *description = nullptr;
    const char *missing = nullptr;
};

// What a command takes of the program's own options besides --port. Sensor:
// it talks to one, so it takes --preset, its usage line starts with the port,
// and it needs exactly one --port unless what it is given needs no sensor (a
// dry run, two files).
enum Takes { Sensor = 1, Json = 2 };

struct VerbSpec
{
    const char *name; // as typed; the "set" and "profile" commands have two words
    Verb verb;
    int takes;
    const char *usage;   // after "orvante-ctl --port PATH [--preset N] "
    const char *summary; // under the usage, in the program's help
    const char *description;
    OptionSpec options[5] = {};
    ArgumentSpec arguments[2] = {};
    Reader read = nullptr;
};

const VerbSpec kVerbs[] = {
    {"identity", Verb::Identity, Sensor | Json, "identity [--json]",
     "serial number, version and production date",
     "Reads the sensor's identity: serial_number, version and production_date."},
    {"analog", Verb::Analog, Sensor | Json, "analog [--json]",
     "analog output: current range and distances at its ends",
     "Reads the analog output: range (%RANGE_OR% mA), min (the distance at 0 or 4 mA) and max "
     "(the distance at 20 mA), in 0.1 mm."},
    {"switching", Verb::Switching, Sensor | Json, "switching [--json]",
     "switching outputs: switch-on and switch-off distances",
     "Reads the switching outputs' switch-on (on1, on2) and switch-off (off1, off2) distances, "
     "in 0.1 mm."},
    {"measure", Verb::Measure, Sensor, "measure [--count N | --seconds S] [--csv] [--stats]",
     "measure once, or continuously (--count, --seconds)",
     "Measures once, or continuously with --count or --seconds, and prints one line per "
     "distance frame: the time it arrived (ISO 8601 local time with milliseconds and UTC "
     "offset) and the distance in 0.1 mm, separated by a space, or by a comma with --csv. "
     "Stop is sent when it ends, also when it is stopped with %STOP% (status 0). The first "
     "frame must come within %WINDOW%, and every further one within %WINDOW% of the one before "
     "(status 3 otherwise). With --stats it ends with one line of "
     "statistics, in mm: count, rate (frames/s), last, min, max, mean, standard deviation "
     "(n - 1) and peak to peak; on stdout, or on stderr with --csv, so the CSV stays clean.",
     {{"count", "Measure continuously until N frames have come (0: until Ctrl-C).", "N"},
      {"seconds", "Measure continuously for S seconds (0: until Ctrl-C).", "S"},
      {"csv", "Separate time and distance with a comma."},
      {"stats", "End with the statistics of the frames (stderr with --csv)."}},
     {},
     readMeasure},
    {"set line-preset", Verb::SetLinePreset, Sensor, "set line-preset N",
     "the sensor's own line preset, 0-7",
     "Sets the sensor's line preset N (0-7, numbered as for --preset). The sensor answers at "
     "the preset the port has now and uses the new one from then on: give --preset N to the "
     "commands that follow.",
     {},
     {{"N", "The sensor's new line preset, 0-7.", "its value"}},
     readLinePreset},
    {"set auto", Verb::SetAuto, Sensor, "set auto on|off", "automatic measurement on or off",
     "Switches the sensor's automatic measurement (measuring continuously from power-up) on or "
     "off.",
     {},
     {{"on|off", "Automatic measurement on or off.", "its value"}},
     readAuto},
    {"set analog", Verb::SetAnalog, Sensor, "set analog --range %RANGES% --min D --max D",
     "analog output: current range and distances",
     "Sets the analog output's current range and the distances at its low (0 or 4 mA) and high "
     "(20 mA) ends, in 0.1 mm, 0 to 8 digits. The range goes first; the distances follow when "
     "the sensor asks for them.",
     {{"range", "Current range: %RANGE_OR% (mA).", "%RANGES%"},
      {"min", "Distance at 0 or 4 mA, in 0.1 mm.", "D"},
      {"max", "Distance at 20 mA, in 0.1 mm.", "D"}},
     {},
     readAnalog},
    {"set switching", Verb::SetSwitching, Sensor,
     "set switching --mode 1|2 --on1 D --off1 D --on2 D --off2 D",
     "switching outputs: mode and distances",
     "Sets the switching outputs' mode and their switch-on and switch-off distances, in 0.1 mm, "
     "0 to 8 digits. Output 2 is sent once the sensor has accepted output 1, at the end of that "
     "answer's %WINDOW% response window.",
     {{"mode", "Switching mode 1 or 2.", "1|2"},
      {"on1", "Output 1 switch-on distance, in 0.1 mm.", "D"},
      {"off1", "Output 1 switch-off distance, in 0.1 mm.", "D"},
      {"on2", "Output 2 switch-on distance, in 0.1 mm.", "D"},
      {"off2", "Output 2 switch-off distance, in 0.1 mm.", "D"}},
     {},
     readSwitching},
    {"send", Verb::Send, Sensor, "send [--no-line-end] [--hex] TEXT",
     "send TEXT and a line end; print what comes back",
     "Sends TEXT (Latin-1) followed by CR LF, as the window's Send button sends a line, and "
     "prints what arrives within %WINDOW%: as it came, or as hexadecimal digits with --hex. "
     "Status 3 when nothing arrives.",
     {{"no-line-end", "Send TEXT as it is, without CR LF."},
      {"hex", "Print what comes back as hexadecimal digits."}},
     {{"TEXT", "The text to send.", "TEXT to send"}},
     readSend},
    {"listen", Verb::Listen, Sensor, "listen [--seconds S] [--hex]",
     "print what the sensor sends",
     "Prints what the sensor sends, as it came or as hexadecimal digits with --hex (16 bytes a "
     "line), until Ctrl-C or for S seconds. Sends nothing.",
     {{"seconds", "Listen for S seconds (0 or none: until Ctrl-C).", "S"},
      {"hex", "Print as hexadecimal digits, 16 bytes a line."}},
     {},
     readListen},
    {"ports", Verb::Ports, Json, "ports [--port PATH]... [--json]",
     "the serial ports that can be opened now",
     "Lists the serial ports that can be opened now, as the window's Scan does: the --port "
     "paths first, in the order given, then the system's ports."},
    {"profile save", Verb::ProfileSave, Sensor,
     "profile save [--line-preset N] [--auto on|off] [--switching-mode 1|2] FILE",
     "save the sensor's settings to a profile FILE",
     "Reads the identity, the analog output and the switching outputs and saves them to FILE "
     "(JSON, \"format\": 1, distances in 0.1 mm), written whole or not at all. The identity is "
     "recorded where the values came from, never written to a sensor. The sensor does not "
     "report its line preset, automatic measurement or switching mode: give them to record "
     "them (applying switching outputs needs the mode). An answer that is incomplete or not "
     "in the sensor's form is not saved (status 3, naming the value). FILE must be a regular "
     "file or not exist yet (a link to one is followed); an existing one keeps its owner and "
     "mode.",
     {{"line-preset", "Record line preset N (0-7) as the one to write.", "N"},
      {"auto", "Record automatic measurement on or off.", "on|off"},
      {"switching-mode", "Record switching mode 1 or 2.", "1|2"}},
     {{"FILE", "The profile to write.", "FILE to write"}},
     readProfileSave},
    {"profile apply", Verb::ProfileApply, Sensor, "profile apply [--dry-run] FILE",
     "write a profile FILE's settings to the sensor and check them",
     "Writes the settings FILE holds, one by one: automatic measurement, analog output, "
     "switching outputs, and the line preset last (the sensor changes speed after it; the "
     "port is then reopened at the new preset). Settings FILE leaves out are left alone. Then "
     "reads back what the sensor reports and compares: status 0 when everything was written "
     "and matches, 1 with the settings refused and a table of the differences otherwise. Each "
     "setting is reported as written, refused, not answered, interrupted or not written. "
     "FILE must be a regular file of at most 1 MiB, each key given once, with its \"unit\". "
     "SIGINT or SIGTERM ends the run once the setting on the line has ended. With --dry-run "
     "it prints the commands it would send, byte for byte, and sends nothing (no port needed).",
     {{"dry-run", "Print the commands, byte for byte; send nothing."}},
     {{"FILE", "The profile to apply.", "FILE to apply"}},
     readProfileApply},
    {"profile diff", Verb::ProfileDiff, Sensor | Json, "profile diff [--json] FILE [FILE2]",
     "compare the sensor, or FILE2, with a profile FILE",
     "Compares the sensor's analog and switching outputs with what FILE holds, or, given "
     "FILE2, the two files with each other (no port needed). Prints the settings that differ, "
     "as setting, the sensor's (or FILE's) value and FILE's (or FILE2's); with --json one "
     "object: equal, and the differences. Status 0 when equal, 1 when not, as diff has it.",
     {},
     {{"FILE", "The profile to compare with.", "FILE"},
      {"FILE2", "Another profile, in place of the sensor."}},
     readProfileDiff},
#ifdef ORV_WITH_PUBLISH
    // Its options and help are gateway/'s (publish --help).
    {"publish", Verb::Publish, Sensor,
     "publish --mqtt URL [--qos 0|1] [--interval MS] | --config FILE",
     "publish the distances to an MQTT broker, as a gateway that keeps running", ""},
#endif
};

const QString kExitStatus = QStringLiteral(
    "Exit status: 0 done (profile: equal), 1 refused by the sensor (profile: differences), 2 "
    "usage error, a profile file that cannot be read or written, or standard output or error "
    "that cannot be written, 3 no complete answer within the response window, or one with "
    "values not in the sensor's form (named on stderr), 4 the port could not be opened or was "
    "lost, 130 or 143 stopped by SIGINT or SIGTERM (a setting on the line is let end first; "
    "what became of each is said).");

QCommandLineOption portOption()
{
    return {"port",
            QString("Serial device of the sensor (%1), or a serial device server's address: %2. "
                    "For ports: also offer PATH, before the system's ports (repeatable).")
                .arg(serial::platformAdvice().portExamples, serial::kAddressForms),
            "PATH"};
}

QCommandLineOption presetOption()
{
    QStringList presets;
    for (int i = 0; i < protocol::kLinePresetCount; ++i)
        presets << QString("%1 %2%3")
                       .arg(i)
                       .arg(protocol::linePresetName(i))
                       .arg(i == 0 ? " (default)" : "");
    return {"preset", "Line preset of the port, as in the window: " + presets.join(", ") + ".",
            "N"};
}

// The options of the program (`entry` null: all the common ones), or of one
// command: the common ones it takes, then its own, then its arguments.
void addOptions(QCommandLineParser &parser, const VerbSpec *entry)
{
    const int takes = entry ? entry->takes : Sensor | Json;
    parser.addOption(portOption());
    if (takes & Sensor)
        parser.addOption(presetOption());
    if (takes & Json)
        parser.addOption(
            {"json", "Print the answer as one JSON object (identity, analog, switching) or array "
                     "(ports)."});
    parser.addOption({{"h", "help"}, "Show this help; COMMAND --help shows a command's."});
    if (!entry)
        return;
    for (const OptionSpec &option : entry->options) {
        if (option.name)
            parser.addOption({option.name, filledIn(option.description),
                              option.valueName ? filledIn(option.valueName) : QString()});
    }
    for (const ArgumentSpec &argument : entry->arguments) {
        if (argument.name)
            parser.addPositionalArgument(argument.name, argument.description);
    }
}

// Paragraphs broken into lines of at most 79 characters, as the parser
// breaks the option texts.
QString wrapped(const QString &text)
{
    QStringList lines;
    for (const QString &paragraph : text.split('\n')) {
        QString line;
        for (const QString &word : paragraph.split(' ', Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > 79) {
                lines << line;
                line.clear();
            }
            line += (line.isEmpty() ? "" : " ") + word;
        }
        lines << line;
    }
    return lines.join('\n');
}

// The parser's own help with our usage line: it names the command.
QString helpText(const QCommandLineParser &parser, const QString &usage)
{
    const QString text = parser.helpText();
    return usage + text.mid(text.indexOf('\n'));
}

QString programHelp(QCommandLineParser &parser)
{
    QString commands;
    for (const VerbSpec &entry : kVerbs)
        commands += QString("  %1\n                      %2\n")
                        .arg(filledIn(entry.usage), entry.summary);
    parser.setApplicationDescription(
        wrapped(filledIn("Queries, settings and measurements of a laser distance sensor on a "
                         "serial line, for scripts: the same command bytes as the buttons of "
                         "orvante-usart, the same %WINDOW% response window (ended early once "
                         "the answer can no longer change), the same answer parsing and "
                         "decisions. Distances are in 0.1 mm.")) +
        "\n\nCommands:\n" + commands + "\n" + wrapped(kExitStatus));
    return helpText(parser, "Usage: " + kProgram +
                                " [--port PATH] [--preset N] [--json] COMMAND [ARGUMENTS]\n"
                                "  or:  " +
                                kProgram + " COMMAND --help");
}

QString commandHelp(QCommandLineParser &parser, const VerbSpec &entry)
{
    parser.setApplicationDescription(wrapped(filledIn(entry.description) + "\n\n" + kExitStatus));
    const QString port = entry.takes & Sensor ? "--port PATH [--preset N] " : QString();
    return helpText(parser, "Usage: " + kProgram + " " + port + filledIn(entry.usage));
}

const VerbSpec *findVerb(const QString &name)
{
    for (const VerbSpec &entry : kVerbs) {
        if (name == entry.name)
            return &entry;
    }
    return nullptr;
}

// The second words of the commands `group` starts ("a, b or c"); empty when
// it starts none.
QString groupMembers(const QString &group)
{
    QStringList members;
    for (const VerbSpec &entry : kVerbs) {
        const QString name = entry.name;
        if (name.startsWith(group + ' '))
            members << name.mid(group.size() + 1);
    }
    const QString last = members.isEmpty() ? QString() : members.takeLast();
    return members.isEmpty() ? last : members.join(", ") + " or " + last;
}

CommandLine print(const QString &text)
{
    CommandLine line;
    line.outcome = CommandLine::Print;
    line.text = text;
    return line;
}

CommandLine usage(QString problem, const QString &command = QString())
{
    if (problem.endsWith('.'))
        problem.chop(1);
    CommandLine line;
    line.outcome = CommandLine::Usage;
    const QString help =
        command.isEmpty() ? kProgram + " --help" : kProgram + " " + command + " --help";
    line.text = problem + "; see " + help;
    return line;
}

// An option that takes one value, given more than once (the parser would
// keep the last silently). --port alone is repeatable (ports).
QString repeatedOption(const QCommandLineParser &top, const QCommandLineParser &own)
{
    for (const QString &name : top.optionNames() + own.optionNames()) {
        const auto given = [&name](const QCommandLineParser &parser) {
            return parser.optionNames().contains(name) ? parser.values(name) : QStringList();
        };
        const QStringList values = given(top) + given(own);
        if (name != "port" && values.size() > 1)
            return QString("--%1 given more than once ('%2'); give it once")
                .arg(name, values.join("', '"));
    }
    return QString();
}

// The --port paths as QSerialPort is to open them; what is wrong, if anything.
QString takePorts(const QStringList &given, QStringList *ports)
{
    for (const QString &port : given) {
        if (port.isEmpty())
            return "--port wants a device path, not ''";
        ports->append(serial::portFromArgument(port));
    }
    return QString();
}

// Fills in the command's own part of `inv`; returns what is wrong, if anything.
QString readCommand(const QCommandLineParser &parser, const VerbSpec &entry, Invocation *inv)
{
    const QStringList args = parser.positionalArguments();
    int most = 0;
    for (const ArgumentSpec &argument : entry.arguments) {
        if (!argument.name)
            break;
        if (args.size() <= most && argument.missing)
            return QString("missing ") + argument.missing;
        ++most;
    }
    if (args.size() > most)
        return QString("unexpected argument '%1'").arg(args.at(most));
    return entry.read ? entry.read(parser, args, inv) : QString();
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    // First the options before the command; everything from the command on
    // goes to the command's own parser, which knows the port options too.
    QCommandLineParser top;
    addOptions(top, nullptr);
    top.addOption({{"v", "version"}, "Show the version."});
    top.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!top.parse(arguments))
        return usage(top.errorText());
    if (top.isSet("version"))
        return print(kProgram + " " + ORV_VERSION + "\n");

    QStringList rest = top.positionalArguments();
    const QString first = rest.value(0);
    const bool group = !groupMembers(first).isEmpty();
    QString name = first;
    if (group && rest.size() > 1 && !rest.at(1).startsWith('-'))
        name += " " + rest.at(1);
    const VerbSpec *entry = findVerb(name);
    if (!entry) {
        const bool help = top.isSet("help") || name == "help" ||
                          (group && (rest.contains("--help") || rest.contains("-h")));
        if (help)
            return print(programHelp(top));
        if (name.isEmpty())
            return usage("no command given");
        if (group && name == first)
            return usage(first + (first == "set" ? " wants what to set: " : " wants ") +
                         groupMembers(first));
        return usage(QString("unknown command '%1'").arg(name));
    }
    rest = rest.mid(name.count(' ') + 1);
    if (entry->verb == Verb::Publish) {
        CommandLine line;
        line.outcome = CommandLine::Run;
        line.invocation.command = Verb::Publish;
        QStringList &args = line.invocation.arguments;
        args << arguments.value(0);
        for (const QString &port : top.values("port"))
            args << "--port" << port;
        if (top.isSet("preset"))
            args << "--preset" << top.value("preset");
        if (top.isSet("help"))
            args << "--help";
        if (top.isSet("json"))
            return usage("--json is for identity, analog, switching and ports", entry->name);
        args << rest;
        return line;
    }

    QCommandLineParser own;
    addOptions(own, entry);
    if (!own.parse(QStringList{arguments.value(0)} + rest))
        return usage(own.errorText(), entry->name);
    if (top.isSet("help") || own.isSet("help"))
        return print(commandHelp(own, *entry));

    CommandLine line;
    Invocation &inv = line.invocation;
    inv.command = entry->verb;
    QString problem = repeatedOption(top, own);
    if (problem.isEmpty())
        problem = takePorts(top.values("port") + own.values("port"), &inv.ports);
    if (problem.isEmpty())
        problem = serial::addressProblem(inv.ports);
    if (!problem.isEmpty())
        return usage(problem, entry->name);
    // Not every command has every option; optionNames() lists those given.
    const QStringList given = own.optionNames();
    inv.json = top.isSet("json") || given.contains("json");
    const bool presetGiven = given.contains("preset") || top.isSet("preset");
    const QString preset = given.contains("preset") ? own.value("preset") : top.value("preset");
    qint64 presetIndex = 0;
    if (presetGiven && !wholeNumber(preset, 0, protocol::kLinePresetCount - 1, &presetIndex))
        return usage(QString("--preset wants a line preset from 0 to 7, not '%1'").arg(preset),
                     entry->name);
    inv.preset = int(presetIndex);
    if (inv.json && !(entry->takes & Json))
        return usage("--json is for identity, analog, switching and ports", entry->name);
    problem = readCommand(own, *entry, &inv);
    if (!problem.isEmpty())
        return usage(problem, entry->name);
    // Two files, or the bytes a profile goes out as, need no sensor.
    const bool sensorless = !(entry->takes & Sensor) || inv.dryRun || inv.files.size() == 2;
    if (!sensorless) {
        if (inv.ports.isEmpty())
            return usage("which port? Give --port PATH (orvante-ctl ports lists those that open)",
                         entry->name);
        if (inv.ports.size() > 1)
            return usage(QString("%1 talks to one sensor: give --port once").arg(entry->name),
                         entry->name);
    }
    line.outcome = CommandLine::Run;
    return line;
}

} // namespace ctl
