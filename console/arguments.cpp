// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/arguments.h"
#include "console/textout.h"

#include <QCommandLineParser>
#include <QCoreApplication>

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
        showText(QCoreApplication::applicationName() + ": " + parser.errorText() + '\n',
                 TextKind::Mistake);
        std::exit(usageStatus);
    }
    if (parser.isSet("help")) {
        showText(helpText(parser), TextKind::Information);
        std::exit(0);
    }
    if (parser.isSet("version")) {
        showText(QCoreApplication::applicationName() + ' ' +
                     QCoreApplication::applicationVersion() + '\n',
                 TextKind::Information);
        std::exit(0);
    }
}

} // namespace console
