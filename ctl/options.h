// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The command line of orvante-ctl: the port options (--port, --preset) and
// --json before or after the command, one command with its own options and
// arguments, and --help for the program and for every command.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace ctl {

// What the command line asks for: one of the program's commands.
enum class Verb {
    Identity,
    Analog,
    Switching,
    Measure,
    SetLinePreset,
    SetAuto,
    SetAnalog,
    SetSwitching,
    Send,
    Listen,
    Ports,
    ProfileSave,
    ProfileApply,
    ProfileDiff,
    Publish, // gateway/ reads its command line (not in a build without it)
};

struct Invocation
{
    Verb command = Verb::Identity;
    QStringList ports; // every --port, in the order given
    int preset = 0;    // the port's line preset, 0..7
    bool json = false;

    // measure: a single measurement unless continuous; then a limit of frames
    // and of time (0: none).
    bool continuous = false;
    int count = 0;
    qint64 durationMs = 0;
    bool csv = false;
    bool stats = false; // statistics of the frames when it ends

    // set: the choice as engine::Exchanger takes it (line preset 0..7; auto
    // 0 on, 1 off; analog range 0 for 0-20 mA, 1 for 4-20 mA; switching mode
    // 0 for mode 1, 1 for mode 2) and the distances as given, each 0 to 8
    // digits (analog: min, max; switching: on1, off1, on2, off2).
    int index = 0;
    QList<QByteArray> distances;

    // send: TEXT as it goes out (serial::freeTextBytes).
    QByteArray text;
    // send, listen: show what arrives as hexadecimal digits.
    bool hex = false;

    // profile: the file (save, apply, diff against the sensor) or the two
    // files (diff).
    QStringList files;
    // apply: print the bytes, send nothing.
    bool dryRun = false;
    // save: what the sensor does not report, recorded when given (-1: not):
    // line preset 0..7, automatic measurement 1 on / 0 off, switching mode 1|2.
    int linePreset = -1;
    int autoMeasure = -1;
    int switchingMode = -1;

    // publish: the program's name and everything after the command, the port
    // options given before it included, for gateway/ to read.
    QStringList arguments;
};

struct CommandLine
{
    enum Outcome { Run, Print, Usage };
    Outcome outcome = Usage;
    Invocation invocation;
    // Print: help or version for stdout. Usage: what is wrong and where to
    // read more, one line.
    QString text;
};

CommandLine parseCommandLine(const QStringList &arguments);

} // namespace ctl
