// SPDX-License-Identifier: GPL-3.0-or-later
// The distance chart: what it paints keeps every extreme, a paused view
// stays while the recording goes on, what it redraws in parts looks as drawn
// whole, and against the simulated sensor at line rate it counts every frame
// that was sent, and writes and copies the statistics of what it exports; the
// exports' file names.

#include "app/Searial.h"
#include "app/state.h"
#include "chart/chartwindow.h"
#include "chart/plot.h"
#include "measure/recorder.h"
#include "serial/ports.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/simulator.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

QImage render(chart::Plot &plot)
{
    QImage image(plot.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    plot.paintTo(painter);
    return image;
}

// The row of `mm` in a plot showing 0 to 1000 mm.
int rowOf(const QRect &area, double mm)
{
    return int(std::lround(area.bottom() - mm / 1000.0 * (area.height() - 1)));
}

} // namespace

class TestChart : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetExchangeState(); }
    void extremesSurviveDecimation_data();
    void extremesSurviveDecimation();
    void pauseFreezesViewNotCount();
    void drawnInPartsAsDrawnWhole_data();
    void drawnInPartsAsDrawnWhole();
    void countsEveryFrameAtLineRate();
    void exportNames_data();
    void exportNames();
};

void TestChart::extremesSurviveDecimation_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("distance"); // 0.1 mm, against a floor of 500 mm
    QTest::newRow("spike in the middle") << 500000 << 9000;
    QTest::newRow("dip in the middle") << 612345 << 1000;
    QTest::newRow("spike, the oldest frame") << 0 << 9999;
    QTest::newRow("dip, the newest frame") << 999999 << 1;
}

// 10^6 frames, one a millisecond, on 800 columns: 1250 frames a column, and
// the one that stands out is still drawn at its height, in its own column.
void TestChart::extremesSurviveDecimation()
{
    QFETCH(int, at);
    QFETCH(int, distance);
    measure::Recorder recorder;
    for (int i = 0; i < 1000000; ++i)
        recorder.add(i, i == at ? distance : 5000 + i % 10);

    chart::Plot plot;
    plot.resize(800 + plot.width() - plot.plotArea().width(), 400);
    const QRect area = plot.plotArea();
    QCOMPARE(area.width(), 800);
    plot.setSpan(1000000);
    plot.setRecorder(&recorder);
    plot.setRange(0, 1000);
    QCOMPARE(plot.viewStatistics().count(), qint64(1000000));

    const QImage image = render(plot);
    const QRgb curve = image.pixel(area.left() + 400, rowOf(area, 500.45));
    const int expectedX = area.left() + at / 1250;
    const int row = rowOf(area, distance / 10.0);
    QList<int> found;
    for (int y = row - 1; y <= row + 1; ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == curve && !found.contains(x))
                found << x;
    QCOMPARE(found, QList<int>{expectedX});
}

void TestChart::pauseFreezesViewNotCount()
{
    measure::Recorder recorder;
    chart::Plot plot;
    plot.resize(600, 300);
    plot.setSpan(10000);
    plot.setRecorder(&recorder);
    for (int i = 0; i < 300; ++i)
        recorder.add(10 * i, 4000 + i);
    plot.sync();
    QCOMPARE(plot.viewStatistics().count(), qint64(300));

    plot.setPaused(true);
    const QImage paused = render(plot);
    for (int i = 300; i < 600; ++i)
        recorder.add(10 * i, 9000 - i);
    plot.sync();
    const QImage later = render(plot);
    QCOMPARE(plot.viewStatistics().count(), qint64(300));
    QCOMPARE(plot.viewStatistics().maximum(), 4299);
    const QRect area = plot.plotArea();
    QCOMPARE(later.copy(area), paused.copy(area));
    // Above the plot the number of frames recorded has moved on.
    QVERIFY(later != paused);
    // Another time window, and back: still the paused moment.
    plot.setSpan(1000);
    QCOMPARE(plot.viewStatistics().maximum(), 4299);
    QVERIFY(plot.viewStatistics().count() < 300);
    plot.setSpan(10000);
    plot.sync();
    QCOMPARE(render(plot).copy(area), paused.copy(area));

    plot.setPaused(false);
    QCOMPARE(plot.viewStatistics().count(), qint64(600));
    QCOMPARE(plot.viewStatistics().maximum(), 8700);
    QVERIFY(render(plot).copy(area) != paused.copy(area));
}

void TestChart::drawnInPartsAsDrawnWhole_data()
{
    QTest::addColumn<qint64>("span");
    QTest::addColumn<bool>("autoscale");
    QTest::addColumn<int>("quietMs"); // no frames for that long halfway
    QTest::newRow("10 s, fixed range") << qint64(10000) << false << 0;
    QTest::newRow("10 s, autoscale") << qint64(10000) << true << 0;
    QTest::newRow("10 s, quiet for a few columns") << qint64(10000) << false << 150;
    QTest::newRow("10 s, quiet for longer than the view") << qint64(10000) << false << 12000;
    QTest::newRow("1 min, autoscale") << qint64(60000) << true << 0;
    QTest::newRow("all, autoscale") << qint64(0) << true << 0;
}

// The plot keeps its picture, moves it with time and draws only what changed;
// after every step of a moving, spiking stream its picture and what is on
// screen must look exactly like a plot drawn afresh.
void TestChart::drawnInPartsAsDrawnWhole()
{
    QFETCH(qint64, span);
    QFETCH(bool, autoscale);
    QFETCH(int, quietMs);
    measure::Recorder recorder;
    auto makePlot = [&](chart::Plot &plot) {
        plot.resize(600, 300);
        plot.setSpan(span);
        plot.setRecorder(&recorder);
        if (!autoscale)
            plot.setRange(0, 1000);
    };
    qint64 ms = 100000;
    recorder.add(ms++, 5000);
    chart::Plot plot;
    makePlot(plot);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    const QRect area = plot.plotArea();
    auto onScreen = [&] {
        return plot.screen()->grabWindow(plot.winId()).toImage().convertToFormat(
            QImage::Format_RGB32).copy(area);
    };
    for (int step = 0; step < 40; ++step) {
        if (step == 20)
            ms += quietMs;
        for (int i = 0; i < 1 + step * 37 % 300; ++i, ++ms) {
            const bool spike = ms % 997 == 0;
            recorder.add(ms, spike ? 9500 - int(ms % 7) * 1000
                                   : 5000 + int(2000 * std::sin(ms / 900.0)) + int(ms % 13));
        }
        plot.sync();
        chart::Plot fresh;
        makePlot(fresh);
        QCOMPARE(fresh.viewStatistics().count(), plot.viewStatistics().count());
        const QImage whole = render(fresh);
        QVERIFY2(render(plot) == whole, qPrintable(QString("step %1").arg(step)));
        QTRY_VERIFY2_WITH_TIMEOUT(onScreen() == whole.copy(area),
                                  qPrintable(QString("on screen, step %1").arg(step)), 10000);
    }
}

// sensor-sim at 1000 frames/s for three seconds, the window on its line: the
// chart counts as many frames as the simulator logged, with the same extremes.
void TestChart::countsEveryFrameAtLineRate()
{
    Searial window;
    Simulator sim;
    QVERIFY(openPortAt(window, sim.start({"--verbose", "--profile", "sine", "--amplitude", "3000",
                                          "--period", "700", "--jitter", "40", "--rate", "1000"})));

    click(&window, "btn_tk");
    QTest::qWait(3000);
    click(&window, "btn_c");
    // Quiet for a moment: the simulator has stopped.
    qint64 total = -1;
    while (total != distanceRecorder->total()) {
        total = distanceRecorder->total();
        QTest::qWait(300);
    }
    QVERIFY(sim.stop());

    QByteArray sent;
    for (const QByteArray &line : sim->readAllStandardError().split('\n'))
        if (line.startsWith("tx "))
            sent += line.mid(line.indexOf(": ") + 2);
    QList<int> distances;
    QRegularExpressionMatchIterator frames =
        QRegularExpression(R"(DT:(\d{8})\\r\\n)").globalMatch(QString::fromLatin1(sent));
    while (frames.hasNext())
        distances << frames.next().captured(1).toInt();
    QVERIFY2(distances.size() > 2000, qPrintable(QString::number(distances.size())));

    window.findChild<QAction *>("action_chart")->trigger();
    auto *chart = window.findChild<chart::ChartWindow *>();
    QVERIFY(chart);
    window.findChild<QAction *>("action_chart")->trigger();
    QCOMPARE(window.findChildren<chart::ChartWindow *>().size(), 1);
    chart->findChild<QComboBox *>("cmb_span")->setCurrentText("all");
    const measure::Statistics &view = chart->plot()->viewStatistics();
    QCOMPARE(view.count(), qint64(distances.size()));
    QCOMPARE(view.minimum(), *std::min_element(distances.begin(), distances.end()));
    QCOMPARE(view.maximum(), *std::max_element(distances.begin(), distances.end()));
    QCOMPARE(view.last(), distances.last());

    // The statistics line says what the exported frames say, and Ctrl+C
    // copies it as name and value pairs.
    QTemporaryDir dir;
    QVERIFY(chart->exportCsv(dir.filePath("frames.csv")));
    QFile csv(dir.filePath("frames.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    measure::Statistics exported;
    QDateTime first;
    while (!csv.atEnd()) {
        const QList<QByteArray> cells = csv.readLine().trimmed().split(',');
        QCOMPARE(cells.size(), 2);
        const QDateTime at = QDateTime::fromString(QString::fromLatin1(cells[0]), Qt::ISODateWithMs);
        QVERIFY(at.isValid());
        if (!first.isValid())
            first = at;
        exported.add(at.toMSecsSinceEpoch(), cells[1].toInt());
    }
    QCOMPARE(exported.count(), qint64(distances.size()));
    const QString since = " since " + first.toString("HH:mm:ss");
    QString line = exported.text();
    line.replace(" frames/s,", " frames/s" + since + ",");
    auto *label = chart->findChild<QLabel *>("label_statistics");
    // (Each figure's blanks do not break.)
    QTRY_COMPARE(label->text().replace(QChar::Nbsp, ' '), line);

    QStringList cells;
    for (const auto &pair : exported.pairs())
        cells << pair.first << pair.second + (pair.first == "rate" ? since : QString());
    QGuiApplication::clipboard()->clear();
    QApplication::setActiveWindow(chart);
    QVERIFY(QTest::qWaitForWindowActive(chart));
    label->setFocus();
    QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), cells.join('\t'));

    // Its context menu offers the same.
    emit label->customContextMenuRequested(QPoint(2, 2));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QVERIFY(menu->actions().contains(chart->findChild<QAction *>("action_copy_statistics")));
    menu->close();
}

void TestChart::exportNames_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("message");
    QTest::newRow("CSV, no suffix typed") << QByteArray("btn_export_csv") << "chart-export"
                                          << "chart-export.csv" << "1 frame written to %1";
    QTest::newRow("CSV, a suffix of its own")
        << QByteArray("btn_export_csv") << "frames.txt" << "frames.txt" << "1 frame written to %1";
    QTest::newRow("PNG, no suffix typed") << QByteArray("btn_export_png") << "plot" << "plot.png"
                                          << "The plot written to %1";
}

// A name typed without a suffix gets the format's.
void TestChart::exportNames()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QString, message);
    measure::Recorder recorder;
    recorder.add(0, 12345);
    chart::ChartWindow chart(&recorder, nullptr);
    chart.show();
    QTemporaryDir dir;
    ModalBoxes boxes;
    boxes.answerFileDialog(dir.filePath(typed));
    chart.findChild<QPushButton *>(button)->click();
    QCOMPARE(boxes.fileDialogs, 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
    QCOMPARE(chart.statusBar()->currentMessage(), message.arg(dir.filePath(written)));
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
