#include "app/Searial.h"
#include "serial/ports.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("orvante-usart");
    QApplication::setApplicationVersion("1.0");

    QCommandLineParser parser;
    parser.setApplicationDescription("Configure and watch a laser distance sensor on a serial line.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        "port",
        "Offer device PATH in Scan as well (a pseudo-terminal, a network-serial bridge, the "
        "simulator); listed only if it opens. Repeatable.",
        "PATH");
    parser.addOption(portOption);
    parser.process(app);
    serial::setExtraPortPaths(parser.values(portOption));

    // A missing icon file just leaves the window without an icon.
    QApplication::setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/img/ORV_DD.png"));

    Searial window;
    window.setWindowTitle("ORVANTE_USART");
    window.show();
    return app.exec();
}
