// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The control that has the keyboard focus shows it from the moment the window
// appears, as it would after a Tab: otherwise the toolkit draws no focus
// frame until the first Tab, and a keyboard user starts blind. Showing a
// window clears that state, so it is set again on every show.

#include <QObject>

class QWidget;

class FocusShown : public QObject
{
    Q_OBJECT

public:
    // Becomes a child of `window`.
    explicit FocusShown(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
