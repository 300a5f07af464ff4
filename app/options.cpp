// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/options.h"

#include "console/arguments.h"
#include "console/textout.h"
#include "serial/portaddress.h"
#include "serial/ports.h"
#include "view/trafficdisplay.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const QCommandLineOption &portOption()
{
    static const QCommandLineOption option(
        "port",
        QString("Offer device PATH in Scan, before the system's own ports (a pseudo-terminal, "
                "a network-serial bridge, the simulator); listed only if it opens. Or a serial "
                "device server's address, "
                "%1, listed as given. Repeatable.")
            .arg(serial::kAddressForms),
        "PATH");
    return option;
}

const QCommandLineOption &scrollbackOption()
{
    static const QCommandLineOption option(
        "scrollback",
        QString("Keep the last N lines in the display (default %1; 0: no limit). The traffic "
                "log keeps everything.")
            .arg(view::kDefaultScrollbackLines),
        "N");
    return option;
}

// The toolkit's own switches, which QApplication removes from the command line
// (with one or two leading dashes; -style and -stylesheet also as -style=NAME).
struct ToolkitSwitch
{
    const char *name;
    bool takesValue;
};
const ToolkitSwitch kToolkitSwitches[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true},
    {"qwindowtitle", true},    {"geometry", true},
    {"title", true},           {"icon", true},
    {"display", true},         {"session", true},
    {"style", true},           {"stylesheet", true},
    {"reverse", false},        {"testability", false},
    {"widgetcount", false},
};

// How many arguments from `args` on are a toolkit switch (with its value): 0, 1 or 2.
int toolkitSwitchLength(int count, char **args)
{
    const char *arg = args[0];
    if (arg[0] != '-')
        return 0;
    arg += arg[1] == '-' ? 2 : 1;
    if (std::strncmp(arg, "style=", 6) == 0 || std::strncmp(arg, "stylesheet=", 11) == 0)
        return 1;
    for (const ToolkitSwitch &known : kToolkitSwitches) {
        if (std::strcmp(arg, known.name) != 0)
            continue;
        if (!known.takesValue)
            return 1;
        // Without its value the toolkit leaves the switch alone, and so do we.
        return count > 1 ? 2 : 0;
    }
    return 0;
}

} // namespace

void addProgramOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        "Configure and watch a laser distance sensor on a serial line.");
    console::addHelpAndVersion(parser);
    parser.addOption(portOption());
    parser.addOption(scrollbackOption());
}

QString optionError(const QCommandLineParser &parser)
{
    if (const QString bad = serial::addressProblem(parser.values(portOption())); !bad.isEmpty())
        return "--port: " + bad + ".";
    if (!parser.isSet(scrollbackOption()))
        return QString();
    bool ok = false;
    const int lines = parser.value(scrollbackOption()).toInt(&ok);
    if (ok && lines >= 0)
        return QString();
    return QString("--scrollback needs a whole number of lines, 0 or more (0: no limit), not "
                   "'%1'.")
        .arg(parser.value(scrollbackOption()));
}

QStringList applyProgramOptions(const QCommandLineParser &parser)
{
    QStringList complaints;
    if (parser.isSet(scrollbackOption()))
        view::setScrollbackLines(parser.value(scrollbackOption()).toInt());
    QStringList paths;
    for (const QString &given : parser.values(portOption()))
        paths << serial::portFromArgument(given);
    serial::setExtraPortPaths(paths);
    for (const QString &path : paths) {
        QString reason;
        // It stays offered: an adapter may be plugged in later. An address
        // is tried at Open.
        if (!serial::looksLikeAddress(path) && !serial::portOpens(path, &reason))
            complaints << QString("cannot open %1: %2 (Scan tries it again)").arg(path, reason);
    }
    return complaints;
}

void takeCommandLine(int argc, char **argv)
{
    std::vector<char *> own;
    for (int i = 0; i < argc; ++i) {
        const int taken = i > 0 ? toolkitSwitchLength(argc - i, argv + i) : 0;
        if (taken > 0)
            i += taken - 1;
        else
            own.push_back(argv[i]);
    }
    int ownCount = int(own.size());
    own.push_back(nullptr);

    // Needs no display; gone before the QApplication is made.
    QCoreApplication early(ownCount, own.data());
    QCommandLineParser parser;
    addProgramOptions(parser);
    console::readArguments(parser, early.arguments(), 1);
    // A value that cannot be used ends the process as the parser's own
    // mistakes do: one line on stderr, status 1.
    const QString error = optionError(parser);
    if (!error.isEmpty()) {
        console::showText(QCoreApplication::applicationName() + ": " + error + '\n',
                          console::TextKind::Mistake);
        std::exit(1);
    }
    for (const QString &line : applyProgramOptions(parser))
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                     qPrintable(line));
}
