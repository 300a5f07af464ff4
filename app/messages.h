#pragma once

class QWidget;

// The standard boxes that report the outcome of an exchange. Each blocks in a
// nested event loop until the operator closes it.
void showBusyWarning(QWidget *parent);
void showSuccessBox(QWidget *parent);
void showFailureBox(QWidget *parent);
// A distance that is not 0 to 8 digits.
void showBadDistanceBox(QWidget *parent);
