// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/steadyscrollbar.h"

#include <QMetaObject>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionSlider>

namespace view {

namespace {
// The editor's own reaction to a page step on its scroll bar (it lines the
// page up with whole lines). It is connected to the stock bar only.
constexpr char kPageStepSlot[] = "_q_verticalScrollbarActionTriggered(int)";
} // namespace

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
}

bool SteadyScrollBar::install(QPlainTextEdit *display)
{
    if (display->metaObject()->indexOfSlot(kPageStepSlot) < 0)
        return false;
    auto *bar = new SteadyScrollBar(Qt::Vertical);
    display->setVerticalScrollBar(bar);
    connect(bar, &QAbstractSlider::actionTriggered, display, [display](int action) {
        QMetaObject::invokeMethod(display, "_q_verticalScrollbarActionTriggered",
                                  Q_ARG(int, action));
    });
    return true;
}

SteadyScrollBar::Look SteadyScrollBar::look() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    Look now;
    now.handle =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    now.atMinimum = value() == minimum();
    now.atMaximum = value() == maximum();
    return now;
}

void SteadyScrollBar::sliderChange(SliderChange change)
{
    if (change == SliderOrientationChange || !m_everPainted) {
        QScrollBar::sliderChange(change);
        return;
    }
    // Decided once the changes of this turn are all made: the editor sets the
    // range (the handle leaves the end) and then the value (it is back), and
    // only the outcome matters.
    if (m_lookPending)
        return;
    m_lookPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_lookPending = false;
            if (!(look() == m_painted))
                update();
        },
        Qt::QueuedConnection);
}

void SteadyScrollBar::paintEvent(QPaintEvent *event)
{
    m_painted = look();
    m_everPainted = true;
    QScrollBar::paintEvent(event);
}

} // namespace view
