#include "app/Searial.h"
#include "app/options.h"
#include "app/toolkit.h"
#include "app/version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

int main(int argc, char **argv)
{
    prepareToolkit();
    QApplication app(argc, argv);
    QApplication::setApplicationName("orvante-usart");
    QApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(ORV_APP_ID));

    QCommandLineParser parser;
    addProgramOptions(parser);
    parser.process(app);
    applyProgramOptions(parser);

    // A missing icon file just leaves the window without an icon.
    QApplication::setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/img/ORV_DD.png"));

    Searial window;
    window.setWindowTitle("ORVANTE_USART");
    window.show();
    return app.exec();
}
