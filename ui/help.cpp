// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/help.h"

#include "ui_help.h"

help::help(QWidget *parent) : QMainWindow(parent), ui(new Ui_help)
{
    ui->setupUi(this);
}

help::~help()
{
    delete ui;
}
