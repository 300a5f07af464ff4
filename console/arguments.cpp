// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/arguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace console {

void addHelpAndVersion(QCommandLineParser &parser)
{
    parser.addOption({{"h", "help"}, "Displays help on commandline options."});
    parser.addVersionOption();
}

QString helpText(const QCommandLineParser &parser)
{
    const QString text = parser.helpText();
    const int options = text.indexOf(" [options]");
    if (!text.startsWith("Usage: ") || options < 0)
        return text;
    return "Usage: " + QCoreApplication::applicationName() + text.mid(options);
}

void readArguments(QCommandLineParser &parser, const QStringList &arguments, int usageStatus)
{
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                     qPrintable(parser.errorText()));
        std::exit(usageStatus);
    }
    if (parser.isSet("help")) {
        std::fputs(qPrintable(helpText(parser)), stdout);
        std::exit(0);
    }
    if (parser.isSet("version"))
        parser.showVersion();
}

} // namespace console
