// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Toolkit settings that have to be made before the QApplication exists, so
// that the window looks the same built with Qt 5 or Qt 6.
void prepareToolkit();
