// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/plainbackground.h"

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace view {

QColor PlainBackground::colourUnder(QWidget *widget)
{
    QList<QWidget *> ancestors;
    for (QWidget *w = widget->parentWidget(); w; w = w->isWindow() ? nullptr : w->parentWidget())
        ancestors.prepend(w);
    if (ancestors.isEmpty())
        return QColor();
    QImage under(widget->size(), QImage::Format_ARGB32_Premultiplied);
    under.fill(Qt::transparent);
    for (QWidget *ancestor : qAsConst(ancestors)) {
        QWidget::RenderFlags flags;
        if (ancestor->isWindow() || ancestor->autoFillBackground())
            flags |= QWidget::DrawWindowBackground;
        const QRect area(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
        ancestor->render(&under, QPoint(), QRegion(area), flags);
    }
    const QRgb colour = under.pixel(0, 0);
    if (qAlpha(colour) != 255)
        return QColor();
    for (int y = 0; y < under.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(under.constScanLine(y));
        for (int x = 0; x < under.width(); ++x)
            if (line[x] != colour)
                return QColor();
    }
    return QColor::fromRgb(colour);
}

bool PlainBackground::install(QWidget *widget)
{
    if (widget->findChild<PlainBackground *>(QString(), Qt::FindDirectChildrenOnly) ||
        widget->testAttribute(Qt::WA_OpaquePaintEvent) || widget->autoFillBackground())
        return false;
    const QColor colour = colourUnder(widget);
    if (!colour.isValid())
        return false;
    new PlainBackground(widget, colour);
    return true;
}

PlainBackground::PlainBackground(QWidget *widget, const QColor &colour)
    : QObject(widget), m_widget(widget), m_colour(colour)
{
    widget->installEventFilter(this);
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlainBackground::remove()
{
    m_widget->setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_widget->removeEventFilter(this);
    m_widget->update();
    deleteLater();
}

bool PlainBackground::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_widget)
        return false;
    switch (event->type()) {
    case QEvent::Paint: {
        // The widget paints over this, as it painted over its ancestors.
        QPainter painter(m_widget);
        for (const QRect &rect : static_cast<QPaintEvent *>(event)->region())
            painter.fillRect(rect, m_colour);
        break;
    }
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::ParentChange:
    case QEvent::Move:
    case QEvent::Resize:
        // What shows through may have changed: back to the toolkit's way.
        remove();
        break;
    default:
        break;
    }
    return false;
}

} // namespace view
