// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The options every program here reads the same way: --help and --version,
// and what a command line that cannot be read does.

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace console {

// -h/--help and -v/--version. (The parser's own help option would add
// --help-all, which has nothing more to show for these programs.)
void addHelpAndVersion(QCommandLineParser &parser);

// The parser's help text, its usage line naming the program (the application
// name) rather than the path it was started by.
QString helpText(const QCommandLineParser &parser);

// Reads `arguments`. --help and --version are answered on stdout and end the
// process with status 0; a command line the parser cannot read ends it with
// `usageStatus` after one line on stderr, "<program>: <what is wrong>" (on
// Windows without a console, in a message box: console/textout.h).
// Returns when the options are to be used.
void readArguments(QCommandLineParser &parser, const QStringList &arguments, int usageStatus);

} // namespace console
