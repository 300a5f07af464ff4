// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Searial.h"
#include "app/displaycheck.h"
#include "app/options.h"
#include "app/displayscale.h"
#include "app/widgetreport.h"
#include "version/version.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char **argv)
{
    prepareToolkit();
    QCoreApplication::setApplicationName("orvante-usart");
    QCoreApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));
    // Ends the process for --help, --version and mistakes, display or not.
    takeCommandLine(argc, argv);

    // Without a display QApplication cannot be made: say so and end.
    DisplayCheck displayCheck(argc, argv);
    QApplication app(argc, argv);
    displayCheck.passed();
    prepareFonts();
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(ORV_APP_ID));

    // A missing icon file just leaves the window without an icon.
    QApplication::setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/img/ORV_DD.png"));

    Searial window;
    window.setWindowTitle("ORVANTE_USART");
    window.show();
#ifdef ORV_TEST_HOOKS
    // The Windows checks find the controls by asking the window where they are.
    std::unique_ptr<WidgetReport> report;
    if (qEnvironmentVariableIsSet("ORV_WIDGET_REPORT"))
        report = std::make_unique<WidgetReport>(&window, qEnvironmentVariable("ORV_WIDGET_REPORT"));
#endif
    return app.exec();
}
