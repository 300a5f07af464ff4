// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What orvante-ctl prints: answers on stdout, line by line and flushed at
// once (a pipe or a log file sees each line as it comes), and problems on
// stderr, one line each that says what to do.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace ctl {

// Exit statuses, for scripts.
enum Status {
    Done = 0,
    Refused = 1,               // the sensor refused the setting
    UsageError = 2,            // the command line cannot be run, or a file read or written
    OutputFailed = UsageError, // stdout or stderr could not be written
    NoAnswer = 3,              // no complete answer within the response window
    PortFailed = 4,            // the port could not be opened or was lost
};

// Before anything is opened: a closed stdin, stdout or stderr is held by a
// read-only /dev/null, so that writing to it fails rather than reaching
// the port.
void guardOutputs();
// The status to exit with: `status`, or OutputFailed (after one line on
// stderr) when stdout or stderr could not be written, as coreutils' tools
// do. Closes stdout.
int finish(int status);

// False once stdout can take no more (the reader has gone, the disk is
// full).
bool printLine(const QString &line);
bool printRaw(const QByteArray &bytes);

// A measurement's statistics, one line: on stdout, or on stderr while stdout
// carries CSV, which must stay clean for whatever reads it.
void printStatistics(const QString &line, bool besideCsv);

// "orvante-ctl: <message>" on stderr; returns `status`.
int fail(int status, const QString &message);

// Named answer values, in order; an empty value is one the answer lacked.
using Fields = QList<QPair<QString, QString>>;
// "key: value" lines for the values there are, or one JSON object with null
// for the lacking values.
void printFields(const Fields &fields, bool json);

// The answer's first bytes for a message, control characters as \xNN.
QString quote(const QByteArray &answer);

} // namespace ctl
