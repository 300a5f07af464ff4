// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>

class Ui_help;

// The operating hint, in a window of its own beside the main window.
class help : public QMainWindow
{
    Q_OBJECT

public:
    explicit help(QWidget *parent = nullptr);
    ~help() override;

private:
    Ui_help *ui;
};
