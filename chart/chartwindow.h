// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The distance chart: a window of its own beside the main window, one per
// main window, with the plot and its controls (time window, pause, the
// distance axis, clear and the two exports), and the statistics of the
// frames in view as text: selectable, read by a screen reader, and copied
// with Ctrl+C or the line's context menu.

#include <QMainWindow>
#include <QTimer>

class Ui_ChartWindow;

namespace measure {
class Recorder;
}

namespace chart {

class Plot;

class ChartWindow : public QMainWindow
{
    Q_OBJECT

public:
    ChartWindow(measure::Recorder *recorder, QWidget *owner);
    ~ChartWindow() override;

    // Shows the chart window of `owner`, made the first time, and raises it.
    static ChartWindow *open(QWidget *owner, measure::Recorder *recorder);

    Plot *plot() const;

    // Writes the recorded frames as CSV, or the plot as shown as PNG; says on
    // the status bar what was written. False when the file could not be.
    bool exportCsv(const QString &path);
    bool exportPng(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The figures of the frames in view, the rate with the time it runs from.
    QList<QPair<QString, QString>> statistics() const;
    // As "Copy statistics" puts them on the clipboard: tab-separated name and
    // value pairs.
    QString statisticsForCopy() const;
    void refreshStatistics();
    void showStatisticsMenu(const QPoint &at);
    void applyRange();
    void askAndExport(bool csv);

    Ui_ChartWindow *ui;
    measure::Recorder *m_recorder;
    QAction *m_copyStatistics = nullptr;
    // The statistics line is rewritten at a reading pace, not the plot's.
    QTimer m_statisticsTimer;
};

} // namespace chart
