// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/displayscale.h"

#include <QFont>
#include <QGuiApplication>

#ifdef ORV_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace {

// Qt 6 always scales with the screen: nothing to decide.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)

#ifdef ORV_HAVE_XCB
// Whether the X desktop has said its scale: the Xft.dpi resource, which
// GNOME, KDE and xrdb set and from which alone Qt 6 takes the scale. Without
// it Qt 5 would take the screen's physical size, which X servers often report
// wrongly (Xvfb: 100 dpi, a blurred window scaled by 1.04).
bool desktopSetsDpi()
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    bool set = false;
    if (!xcb_connection_has_error(connection)) {
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
            xcb_screen_next(&screens);
        if (screens.rem > 0) {
            const xcb_get_property_cookie_t cookie =
                xcb_get_property(connection, 0, screens.data->root, XCB_ATOM_RESOURCE_MANAGER,
                                 XCB_ATOM_STRING, 0, 1 << 16);
            if (xcb_get_property_reply_t *reply =
                    xcb_get_property_reply(connection, cookie, nullptr)) {
                const QByteArray resources(
                    static_cast<const char *>(xcb_get_property_value(reply)),
                    xcb_get_property_value_length(reply));
                set = resources.startsWith("Xft.dpi:") || resources.contains("\nXft.dpi:");
                std::free(reply);
            }
        }
    }
    xcb_disconnect(connection);
    return set;
}
#endif

// Whether Qt 5 should scale the window with the screen's DPI.
bool scaleWithScreen()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    // Off screen Qt 5 reports 100 dpi: pictures made there (the
    // documentation's) keep their exact pixels.
    if (platform.startsWith("offscreen"))
        return false;
#ifdef ORV_HAVE_XCB
    if ((platform.isEmpty() || platform.startsWith("xcb")) && !desktopSetsDpi())
        return false;
#endif
    return true;
}

#endif

} // namespace

void prepareToolkit()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 5 grows the fonts with the screen's DPI but keeps the fixed layout in
    // device pixels, which cuts captions off at 150 %. Scaled as a whole, the
    // window keeps its 825 x 560 layout in logical pixels on every screen
    // (Qt 6 always scales).
    if (scaleWithScreen())
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    // 150 % must give 1.5, not 2 (rounded) with fonts shrunk to fit.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

void prepareFonts()
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QGuiApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
}
