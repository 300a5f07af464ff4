// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The distance chart: a window of its own beside the main window, one per
// main window, with the plot and its controls (time window, pause, the
// distance axis, clear and the two exports).

#include <QMainWindow>

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

private:
    void applyRange();
    void askAndExport(bool csv);

    Ui_ChartWindow *ui;
    measure::Recorder *m_recorder;
};

} // namespace chart
