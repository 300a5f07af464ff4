// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/focusshown.h"

#include <QEvent>
#include <QWidget>

FocusShown::FocusShown(QWidget *window) : QObject(window)
{
    window->installEventFilter(this);
}

bool FocusShown::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched == parent())
        static_cast<QWidget *>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
    return false;
}
