// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The steps of an exchange that every front end takes the same way: how a
// received chunk joins the answer, when a query's answer is final, and how
// the answers decide a setting write (its markers, the second switching-output
// command, the analog distances). The front ends only show or print the
// outcome and make the writes.

#include "protocol/answerbuffer.h"
#include "protocol/codes.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace protocol {

// Whether the answer collected for query `command` (a Command code) is final:
// no bytes that may still come, with `len` grown by them, can change what its
// parse gives. Ending the response window then shows what the whole window
// would. Identity: 21 bytes (its last field ends at position 20). Analog
// output: both distances closed by their '+'. Switching outputs: all four keys
// found below `len`, each value ended by its CR. False for other codes.
bool queryAnswerFinal(Command command, const QByteArray &answer, int len);
// The same, value by value, in the order the query's parse gives them
// (identity: serial number, version, date; analog output: range, min, max;
// switching outputs: on1, off1, on2, off2): whether each has come in full. A
// value cut off by the end of the window is not final: its bytes so far are
// not the sensor's value. Empty for other codes.
QList<bool> queryValuesFinal(Command command, const QByteArray &answer, int len);

// What a response window that has just ended waited for and did not get in
// full: the query in flight (`command`, a Command code), if its answer is not
// final; otherwise, when no query was in flight, the setting awaiting the
// window (`setting`: line speed or either switching-output command) if its
// answer is still undecided. Both Idle / NoSetting when nothing is missing.
struct Unanswered
{
    Command command = Idle;
    Setting setting = NoSetting;
};
Unanswered unansweredAtWindowEnd(Command activeCommand, Setting pendingSetting,
                                 const QByteArray &answer, int len);

// What the answer collected so far says about a setting write; Undecided
// while more bytes could still decide it.
enum class Verdict { Undecided, Accepted, Refused };

// Verdict for the setting `pending` (a Setting code) on the bytes as they
// came (Answer::raw: a zero byte ends nothing here); `len` bounds the
// positions scanned, as for dataAnalysis.
//  - Line speed: the first byte of the value after "Set": a digit accepts,
//    anything else refuses (an empty value, CR first, included). Undecided
//    while no such byte has come.
//  - Switching outputs, either command: the first 'Ezz' refuses, the first
//    'ok' accepts (scanAck).
//  - Automatic measurement and analog range: `answer` holds every byte
//    received since the command was written, read as lines (AnswerLines:
//    distance frames passed over). Automatic measurement: the first line that
//    begins with 'Aut' accepts, any other first line refuses; undecided while
//    it may still become 'Aut' or a frame. Analog range: the first line that
//    begins with 'DAC' asks for the distances (Accepted); other lines leave it
//    undecided, as the sensor may still ask.
Verdict settingVerdict(Setting pending, const QByteArray &answer, int len);

// For the automatic-measurement and analog settings, what the sensor sent
// after the command instead of the answer that decides it: the first line
// (without its line end) that is neither a distance frame nor that answer nor
// may still become one. Empty when nothing else came.
QByteArray sentInstead(Setting pending, const QByteArray &sinceWrite);

enum class Action {
    None,          // nothing: the setting stays pending (or none is)
    Succeeded,     // report success
    Failed,        // report failure
    SendSecond,    // write the second switching-output command and its line end,
                   // and start a new response window for its answer
    SendDistances, // write the analog distance range (analogRangeWrites) and
                   // report success; its answer is not examined
};

struct SettingStep
{
    Action action = Action::None;
    Setting next = NoSetting; // the pending setting afterwards
    // What to write to the line, in order, one write each.
    QList<QByteArray> writes;
};

// What a setting sends once the sensor has answered its first command: the
// second switching-output command (prepared by switchingCommands, without its
// line end), and the analog distances as typed.
struct FollowUp
{
    QByteArray secondCommand;
    QByteArray minDistance;
    QByteArray maxDistance;
};

// At the end of a response window, for the setting awaiting it: line speed
// succeeds or fails (no answer fails); a switching-output command that is
// still undecided stays pending without a report; an accepted first one
// leads to the second, which writes `followUp.secondCommand` and a line end.
SettingStep timedSettingStep(Setting pending, const QByteArray &answer, int len,
                             const FollowUp &followUp = FollowUp());

// For each received chunk, for the setting decided by what comes after its
// command (`sinceWrite`: every byte received since it was written, this
// chunk's included): the analog range goes on once a line begins with 'DAC'
// and writes the distances (analogRangeWrites), or fails without a write when
// either typed text is no distance (isDistanceText; the texts may have changed
// since the command went out); automatic measurement succeeds or fails on its
// first line that is no distance frame.
SettingStep chunkSettingStep(Setting pending, const QByteArray &sinceWrite,
                             const FollowUp &followUp = FollowUp());

} // namespace protocol
