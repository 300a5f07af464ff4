// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Toolkit settings that have to be made before the QApplication exists: the
// window scales with the display as a whole (150 % is 1.5), with Qt 5 as with
// Qt 6, so that its fixed layout is never cut.
void prepareToolkit();
// Once the QApplication exists: off screen, the font an X desktop without
// settings of its own gives ("Sans Serif", 9 pt), so that a picture taken
// there is the window as seen under X. Qt 5's offscreen platform would pick
// 12 pt, which the fixed layout cuts. Elsewhere the platform's font stays.
void prepareFonts();
