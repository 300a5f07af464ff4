// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;

// The standard boxes that report the outcome of an exchange. Each blocks in a
// nested event loop until the operator closes it.
void showBusyWarning(QWidget *parent);
void showSuccessBox(QWidget *parent);
void showFailureBox(QWidget *parent);
// A distance that is not 0 to 8 digits.
void showBadDistanceBox(QWidget *parent);
// The traffic log could not be written: names the file and the reason.
void showLogFailedBox(QWidget *parent, const QString &path, const QString &reason);
