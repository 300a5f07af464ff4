// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A query's answer as every front end presents it: its values, each with its
// names, the bytes as they came and as the window's field shows them, and
// whether it may be believed. The window's fields and status bar,
// orvante-ctl, the profiles and the Sensor menu all read them from here.

#include "protocol/analogrange.h"
#include "protocol/answerbuffer.h"
#include "protocol/codes.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace protocol {

enum class ValueVerdict {
    Good,       // came in full and in the sensor's form
    Incomplete, // not come in full by the window's end (queryValuesFinal)
    Malformed,  // came in full without the sensor's form (answercheck.h), or
                // the text shows it otherwise than it came
};

struct PresentedValue
{
    QString name;     // the operator's word: "serial number", "output 1 open"
    QString key;      // the machine-readable name: "serial_number", "on1"
    QByteArray came;  // as the sensor sent it (Answer::raw); the range as its code byte
    QByteArray shown; // the same read from the text (Answer::text)
    QString text;     // what the window's field shows: shown as text, the range named
    const AnalogRange *range = nullptr; // the range whose code was shown, if any
    ValueVerdict verdict = ValueVerdict::Incomplete;
};

// The values of the answer to query `command`, in the order of its parse
// (identity: serial number, version, production date; analog output: range,
// min, max; switching outputs: on1, off1, on2, off2). Empty for any other
// code.
QList<PresentedValue> presentedValues(Command command, const Answer &answer);

// What the operator calls the answer: "Identity answer", ...; null for any
// code but a query's.
const char *answerName(Command command);

} // namespace protocol
