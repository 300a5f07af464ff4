// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real main window the way an operator would (Scan, Open, a single
// measurement, optionally a page and its queries, or a continuous measurement
// watched in the distance chart) and saves a picture of it.
// Used by `run.sh --screenshot` where there is no display, and to make the
// README's screenshots.

#include "app/Searial.h"
#include "app/displayscale.h"
#include "chart/chartwindow.h"
#include "protocol/codes.h"
#include "serial/ports.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

namespace {

template <class T> T *widget(QWidget *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}

void click(QWidget *window, const char *name)
{
    widget<QPushButton>(window, name)->click();
}

// Lets the event loop run until `done` holds or the time is up.
template <class F> bool waitFor(F done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

void settle(int ms)
{
    waitFor([] { return false; }, ms);
}

} // namespace

int main(int argc, char **argv)
{
    prepareToolkit();
    QApplication app(argc, argv);
    prepareFonts();
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription("Screenshot of the main window against a serial device.");
    parser.addHelpOption();
    const QCommandLineOption portOption("port", "Device to open (e.g. the simulator).", "PATH");
    const QCommandLineOption outOption("out", "PNG file to write.", "FILE");
    const QCommandLineOption pageOption(
        "page", "Page to show: display (measures once), setting, or query (runs the queries).",
        "PAGE", "display");
    const QCommandLineOption secondsOption("seconds", "How long the chart watches.", "S", "20");
    parser.addOptions({portOption, outOption, pageOption, secondsOption});
    parser.process(app);
    if (!parser.isSet(portOption) || !parser.isSet(outOption)) {
        err << "--port and --out are required\n";
        return 2;
    }
    const QString port = parser.value(portOption);
    const QString page = parser.value(pageOption);

    QApplication::setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/img/ORV_DD.png"));
    serial::setExtraPortPaths({port});
    Searial window;
    window.setWindowTitle("ORVANTE_USART");
    window.show();
    settle(200);

    click(&window, "btn_usart_number");
    auto *names = widget<QComboBox>(&window, "cmb_port_name");
    const int index = names->findText(port);
    if (index < 0) {
        err << "Scan did not offer " << port << "\n";
        return 1;
    }
    names->setCurrentIndex(index);
    click(&window, "btn_open");
    if (widget<QPushButton>(&window, "btn_open")->text() != "Close") {
        err << "could not open " << port << "\n";
        return 1;
    }

    auto *distance = widget<QLineEdit>(&window, "lineEdit_D");
    click(&window, "btn_td");
    if (!waitFor([distance] { return !distance->text().isEmpty(); }, 5000)) {
        err << "no distance was shown\n";
        return 1;
    }

    if (page == "setting") {
        click(&window, "btn_setting");
    } else if (page == "query") {
        // Stop ends the measurement so that the queries are accepted; its
        // acknowledgement must be in before a query starts collecting.
        click(&window, "btn_c");
        settle(300);
        click(&window, "btn_query");
        for (const char *button : {"btn_R_ID", "btn_R_AD", "btn_R_DA"}) {
            click(&window, button);
            settle(protocol::kResponseWindowMs + 300); // its response window, and some
        }
    }
    QWidget *shown = &window;
    if (page == "chart") {
        click(&window, "btn_tk");
        window.findChild<QAction *>("action_chart")->trigger();
        shown = window.findChild<chart::ChartWindow *>();
        shown->resize(960, 480);
        settle(int(parser.value(secondsOption).toDouble() * 1000));
        click(&window, "btn_c");
    }
    settle(300);

    if (!shown->grab().save(parser.value(outOption))) {
        err << "could not write " << parser.value(outOption) << "\n";
        return 1;
    }
    QTextStream(stdout) << "distance " << distance->text() << " (0.1 mm), picture in "
                        << parser.value(outOption) << "\n";
    return 0;
}
