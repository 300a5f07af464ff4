// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statuselider.h"

#include <QEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QStatusBar>
#include <QStyleOption>

namespace {

// Where QStatusBar draws its message: 6 px in, to 12 px before the end or to
// its size grip.
QRect messageRect(const QStatusBar *bar)
{
    int right = bar->width() - 12;
    if (const auto *grip = bar->findChild<QSizeGrip *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (grip->isVisible())
            right = grip->x();
    }
    return QRect(6, 0, right - 6, bar->height());
}

// Widgets added to the bar would change where the message goes: then the
// bar draws it as it always does.
bool onlyMessage(const QStatusBar *bar)
{
    for (const QWidget *w : bar->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->isVisible() && !qobject_cast<const QSizeGrip *>(w))
            return false;
    }
    return true;
}

} // namespace

StatusElider::StatusElider(QStatusBar *bar) : QObject(bar), m_bar(bar)
{
    bar->installEventFilter(this);
    connect(bar, &QStatusBar::messageChanged, this, [this] { messageChanged(); });
}

QString StatusElider::shown(const QStatusBar *bar)
{
    if (!onlyMessage(bar))
        return bar->currentMessage();
    return bar->fontMetrics().elidedText(bar->currentMessage(), Qt::ElideRight,
                                         messageRect(bar).width());
}

void StatusElider::messageChanged()
{
    const QString message = m_bar->currentMessage();
    m_bar->setToolTip(shown(m_bar) == message ? QString() : message);
}

bool StatusElider::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_bar)
        return false;
    if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)
        messageChanged();
    if (event->type() != QEvent::Paint)
        return false;
    const QString text = shown(m_bar);
    if (text == m_bar->currentMessage())
        return false;
    // As QStatusBar paints a message, with the elided text.
    QPainter painter(m_bar);
    QStyleOption option;
    option.initFrom(m_bar);
    m_bar->style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, m_bar);
    painter.setPen(m_bar->palette().windowText().color());
    painter.drawText(messageRect(m_bar), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                     text);
    return true;
}
