// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The distance over time, painted with QPainter at the screen's pace: at most
// one paint per frame interval, and only when something it shows changed
// (new frames, the window moving on with time, the cursor). Nothing is done
// while it is hidden.
//
// The axes, grid and labels are drawn into an image once per size, range or
// window length; the curve is kept drawn on a copy of it, and only the pixel
// columns whose extremes changed are drawn again. As time passes the curve
// moves left by whole columns (at a one-minute window a column is 75 ms, about
// 13 steps a second): the kept image turns like a ring of columns, what is on
// screen is scrolled, and only the new columns, and those a grid line of the
// time axis crosses, are drawn. The line of text above the plot follows at most 4 times a second.
//
// What it paints comes from one summary per pixel column (measure::Columns):
// new frames go into their column as they are taken, and a paint costs the
// same for ten seconds or an hour at line rate. Each column is drawn from its
// minimum to its maximum, so no spike is lost to the decimation.
//
// Above the plot it writes the cursor readout and the number of frames
// recorded; the x axis is the time back from the right edge, whose clock
// time it names; the y axis is in mm.

#include "measure/columns.h"

#include <vector>

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QMargins>
#include <QRegion>
#include <QTimer>
#include <QWidget>

namespace measure {
class Recorder;
}

namespace chart {

class Plot : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kFrameIntervalMs = 33;

    explicit Plot(QWidget *parent = nullptr);

    void setRecorder(measure::Recorder *recorder);

    // The time window in ms; 0 for everything recorded.
    void setSpan(qint64 ms);
    qint64 span() const { return m_spanMs; }
    // A paused view stays at its moment, also through another time window or
    // size; the recording goes on, and the count of frames recorded with it.
    // Resuming jumps to now.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // The distance axis: fitted to what is in view, or fixed (mm).
    void setAutoscale();
    void setRange(double lowMm, double highMm);
    // The range shown now, in mm.
    double lowMm() const { return m_lowMm; }
    double highMm() const { return m_highMm; }

    // Builds the view anew from the recorder (after a clear, a change of
    // window or size, on resume and when shown).
    void rebuild();
    // One frame's work, as the frame timer does it: the new frames and the
    // time that passed go into the view, which is repainted if it changed.
    void sync();

    // Statistics of the frames in view (the chart window writes them).
    const measure::Statistics &viewStatistics() const { return m_view; }
    // Where the curve is drawn, in widget coordinates.
    QRect plotArea() const;
    // Paints (tests, benchmarks); the time taken is that of one frame.
    void paintTo(QPainter &painter);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // The view's time span [from, from + length) in ms.
    qint64 viewFrom() const;
    qint64 viewLength() const;
    qint64 earliestRecorded() const;
    // Whether column k of the view is pixel column k - oldest of the plot.
    bool onePerPixel(int pixels) const;
    void fitAllColumns();
    void take(qint64 from, qint64 to);
    void fitRange();
    QString cursorText(QPoint *marker) const;
    // The line of text above the plot, and the clock time under its right
    // edge.
    QRect textArea() const;
    QRect clockArea() const;
    // Per pixel column of the plot, the rows the curve covers there (top >
    // bottom: nothing).
    struct ColumnRows
    {
        std::vector<int> top, bottom;
    };
    // What bringing the images up to date changed on screen: the plot area
    // moved left by `scrolled` columns, then `changed` drawn anew.
    struct Rendered
    {
        int scrolled = 0;
        QRegion changed;
    };
    Rendered renderPlot();
    // Draws the axes image again if what it shows changed; true if it did,
    // and the curve's image then holds the bare axes.
    bool renderAxes(const QRect &area);
    void paintAxes(QPainter &painter, const QRect &area, qint64 length);
    // Turns the image's ring of columns by the columns time advanced since
    // the curve was drawn; returns them (0: not moved).
    int scrollCurve(const QRect &area);
    // The curve as it is to look: per column the extremes of its frames,
    // joined to the column before so that a steep change stays one line.
    ColumnRows columnExtremes(const QRect &area) const;
    // Draws the columns shown otherwise than `want`; returns where.
    QRegion blitColumns(const QRect &area, const ColumnRows &want);
    // Calls `run(slot, column, count)` for the columns [x, end) of the
    // curve, in the runs that lie side by side in the image.
    template<typename Run>
    void forEachSlotRun(int pixels, int x, int end, Run run) const;
    // Copies the image to the painter, each column of the curve to its place.
    void drawImage(QPainter &painter, const QRect &exposed);
    void paintLayers(QPainter &painter, const QRect &exposed);

    // The distance axis' grid rows (px) and their values (mm).
    struct YGrid
    {
        double step = 0;
        int decimals = 0;
        std::vector<int> rows;
        std::vector<double> values;
        bool operator==(const YGrid &o) const
        {
            return step == o.step && decimals == o.decimals && rows == o.rows &&
                   values == o.values;
        }
    };
    YGrid yGrid(const QRect &area) const;
    // What the axes image was drawn for.
    struct AxesKey
    {
        QSize size;
        qreal ratio = 0;
        qint64 length = 0;
        YGrid grid;
        bool operator==(const AxesKey &o) const
        {
            return size == o.size && ratio == o.ratio && length == o.length && grid == o.grid;
        }
    };

    measure::Recorder *m_recorder = nullptr;
    measure::Columns m_columns;
    measure::Statistics m_view;
    qint64 m_spanMs = 60000;
    qint64 m_nowMs = 0;
    qint64 m_allFromMs = 0;
    qint64 m_taken = 0;    // frames of the recorder in the view
    qint64 m_recorded = 0; // the count written above the plot
    qint64 m_paintedSecond = -1;
    bool m_paused = false;
    bool m_stale = false; // the size changed since the view was built
    bool m_autoscale = true;
    double m_lowMm = 0;
    double m_highMm = 1;
    bool m_cursorMoved = false;
    QPoint m_cursor{-1, -1};
    QTimer m_frame;

    // The plot area's margins, and the font and resolution they were
    // measured for.
    mutable QFont m_marginFont;
    mutable int m_marginDpi = 0;
    mutable QMargins m_margins;

    AxesKey m_axesKey;
    QImage m_axes;    // background, axes, grid and labels
    QImage m_plot;    // the same with the curve drawn on it
    // The curve as drawn on m_plot, for the columns from m_shownOldest of
    // m_shownWidthUs each; a column showing nothing holds the bare axes.
    // The image's plot area is a ring of columns: as time passes the curve
    // moves by the column it starts at, m_firstSlot, not by its pixels.
    ColumnRows m_shown;
    int m_firstSlot = 0;
    qint64 m_shownOldest = 0;
    qint64 m_shownWidthUs = 0;
    // Where the time axis' grid lines cross the plot, in columns from its
    // left edge: the curve moves under them.
    std::vector<int> m_gridColumns;
    bool m_textStale = false;
    QElapsedTimer m_textShown;
};

} // namespace chart
