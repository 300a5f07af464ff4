#pragma once

class QCommandLineParser;

// The program's command-line options: --help, --version and the repeatable
// --port PATH, whose devices Scan offers after the enumerated ones.
void addProgramOptions(QCommandLineParser &parser);
void applyProgramOptions(const QCommandLineParser &parser);
