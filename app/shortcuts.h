// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;
class Ui_Searial;

// The main window's keys, for an operator without a mouse: Ctrl+1/2/3 the
// pages (Main, Setting, Search), Ctrl+O Open or Close, F5 Scan, Esc Stop while
// a measurement runs, Ctrl+Enter Send. Each clicks its button, so the key does
// exactly what the button does, and each button's tool tip names its key.
// The menus keep their texts: these are window shortcuts, not actions.
void installShortcuts(QWidget *window, Ui_Searial *ui);
