#pragma once

class QCommandLineParser;
class QString;

// The program's command-line options: --help, --version, the repeatable
// --port PATH, whose devices Scan offers after the enumerated ones, and
// --scrollback N, the lines the display keeps.
void addProgramOptions(QCommandLineParser &parser);
// False with `error` set for a value that cannot be used.
bool applyProgramOptions(const QCommandLineParser &parser, QString *error);
