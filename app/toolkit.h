// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Toolkit settings that have to be made before the QApplication exists: the
// window scales with the display as a whole (150 % is 1.5), with Qt 5 as with
// Qt 6, so that its fixed layout is never cut.
void prepareToolkit();
