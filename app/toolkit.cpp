// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/toolkit.h"

#include <QByteArray>

void prepareToolkit()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 scales a window by the screen's DPI, Qt 5 by default does not: keep
    // the fixed 825 x 560 window in device pixels on both, fonts following the
    // DPI as with Qt 5. QT_ENABLE_HIGHDPI_SCALING=1 asks either for scaling.
    if (!qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
#endif
}
