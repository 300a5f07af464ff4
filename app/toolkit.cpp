// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/toolkit.h"

#include <QGuiApplication>

void prepareToolkit()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 5 grows the fonts with the screen's DPI but keeps the fixed layout in
    // device pixels, which cuts captions off at 150 %. Scaled as a whole, the
    // window keeps its 825 x 560 layout in logical pixels on every screen
    // (Qt 6 always scales).
    // Not off screen, where Qt 5 reports 100 dpi: pictures made there (the
    // documentation's) keep their exact pixels.
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    // 150 % must give 1.5, not 2 (rounded) with fonts shrunk to fit.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}
