// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/messages.h"

#include "app/logging.h"

#include <QCoreApplication>
#include <QMessageBox>

Q_LOGGING_CATEGORY(lcLink, "orvante.link", QtInfoMsg)
Q_LOGGING_CATEGORY(lcProtocol, "orvante.protocol", QtInfoMsg)

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Searial", text);
}

void inform(QWidget *parent, const char *title, const char *text)
{
    QMessageBox::information(parent, tr(title), tr(text), QMessageBox::Ok);
}

} // namespace

void showBusyWarning(QWidget *parent)
{
    inform(parent, "Warning", "Please stop other instructions first");
}

void showSuccessBox(QWidget *parent)
{
    inform(parent, "Message", "Your operation was successful");
}

void showFailureBox(QWidget *parent)
{
    inform(parent, "Warning", "Your operation failed. Please check your output parameters");
}

void showBadDistanceBox(QWidget *parent)
{
    inform(parent, "Warning", "Distances may have at most 8 digits, 0-9 only");
}

void showLogFailedBox(QWidget *parent, const QString &path, const QString &reason)
{
    QMessageBox::warning(parent, tr("Warning"),
                         tr("The traffic log %1 could not be written: %2.\n"
                            "Logging has stopped; press Save to start a new log.")
                             .arg(path, reason),
                         QMessageBox::Ok);
}
