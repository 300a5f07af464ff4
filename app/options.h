// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QCommandLineParser;

// The program's command-line options: --help, --version, the repeatable
// --port PATH, whose devices Scan offers before the enumerated ones, and
// --scrollback N, the lines the display keeps.
void addProgramOptions(QCommandLineParser &parser);
// What is wrong with an option's value, or empty when they can all be used.
QString optionError(const QCommandLineParser &parser);
// Returns what the operator should be told about the options, one line each;
// none of it stops the program.
QStringList applyProgramOptions(const QCommandLineParser &parser);

// Reads the command line before QApplication exists, because QApplication
// cannot start without a display: --help, --version and a faulty command line
// are answered (console/arguments.h; status 1 for a faulty one) and end the
// process; otherwise the options are applied and their complaints go to stderr.
// The switches QApplication takes for itself (-platform, -style, ...) are left
// to it.
void takeCommandLine(int argc, char **argv);
