// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statusnotes.h"

#include "measure/statistics.h"
#include "protocol/answers.h"
#include "protocol/codes.h"
#include "protocol/presentedvalues.h"
#include "protocol/printable.h"
#include "serial/ports.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QStatusBar>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Searial", text);
}

// What the window waited for, named as orvante-ctl names it.
QString exchangeName(const protocol::Unanswered &missing)
{
    const char *name = protocol::commandName(missing.command);
    if (!name)
        name = protocol::settingName(missing.setting);
    return name ? tr(name) : QString();
}

QString mm(const QByteArray &tenths)
{
    return measure::mmText(double(tenths.toLongLong()));
}

// A value as its field shows it, between quotes; control characters would
// break the status line, so they are spelled out.
QString quoted(const QByteArray &value)
{
    return "'" + protocol::printable(protocol::chunkText(value)) + "'";
}

// Bytes as they came, between quotes: printable ASCII as it is, anything
// else (a zero byte, a control character, a stray high byte) spelled out; a
// long run cut short.
QString quotedBytes(const QByteArray &bytes)
{
    constexpr int kShown = 40;
    QString out;
    for (const char c : bytes.left(kShown)) {
        const uchar u = uchar(c);
        if (u < 0x20 || u >= 0x7f)
            out += QString("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(c);
    }
    return "'" + out + (bytes.size() > kShown ? "...'" : "'");
}

} // namespace

void StatusNotes::openFailed(const QString &port, const QString &reason)
{
    show(tr("Cannot open %1: %2").arg(port, reason));
}

void StatusNotes::noPortChosen()
{
    show(tr("No port to open: press Scan, then choose the sensor's port"));
}

void StatusNotes::deviceLost(const QString &port, const QString &reason, const QString &then)
{
    const QString lost = tr("Lost %1 (%2); the port is closed").arg(port, reason);
    show(then.isEmpty() ? lost : lost + ". " + then);
}

void StatusNotes::noAnswer(const protocol::Unanswered &missing)
{
    const QString name = exchangeName(missing);
    if (name.isEmpty())
        return;
    show(tr("No complete answer to the %1 within %2 ms: check the preset")
             .arg(name)
             .arg(protocol::kResponseWindowMs));
}

void StatusNotes::notUnderstood(protocol::Command command, const protocol::Answer &answer)
{
    QStringList named;
    for (const protocol::PresentedValue &v : protocol::presentedValues(command, answer)) {
        if (v.verdict != protocol::ValueVerdict::Malformed)
            continue;
        named << tr(qPrintable(v.name)) + " " + quoted(v.shown);
        // A zero byte hid part of the read from the field.
        if (v.came != v.shown)
            named.last() += tr(" (came as %1)").arg(quotedBytes(v.came));
    }
    if (!named.isEmpty())
        show(tr("%1 not understood: %2").arg(tr(protocol::answerName(command)), named.join(", ")));
}

void StatusNotes::settingUnanswered(protocol::Setting setting, const QByteArray &instead)
{
    const QString note = tr("No answer to the %1 within %2 ms")
                             .arg(tr(protocol::settingName(setting)))
                             .arg(protocol::kResponseWindowMs);
    if (instead.isEmpty())
        show(note);
    else if (setting == protocol::AnalogSetting)
        show(tr("%1, no distances sent: the sensor sent %2").arg(note, quotedBytes(instead)));
    else
        show(tr("%1: the sensor sent %2").arg(note, quotedBytes(instead)));
}

void StatusNotes::notFrame(const QByteArray &line)
{
    QByteArray shown = line;
    while (shown.endsWith('\r') || shown.endsWith('\n'))
        shown.chop(1);
    show(tr("Not a distance frame, not shown: %1").arg(quotedBytes(shown)));
}

void StatusNotes::closed(protocol::Setting dropped)
{
    if (const char *name = protocol::settingName(dropped))
        show(tr("Closed; the %1 had no answer and was dropped").arg(tr(name)));
}

void StatusNotes::switchingSent(int output, const QByteArray &on, const QByteArray &off)
{
    show(tr("Switching output %1 sent: on at %2, off at %3").arg(output).arg(mm(on), mm(off)));
}

void StatusNotes::analogSent(const QByteArray &min, const QByteArray &max)
{
    show(tr("Analog output sent: min at %1, max at %2").arg(mm(min), mm(max)));
}

void StatusNotes::busy(protocol::Command activeCommand)
{
    switch (activeCommand) {
    case protocol::ContinuousMeasurement:
        show(tr("Busy: a continuous measurement is running; press Stop first"));
        return;
    case protocol::SingleMeasurement:
        show(tr("Busy: a single measurement was asked; press Stop or Close LD first"));
        return;
    default:
        if (const char *name = protocol::commandName(activeCommand))
            show(tr("Busy: waiting for the answer to the %1; try again in a second").arg(tr(name)));
        return;
    }
}

void StatusNotes::leftOut(QComboBox *ports, const QList<serial::LeftOutPort> &leftOut)
{
    QStringList lines;
    for (const serial::LeftOutPort &port : leftOut)
        lines << tr("%1 not listed: %2").arg(port.name, port.reason);
    ports->setToolTip(lines.join('\n'));
    if (lines.isEmpty())
        return;
    if (lines.size() == 1)
        show(lines.first());
    else
        show(tr("%1 (and %2 more: see the port box's tooltip)")
                 .arg(lines.first())
                 .arg(lines.size() - 1));
}

void StatusNotes::otherPortChosen(const QString &held)
{
    show(tr("Connected to %1; the new choice takes effect at the next Open").arg(held));
}

void StatusNotes::portClosed()
{
    show(tr("Nothing sent: the port is closed. Press Open first"));
}

void StatusNotes::profileRunning()
{
    show(tr("Busy: a profile of the Sensor menu is running; wait for it or press Cancel in "
            "its progress dialog"));
}

void StatusNotes::clear()
{
    m_bar->clearMessage();
}

void StatusNotes::show(const QString &text)
{
    m_bar->showMessage(text);
}
