// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/steps.h"

#include <QList>
#include <QString>

class QComboBox;
namespace serial {
struct LeftOutPort;
}

class QStatusBar;

// Why something the operator tried did not happen, in the window's status
// bar: a short line that stays until the next one replaces it or the next
// command clears it. The boxes, the status label and the fields stay as they
// are; this only says what they cannot.
class StatusNotes
{
public:
    explicit StatusNotes(QStatusBar *bar) : m_bar(bar) {}

    // Open failed: the port as listed and the system's reason.
    void openFailed(const QString &port, const QString &reason);
    // Open pressed with no port in the list.
    void noPortChosen();
    // The device went away and the port was closed; `then`, what that
    // stopped (a profile's per-setting outcome), follows.
    void deviceLost(const QString &port, const QString &reason, const QString &then = QString());
    // A response window ended without the complete answer it waited for;
    // nothing when nothing was missing.
    void noAnswer(const protocol::Unanswered &missing);
    // The answer to query `command` came, but values in it lack the form the
    // sensor gives them (protocol::presentedValues): each is named with what
    // its field shows and, where the bytes as they came differ, with those.
    // Nothing when all are well formed.
    void notUnderstood(protocol::Command command, const protocol::Answer &answer);
    // The automatic-measurement or analog setting had no answer within the
    // response window and is pending no more; `instead`, what the sensor sent
    // that was no answer (protocol::sentInstead), if anything.
    void settingUnanswered(protocol::Setting setting, const QByteArray &instead);
    // A line that is no distance frame came while frames are shown; the
    // distance field kept its value.
    void notFrame(const QByteArray &line);
    // Close pressed; `dropped`, the setting that was still pending (or
    // NoSetting), is forgotten.
    void closed(protocol::Setting dropped);
    // A setting's distances went out: said in mm, as the fields' labels read,
    // while the fields and the sensor count 0.1 mm. The texts are digits.
    void switchingSent(int output, const QByteArray &on, const QByteArray &off);
    void analogSent(const QByteArray &min, const QByteArray &max);
    // A query or setting refused by the busy rule: what is in flight and how
    // to end it.
    void busy(protocol::Command activeCommand);
    // Ports Scan left out and why: the first in the status bar, all of them
    // in the port box's tooltip. Nothing left out clears that tooltip.
    void leftOut(QComboBox *ports, const QList<serial::LeftOutPort> &leftOut);
    // Another port picked while `held` is open: the status bar keeps the held
    // port's name in view.
    void otherPortChosen(const QString &held);
    // A command button pressed while the port is closed: nothing was sent.
    void portClosed();
    // A command button pressed while a profile of the Sensor menu runs.
    void profileRunning();
    void clear();

private:
    void show(const QString &text);

    QStatusBar *m_bar;
};
