// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/plot.h"

#include "measure/recorder.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cmath>
#include <vector>

namespace chart {

namespace {

const QColor kCurve(0, 90, 200);
const QColor kGrid(222, 222, 222);
const QColor kFrame(150, 150, 150);
// The count of frames above the plot is read, not watched: a few times a
// second is enough.
constexpr qint64 kTextIntervalMs = 250;
// The top row of a column whose pixels are not known: it is drawn again,
// whatever it is to show.
constexpr int kRedraw = INT_MIN;

// 1, 2 or 5 times a power of ten, at least `raw`.
double niceStep(double raw)
{
    if (!(raw > 0))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / power;
    return (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * power;
}

// Calls `run(x, end)` for each longest run [x, end) of `count` columns that
// `pick` picks, left to right.
template<typename Pick, typename Run>
void forEachRun(int count, Pick pick, Run run)
{
    for (int x = 0; x < count;) {
        if (!pick(x)) {
            ++x;
            continue;
        }
        int end = x + 1;
        while (end < count && pick(end))
            ++end;
        run(x, end);
        x = end;
    }
}

} // namespace

Plot::YGrid Plot::yGrid(const QRect &area) const
{
    YGrid grid;
    const double low = m_lowMm, high = m_highMm, range = high - low;
    const double yScale = (area.height() - 1) / range;
    grid.step = niceStep(range / qMax(1, area.height() / 40));
    grid.decimals = qBound(0, int(-std::floor(std::log10(grid.step) + 1e-9)), 4);
    for (double v = std::ceil(low / grid.step) * grid.step; v <= high + grid.step * 1e-6;
         v += grid.step) {
        const double y = area.bottom() - (v - low) * yScale;
        grid.rows.push_back(
            int(std::lround(qBound(double(area.top() - 2), y, double(area.bottom() + 2)))));
        grid.values.push_back(std::abs(v) < grid.step * 1e-6 ? 0.0 : v);
    }
    return grid;
}

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
    // number of columns, and with it the view, as the range changes. They are
    // measured once per font and screen: measuring lays the text out, and the
    // area is asked for several times a frame.
    if (!(font() == m_marginFont) || logicalDpiY() != m_marginDpi) {
        m_marginFont = font();
        m_marginDpi = logicalDpiY();
        const QFontMetrics metrics = fontMetrics();
        const int line = metrics.height();
        m_margins = QMargins(line + metrics.horizontalAdvance(QStringLiteral("-0000000.0")) + 8,
                             line + 12,
                             metrics.horizontalAdvance(QStringLiteral("00:00:00")) / 2 + 4,
                             line + 8);
    }
    const QMargins &m = m_margins;
    return QRect(m.left(), m.top(), qMax(1, width() - m.left() - m.right()),
                 qMax(1, height() - m.top() - m.bottom()));
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

bool Plot::onePerPixel(int pixels) const
{
    // A window of fixed length has as many columns as the plot has pixels,
    // once it is built for the plot's width.
    return m_spanMs > 0 && m_columns.count() == pixels;
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
    // Paused, the view is rebuilt at the moment it stopped, from the frames
    // it held then.
    if (!m_paused)
        m_nowMs = m_recorder->now();
    const qint64 until = m_paused ? qMin(m_taken, m_recorder->total()) : m_recorder->total();
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
    take(first, qMax(first, until));
    m_recorded = m_recorder->total();
    m_view = m_columns.total();
    fitRange();
    update();
}

void Plot::sync()
{
    if (!m_recorder)
        return;
    if (m_stale) {
        rebuild();
        return;
    }
    QRegion dirty;
    if (m_cursorMoved) {
        m_cursorMoved = false;
        dirty += plotArea();
        dirty += textArea();
    }
    const qint64 total = m_recorder->total();
    if (total != m_recorded) {
        m_recorded = total;
        m_textStale = true;
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
            m_textStale = true;
        }
        // The clock time of the right edge.
        if (m_nowMs / 1000 != m_paintedSecond)
            dirty += clockArea();
    }
    // The curve where it looks different, everything when the axes did.
    const Rendered rendered = renderPlot();
    if (rendered.scrolled > 0) {
        // What is on screen moves with the image, unless the cursor's line
        // is drawn over it.
        if (plotArea().contains(m_cursor))
            dirty += plotArea();
        else
            scroll(-rendered.scrolled, 0, plotArea());
    }
    dirty += rendered.changed;
    if (m_textStale && (!m_textShown.isValid() || m_textShown.elapsed() >= kTextIntervalMs))
        dirty += textArea();
    if (!dirty.isEmpty())
        update(dirty);
}

void Plot::fitRange()
{
    if (!m_autoscale || m_view.isEmpty())
        return;
    const double low = m_view.minimum() / 10.0, high = m_view.maximum() / 10.0;
    const double pad = qMax((high - low) * 0.05, 0.5);
    // Out to whole steps of the grid: while the frames move inside the range
    // it stays put, and so do the axis' rows and labels; new frames redraw
    // only the columns they change, not the whole plot with every frame.
    const double step = niceStep((high - low + 2 * pad) / qMax(1, plotArea().height() / 40));
    m_lowMm = std::floor((low - pad) / step) * step;
    m_highMm = std::ceil((high + pad) / step) * step;
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

QRect Plot::textArea() const
{
    return QRect(0, 0, width(), fontMetrics().height() + 8);
}

QRect Plot::clockArea() const
{
    const QRect area = plotArea();
    return QRect(area.right() - 50, area.bottom() + 4, 100, fontMetrics().height());
}

void Plot::paintAxes(QPainter &painter, const QRect &area, qint64 length)
{
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const QColor text = palette().color(QPalette::Text);
    painter.fillRect(rect(), palette().color(QPalette::Base));

    // Distance axis: grid, labels and the unit.
    const YGrid &grid = m_axesKey.grid;
    for (size_t i = 0; i < grid.rows.size(); ++i) {
        const int y = grid.rows[i];
        painter.setPen(kGrid);
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(text);
        painter.drawText(QRect(0, y - line / 2, area.left() - 6, line),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(grid.values[i], 'f', grid.decimals));
    }
    painter.save();
    painter.translate(2, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-area.height() / 2, 0, area.height(), line), Qt::AlignCenter,
                     tr("distance (mm)"));
    painter.restore();

    // Time axis: seconds (minutes, hours) back from the right edge, whose
    // clock time is written at each paint.
    const qint64 unit = length <= 120000 ? 1000 : length <= 7200000 ? 60000 : 3600000;
    const QString unitName = unit == 1000 ? tr("s") : unit == 60000 ? tr("min") : tr("h");
    const double xStep = niceStep(double(length) / unit / qMax(1, area.width() / 90)) * unit;
    const int labelY = area.bottom() + 4;
    m_gridColumns.clear();
    for (int j = 1; j * xStep < length; ++j) {
        const int x = area.right() - int(std::lround(j * xStep * area.width() / length));
        if (x >= area.left())
            m_gridColumns.push_back(x - area.left());
        painter.setPen(kGrid);
        painter.drawLine(x, area.top(), x, area.bottom());
        painter.setPen(text);
        const double back = j * xStep / unit;
        painter.drawText(QRect(x - 50, labelY, 100, line), Qt::AlignHCenter | Qt::AlignTop,
                         QString("-%1 %2").arg(back, 0, 'g', 6).arg(unitName));
    }
    painter.setPen(kFrame);
    painter.drawRect(area.adjusted(-1, -1, 0, 0));
}

bool Plot::renderAxes(const QRect &area)
{
    const qint64 length = viewLength();
    AxesKey key{size(), devicePixelRatioF(), length, yGrid(area)};
    // A range that changed by less than a grid row moved no line or label:
    // the axes stay, and only the columns of the curve that moved are drawn.
    if (!m_axes.isNull() && key == m_axesKey && int(m_shown.top.size()) == area.width())
        return false;
    m_axesKey = std::move(key);
    // The images are kept while the size is: a new one a frame would cost
    // more than the drawing.
    const QSize device = size() * m_axesKey.ratio;
    if (m_axes.size() != device || m_axes.devicePixelRatio() != m_axesKey.ratio) {
        m_axes = QImage(device, QImage::Format_RGB32);
        m_axes.setDevicePixelRatio(m_axesKey.ratio);
        m_plot = QImage(device, QImage::Format_RGB32);
        m_plot.setDevicePixelRatio(m_axesKey.ratio);
    }
    QPainter painter(&m_axes);
    paintAxes(painter, area, length);
    painter.end();
    std::memcpy(m_plot.bits(), m_axes.constBits(), size_t(m_axes.sizeInBytes()));
    m_firstSlot = 0;
    m_shown.top.assign(size_t(area.width()), INT_MAX);
    m_shown.bottom.assign(size_t(area.width()), INT_MIN);
    m_shownOldest = m_columns.oldest();
    m_shownWidthUs = m_columns.widthUs();
    return true;
}

int Plot::scrollCurve(const QRect &area)
{
    const qint64 shift = m_columns.oldest() - m_shownOldest;
    const bool sameColumns = m_columns.widthUs() == m_shownWidthUs;
    m_shownOldest = m_columns.oldest();
    m_shownWidthUs = m_columns.widthUs();
    // Only a window of fixed length has a column per pixel, and only a whole
    // scale factor moves whole device pixels; otherwise the columns that
    // differ are drawn where they are.
    const int pixels = area.width();
    const qreal ratio = m_axesKey.ratio;
    if (shift == 0 || !onePerPixel(pixels) || !sameColumns || ratio != std::floor(ratio))
        return 0;
    if (shift < 0 || shift >= pixels) {
        m_shown.top.assign(size_t(pixels), kRedraw);
        return 0;
    }
    // The image's columns stay where they are: column 0 of the curve is
    // now the one that was column n.
    const int n = int(shift);
    m_firstSlot = (m_firstSlot + n) % pixels;
    for (std::vector<int> *rows : {&m_shown.top, &m_shown.bottom})
        std::move(rows->begin() + n, rows->end(), rows->begin());
    std::fill(m_shown.top.begin() + (pixels - n), m_shown.top.end(), kRedraw);
    // A grid line stays where it is while the curve moves under it.
    for (const int x : m_gridColumns) {
        m_shown.top[size_t(x)] = kRedraw;
        if (x >= n)
            m_shown.top[size_t(x - n)] = kRedraw;
    }
    return n;
}

Plot::ColumnRows Plot::columnExtremes(const QRect &area) const
{
    const int pixels = area.width();
    const double low = m_lowMm, yScale = (area.height() - 1) / (m_highMm - m_lowMm);
    auto yOf = [&](double valueMm) {
        const double y = area.bottom() - (valueMm - low) * yScale;
        return int(std::lround(qBound(double(area.top() - 2), y, double(area.bottom() + 2))));
    };
    ColumnRows own{std::vector<int>(size_t(pixels), INT_MAX),
                   std::vector<int>(size_t(pixels), INT_MIN)};
    const bool onePerPixel = this->onePerPixel(pixels);
    const double from = double(viewFrom());
    const double perPixel = double(viewLength()) / pixels;
    const double width = m_columns.widthUs() / 1000.0;
    for (qint64 k = m_columns.oldest(); k <= m_columns.newest(); ++k) {
        const measure::Statistics &c = m_columns.column(k);
        if (c.isEmpty())
            continue;
        const int x = onePerPixel ? int(k - m_columns.oldest())
                                  : int(std::floor(((k + 0.5) * width - from) / perPixel));
        if (x < 0 || x >= pixels)
            continue;
        own.top[size_t(x)] = qMin(own.top[size_t(x)], yOf(c.maximum() / 10.0));
        own.bottom[size_t(x)] = qMax(own.bottom[size_t(x)], yOf(c.minimum() / 10.0));
    }
    ColumnRows want = own;
    int before = -10;
    for (int x = 0; x < pixels; ++x) {
        const size_t i = size_t(x);
        if (own.top[i] == INT_MAX)
            continue;
        if (x - before <= 2) {
            want.top[i] = qMin(want.top[i], own.bottom[size_t(before)]);
            want.bottom[i] = qMax(want.bottom[i], own.top[size_t(before)]);
        }
        before = x;
    }
    return want;
}

QRegion Plot::blitColumns(const QRect &area, const ColumnRows &want)
{
    // Straight into the image's pixels: through a painter, a column of a few
    // pixels costs a microsecond.
    const qreal ratio = m_axesKey.ratio;
    auto device = [ratio](int logical) { return int(std::lround(logical * ratio)); };
    const int rowFrom = device(area.top()), rowTo = device(area.bottom() + 1);
    const int pixels = area.width();
    auto differs = [&](int k) {
        return want.top[size_t(k)] != m_shown.top[size_t(k)] ||
               want.bottom[size_t(k)] != m_shown.bottom[size_t(k)];
    };
    // The axes copied back under the curve drawn there; a column that shows
    // nothing holds them bare.
    forEachRun(pixels,
               [&](int k) { return differs(k) && m_shown.top[size_t(k)] <= m_shown.bottom[size_t(k)]; },
               [&](int x, int end) {
                   forEachSlotRun(pixels, x, end, [&](int slot, int column, int count) {
                       const int to = device(area.left() + slot);
                       const int from = device(area.left() + column);
                       const int width = device(area.left() + slot + count) - to;
                       for (int y = rowFrom; y < rowTo; ++y)
                           std::memcpy(reinterpret_cast<QRgb *>(m_plot.scanLine(y)) + to,
                                       reinterpret_cast<const QRgb *>(m_axes.constScanLine(y)) + from,
                                       size_t(width) * sizeof(QRgb));
                   });
               });
    const QRgb curve = kCurve.rgb();
    QRegion changed;
    forEachRun(pixels, differs, [&](int x, int end) {
        for (int k = x; k < end; ++k) {
            const size_t i = size_t(k);
            m_shown.top[i] = want.top[i];
            m_shown.bottom[i] = want.bottom[i];
            if (want.top[i] == INT_MAX)
                continue;
            const int top = qMax(device(want.top[i]), rowFrom);
            const int bottom = qMin(device(want.bottom[i] + 1), rowTo);
            const int slot = (k + m_firstSlot) % pixels;
            const int left = device(area.left() + slot), right = device(area.left() + slot + 1);
            for (int y = top; y < bottom; ++y) {
                QRgb *row = reinterpret_cast<QRgb *>(m_plot.scanLine(y));
                std::fill(row + left, row + right, curve);
            }
        }
        changed += QRect(area.left() + x, area.top(), end - x, area.height());
    });
    return changed;
}

Plot::Rendered Plot::renderPlot()
{
    const QRect area = plotArea();
    Rendered rendered;
    if (renderAxes(area))
        rendered.changed = rect();
    else
        rendered.scrolled = scrollCurve(area);
    rendered.changed += blitColumns(area, columnExtremes(area));
    return rendered;
}

template<typename Run>
void Plot::forEachSlotRun(int pixels, int x, int end, Run run) const
{
    while (x < end) {
        const int slot = (x + m_firstSlot) % pixels;
        const int count = qMin(end - x, pixels - slot);
        run(slot, x, count);
        x += count;
    }
}

void Plot::drawImage(QPainter &painter, const QRect &exposed)
{
    const qreal ratio = m_plot.devicePixelRatio();
    auto copy = [&](const QRect &target, int fromX) {
        painter.drawImage(QRectF(target), m_plot,
                          QRectF(QPointF(fromX, target.y()) * ratio, QSizeF(target.size()) * ratio));
    };
    const QRect area = plotArea();
    const QRect inside = exposed & area;
    if (m_firstSlot == 0 || inside.isEmpty()) {
        copy(exposed, exposed.x());
        return;
    }
    for (const QRect &outside : QRegion(exposed) - area)
        copy(outside, outside.x());
    forEachSlotRun(area.width(), inside.left() - area.left(), inside.right() + 1 - area.left(),
                   [&](int slot, int column, int count) {
                       copy(QRect(area.left() + column, inside.top(), count, inside.height()),
                            area.left() + slot);
                   });
}

void Plot::paintLayers(QPainter &painter, const QRect &exposed)
{
    renderPlot();
    drawImage(painter, exposed);

    const QRect area = plotArea();
    const int line = fontMetrics().height();
    const QColor text = palette().color(QPalette::Text);
    QPoint marker(-1, -1);
    const bool withText = exposed.intersects(textArea());
    const QString readout = withText || area.contains(m_cursor) ? cursorText(&marker) : QString();
    painter.setPen(text);
    if (withText) {
        // A line of text above the plot: the cursor readout (or that the view
        // is paused) and the frames recorded. The statistics are the window's,
        // as text an operator can select and copy.
        const QRect row(6, 4, width() - 12, line);
        painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter,
                         readout.isEmpty() && m_paused ? tr("Paused") : readout);
        painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter,
                         m_recorded == 1 ? tr("1 frame recorded")
                                         : tr("%1 frames recorded").arg(m_recorded));
        m_textStale = false;
        m_textShown.start();
    }
    if (m_recorder && exposed.intersects(clockArea())) {
        painter.drawText(clockArea(), Qt::AlignHCenter | Qt::AlignTop,
                         m_recorder->wallTime(m_nowMs).toString(QStringLiteral("HH:mm:ss")));
        m_paintedSecond = m_nowMs / 1000;
    }

    if (area.contains(m_cursor)) {
        painter.setClipRect(area);
        painter.setPen(QPen(kFrame, 0, Qt::DashLine));
        painter.drawLine(m_cursor.x(), area.top(), m_cursor.x(), area.bottom());
        if (marker.y() >= 0) {
            painter.setPen(QPen(Qt::red, 0));
            painter.drawEllipse(marker, 3, 3);
        }
        painter.setClipping(false);
    }
}

void Plot::paintTo(QPainter &painter)
{
    paintLayers(painter, rect());
}

void Plot::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    paintLayers(painter, event->rect());
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
