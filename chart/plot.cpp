// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/plot.h"

#include "measure/recorder.h"

#include <QMouseEvent>
#include <QPainter>

#include <climits>
#include <cmath>
#include <vector>

namespace chart {

namespace {

const QColor kCurve(0, 90, 200);
const QColor kGrid(222, 222, 222);
const QColor kFrame(150, 150, 150);

// 1, 2 or 5 times a power of ten, at least `raw`.
double niceStep(double raw)
{
    if (!(raw > 0))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / power;
    return (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * power;
}

} // namespace

Plot::Plot(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    // Everything is painted, every time: nothing under it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 200);
    m_frame.setInterval(kFrameIntervalMs);
    connect(&m_frame, &QTimer::timeout, this, [this] { sync(); });
}

void Plot::setRecorder(measure::Recorder *recorder)
{
    m_recorder = recorder;
    rebuild();
}

void Plot::setSpan(qint64 ms)
{
    m_spanMs = qMax(qint64(0), ms);
    rebuild();
}

void Plot::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (!paused)
        rebuild();
    update();
}

void Plot::setAutoscale()
{
    m_autoscale = true;
    fitRange();
    update();
}

void Plot::setRange(double lowMm, double highMm)
{
    if (!(lowMm < highMm))
        return;
    m_autoscale = false;
    m_lowMm = lowMm;
    m_highMm = highMm;
    update();
}

QRect Plot::plotArea() const
{
    // Fixed margins: a margin that followed the labels would change the
    // number of columns, and with it the view, as the range changes.
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const int left = line + metrics.horizontalAdvance(QStringLiteral("-0000000.0")) + 8;
    const int right = metrics.horizontalAdvance(QStringLiteral("00:00:00")) / 2 + 4;
    const int top = line + 12;
    const int bottom = line + 8;
    return QRect(left, top, qMax(1, width() - left - right), qMax(1, height() - top - bottom));
}

qint64 Plot::earliestRecorded() const
{
    // The seconds reach back further than the frames themselves.
    const auto &seconds = m_recorder->seconds();
    return seconds.isEmpty() ? m_recorder->now() : seconds.at(seconds.begin()).firstMs();
}

void Plot::fitAllColumns()
{
    // Everything since the first frame fits, with a column to spare at each
    // end; the columns double in width as the run grows.
    const qint64 needed = (m_nowMs - m_allFromMs + 1) * 1000;
    while (needed > qint64(m_columns.count() - 2) * m_columns.widthUs())
        m_columns.coarsen();
}

qint64 Plot::viewFrom() const
{
    if (m_spanMs == 0)
        return m_allFromMs;
    return m_columns.oldest() * m_columns.widthUs() / 1000;
}

qint64 Plot::viewLength() const
{
    if (m_spanMs == 0)
        return qMax(qint64(1000), m_nowMs - m_allFromMs);
    return m_columns.count() * m_columns.widthUs() / 1000;
}

void Plot::take(qint64 from, qint64 to)
{
    for (qint64 n = from; n < to; ++n) {
        const measure::Sample s = m_recorder->sample(n);
        m_columns.add(s.ms, s.distance);
    }
    m_taken = to;
}

void Plot::rebuild()
{
    if (!m_recorder)
        return;
    m_stale = false;
    m_nowMs = m_recorder->now();
    const int width = plotArea().width();
    if (m_spanMs > 0) {
        m_columns.reset(width, qMax(qint64(1), m_spanMs * 1000 / width));
    } else {
        // Twice as many columns as pixels: as they double in width, the
        // view never has fewer columns than pixels.
        m_allFromMs = earliestRecorded();
        m_columns.reset(2 * width, 1000);
        fitAllColumns();
    }
    m_columns.advanceTo(m_nowMs);

    const qint64 from = m_columns.oldest() * m_columns.widthUs() / 1000;
    qint64 first = m_recorder->firstAtOrAfter(from);
    if (m_recorder->oldestKept() > 0 && m_recorder->total() > m_recorder->oldestKept()) {
        // The ring has let its oldest frames go: where the view reaches back
        // beyond it, their seconds stand in for them.
        const qint64 keptSecond = m_recorder->sample(m_recorder->oldestKept()).ms / 1000;
        if (from < (keptSecond + 1) * 1000) {
            const auto &seconds = m_recorder->seconds();
            for (qint64 n = seconds.begin(); n < seconds.end(); ++n) {
                const measure::Statistics &second = seconds.at(n);
                if (second.firstMs() / 1000 > keptSecond)
                    break;
                if (second.lastMs() >= from)
                    m_columns.add(second);
            }
            first = m_recorder->firstAtOrAfter((keptSecond + 1) * 1000);
        }
    }
    take(first, m_recorder->total());
    m_recorded = m_recorder->total();
    m_view = m_columns.total();
    fitRange();
    update();
}

void Plot::sync()
{
    if (!m_recorder)
        return;
    if (m_stale && !m_paused) {
        rebuild();
        return;
    }
    bool changed = m_cursorMoved;
    m_cursorMoved = false;
    const qint64 total = m_recorder->total();
    if (total != m_recorded) {
        m_recorded = total;
        changed = true;
    }
    if (!m_paused) {
        // Cleared, or so far behind that the ring has moved past the view.
        if (total < m_taken || m_recorder->oldestKept() > m_taken) {
            rebuild();
            return;
        }
        m_nowMs = m_recorder->now();
        if (m_spanMs == 0)
            fitAllColumns();
        const bool moved = m_columns.advanceTo(m_nowMs);
        const bool fresh = total > m_taken;
        take(m_taken, total);
        if (fresh || (moved && !m_view.isEmpty())) {
            m_view = m_columns.total();
            fitRange();
            changed = true;
        }
        // The clock time of the right edge.
        if (m_nowMs / 1000 != m_paintedSecond)
            changed = true;
    }
    if (changed)
        update();
}

void Plot::fitRange()
{
    if (!m_autoscale || m_view.isEmpty())
        return;
    const double low = m_view.minimum() / 10.0, high = m_view.maximum() / 10.0;
    const double pad = qMax((high - low) * 0.05, 0.5);
    m_lowMm = low - pad;
    m_highMm = high + pad;
}

QString Plot::cursorText(QPoint *marker) const
{
    const QRect area = plotArea();
    if (!m_recorder || !area.contains(m_cursor) || m_view.isEmpty())
        return QString();
    const int pixels = area.width();
    const int x = m_cursor.x() - area.left();
    const double from = double(viewFrom()), length = double(viewLength());
    const qint64 t0 = qint64(std::floor(from + x * length / pixels));
    const qint64 t1 = qMax(t0 + 1, qint64(std::floor(from + (x + 1) * length / pixels)));
    const double range = m_highMm - m_lowMm;
    const double target = 10.0 * (m_lowMm + double(area.bottom() - m_cursor.y()) /
                                                qMax(1, area.height() - 1) * range);

    // The frame under the mouse: of those in its pixel column, the nearest
    // to its height. A column holds a few thousand at most (an hour at line
    // rate); the bound only guards "all" after days.
    constexpr int kMostScanned = 200000;
    qint64 best = -1;
    double bestDistance = 0;
    qint64 n = m_recorder->firstAtOrAfter(t0);
    for (int scanned = 0; n < m_taken && scanned < kMostScanned; ++n, ++scanned) {
        const measure::Sample s = m_recorder->sample(n);
        if (s.ms >= t1)
            break;
        const double d = std::abs(s.distance - target);
        if (best < 0 || d < bestDistance) {
            best = n;
            bestDistance = d;
        }
    }
    if (best >= 0) {
        const measure::Sample s = m_recorder->sample(best);
        const double y =
            area.bottom() - (s.distance / 10.0 - m_lowMm) / range * (area.height() - 1);
        *marker = QPoint(m_cursor.x(), int(std::lround(y)));
        return m_recorder->wallTime(s.ms).toString(QStringLiteral("HH:mm:ss.zzz")) + "   " +
               measure::mmText(s.distance);
    }
    // Older than the frames kept: the column's summary.
    measure::Statistics column;
    for (qint64 k = m_columns.oldest(); k <= m_columns.newest(); ++k) {
        const measure::Statistics &c = m_columns.column(k);
        if (!c.isEmpty() && c.firstMs() < t1 && c.lastMs() >= t0)
            column.merge(c);
    }
    if (column.isEmpty())
        return QString();
    return m_recorder->wallTime(column.firstMs()).toString(QStringLiteral("HH:mm:ss")) + "   min " +
           measure::mmText(column.minimum()) + ", max " + measure::mmText(column.maximum());
}

void Plot::paintTo(QPainter &painter)
{
    const QRect area = plotArea();
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const QColor text = palette().color(QPalette::Text);
    painter.fillRect(rect(), palette().color(QPalette::Base));

    // A line of text above the plot: the cursor readout (or that the view
    // is paused) and the frames recorded. The statistics are the window's,
    // as text an operator can select and copy.
    QPoint marker(-1, -1);
    QString readout = cursorText(&marker);
    if (readout.isEmpty() && m_paused)
        readout = tr("Paused");
    painter.setPen(text);
    const QRect row(6, 4, width() - 12, line);
    painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, readout);
    painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter,
                     m_recorded == 1 ? tr("1 frame recorded")
                                     : tr("%1 frames recorded").arg(m_recorded));

    const double low = m_lowMm, high = m_highMm, range = high - low;
    const double yScale = (area.height() - 1) / range;
    auto yOf = [&](double valueMm) {
        const double y = area.bottom() - (valueMm - low) * yScale;
        return int(std::lround(qBound(double(area.top() - 2), y, double(area.bottom() + 2))));
    };

    // Distance axis: grid, labels and the unit.
    const double yStep = niceStep(range / qMax(1, area.height() / 40));
    const int decimals = qBound(0, int(-std::floor(std::log10(yStep) + 1e-9)), 4);
    for (double v = std::ceil(low / yStep) * yStep; v <= high + yStep * 1e-6; v += yStep) {
        const int y = yOf(v);
        painter.setPen(kGrid);
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(text);
        const double shown = std::abs(v) < yStep * 1e-6 ? 0.0 : v;
        painter.drawText(QRect(0, y - line / 2, area.left() - 6, line),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(shown, 'f', decimals));
    }
    painter.save();
    painter.translate(2, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-area.height() / 2, 0, area.height(), line), Qt::AlignCenter,
                     tr("distance (mm)"));
    painter.restore();

    // Time axis: seconds (minutes, hours) back from the right edge, which
    // shows its clock time.
    const qint64 length = viewLength();
    const qint64 unit = length <= 120000 ? 1000 : length <= 7200000 ? 60000 : 3600000;
    const QString unitName = unit == 1000 ? tr("s") : unit == 60000 ? tr("min") : tr("h");
    const double xStep = niceStep(double(length) / unit / qMax(1, area.width() / 90)) * unit;
    const int labelY = area.bottom() + 4;
    for (int j = 1; j * xStep < length; ++j) {
        const int x = area.right() - int(std::lround(j * xStep * area.width() / length));
        painter.setPen(kGrid);
        painter.drawLine(x, area.top(), x, area.bottom());
        painter.setPen(text);
        const double back = j * xStep / unit;
        painter.drawText(QRect(x - 50, labelY, 100, line), Qt::AlignHCenter | Qt::AlignTop,
                         QString("-%1 %2").arg(back, 0, 'g', 6).arg(unitName));
    }
    if (m_recorder) {
        painter.drawText(QRect(area.right() - 50, labelY, 100, line),
                         Qt::AlignHCenter | Qt::AlignTop,
                         m_recorder->wallTime(m_nowMs).toString(QStringLiteral("HH:mm:ss")));
        m_paintedSecond = m_nowMs / 1000;
    }
    painter.setPen(kFrame);
    painter.drawRect(area.adjusted(-1, -1, 0, 0));

    // The curve: per pixel column the frames' extremes, joined to the
    // column before so that a steep change stays one line.
    const int pixels = area.width();
    std::vector<int> top(size_t(pixels), INT_MAX), bottom(size_t(pixels), INT_MIN);
    const double from = double(viewFrom());
    const double perPixel = double(length) / pixels;
    const double width = m_columns.widthUs() / 1000.0;
    for (qint64 k = m_columns.oldest(); k <= m_columns.newest(); ++k) {
        const measure::Statistics &c = m_columns.column(k);
        if (c.isEmpty())
            continue;
        const int x = int(std::floor(((k + 0.5) * width - from) / perPixel));
        if (x < 0 || x >= pixels)
            continue;
        top[size_t(x)] = qMin(top[size_t(x)], yOf(c.maximum() / 10.0));
        bottom[size_t(x)] = qMax(bottom[size_t(x)], yOf(c.minimum() / 10.0));
    }
    painter.setClipRect(area);
    int before = -10, beforeTop = 0, beforeBottom = 0;
    for (int x = 0; x < pixels; ++x) {
        if (top[size_t(x)] == INT_MAX)
            continue;
        int t = top[size_t(x)], b = bottom[size_t(x)];
        const int shownTop = t, shownBottom = b;
        if (x - before <= 2) {
            t = qMin(t, beforeBottom);
            b = qMax(b, beforeTop);
        }
        painter.fillRect(area.left() + x, t, 1, b - t + 1, kCurve);
        before = x;
        beforeTop = shownTop;
        beforeBottom = shownBottom;
    }

    if (area.contains(m_cursor)) {
        painter.setPen(QPen(kFrame, 0, Qt::DashLine));
        painter.drawLine(m_cursor.x(), area.top(), m_cursor.x(), area.bottom());
        if (marker.y() >= 0) {
            painter.setPen(QPen(Qt::red, 0));
            painter.drawEllipse(marker, 3, 3);
        }
    }
    painter.setClipping(false);
}

void Plot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintTo(painter);
}

void Plot::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Once per frame at most while the window is being dragged wider; until
    // then the columns there are are stretched over the new width.
    m_stale = true;
}

void Plot::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    rebuild();
    m_frame.start();
}

void Plot::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_frame.stop();
}

void Plot::mouseMoveEvent(QMouseEvent *event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    m_cursor = event->position().toPoint();
#else
    m_cursor = event->pos();
#endif
    m_cursorMoved = true;
}

void Plot::leaveEvent(QEvent *)
{
    m_cursor = QPoint(-1, -1);
    m_cursorMoved = true;
}

} // namespace chart
