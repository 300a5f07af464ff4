// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A status bar message too long for the bar ends in "…" where the bar would
// cut it mid-word, and the bar's tooltip holds it whole. The message itself
// (currentMessage()) stays whole. Installed once on the window's status bar,
// whose child it becomes.

#include <QObject>

class QStatusBar;

class StatusElider : public QObject
{
    Q_OBJECT

public:
    explicit StatusElider(QStatusBar *bar);

    // The message as the bar shows it.
    static QString shown(const QStatusBar *bar);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void messageChanged();

    QStatusBar *m_bar;
};
