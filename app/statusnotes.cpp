// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statusnotes.h"

#include "protocol/exchange.h"

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

} // namespace

void StatusNotes::openFailed(const QString &port, const QString &reason)
{
    show(tr("Cannot open %1: %2").arg(port, reason));
}

void StatusNotes::noPortChosen()
{
    show(tr("No port to open: press Scan, then choose the sensor's port"));
}

void StatusNotes::deviceLost(const QString &port, const QString &reason)
{
    show(tr("Lost %1 (%2); the port is closed").arg(port, reason));
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

void StatusNotes::portClosed()
{
    show(tr("Nothing sent: the port is closed. Press Open first"));
}

void StatusNotes::clear()
{
    m_bar->clearMessage();
}

void StatusNotes::show(const QString &text)
{
    m_bar->showMessage(text);
}
