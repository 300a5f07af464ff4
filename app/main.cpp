#include "app/Searial.h"
#include "app/options.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("orvante-usart");
    QApplication::setApplicationVersion("1.0");

    QCommandLineParser parser;
    addProgramOptions(parser);
    parser.process(app);
    QString error;
    if (!applyProgramOptions(parser, &error)) {
        // As the parser reports a bad option: one line on stderr, status 1.
        fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    // A missing icon file just leaves the window without an icon.
    QApplication::setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/img/ORV_DD.png"));

    Searial window;
    window.setWindowTitle("ORVANTE_USART");
    window.show();
    return app.exec();
}
