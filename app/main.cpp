#include "app/Searial.h"
#include "app/options.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName("orvante-usart");
    QCoreApplication::setApplicationVersion("1.0");
    // Ends the process for --help, --version and mistakes, display or not.
    takeCommandLine(argc, argv);

    QApplication app(argc, argv);

    // A missing icon file just leaves the window without an icon.
    QApplication::setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/img/ORV_DD.png"));

    Searial window;
    window.setWindowTitle("ORVANTE_USART");
    window.show();
    return app.exec();
}
