// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/widgetreport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

namespace {

// The caption a widget shows and the width it has for it; false for widgets
// without a caption.
bool caption(const QWidget *w, QString *text, int *room)
{
    if (auto *label = qobject_cast<const QLabel *>(w)) {
        *text = label->text();
        *room = label->contentsRect().width();
    } else if (auto *button = qobject_cast<const QPushButton *>(w)) {
        *text = button->text();
        *room = button->width();
    } else if (auto *box = qobject_cast<const QGroupBox *>(w)) {
        *text = box->title();
        *room = box->width();
    } else if (auto *check = qobject_cast<const QCheckBox *>(w)) {
        QStyleOptionButton option;
        option.initFrom(check);
        *text = check->text();
        *room = check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check).width();
    } else {
        return false;
    }
    return true;
}

int needed(const QWidget *w, const QString &text)
{
    return w->fontMetrics().horizontalAdvance(text);
}

// The widgets a check can see: shown, named, on the window's shown page.
QList<const QWidget *> shownWidgets(const QWidget *window)
{
    QList<const QWidget *> shown;
    for (const QWidget *w : window->findChildren<QWidget *>())
        if (w->isVisible() && !w->objectName().isEmpty() && !w->isWindow())
            shown << w;
    return shown;
}

// Its rectangle in the window, and what of it its ancestors leave visible.
QRect inWindow(const QWidget *w, QRect *visible)
{
    const QRect whole(w->mapTo(w->window(), QPoint(0, 0)), w->size());
    *visible = whole;
    for (const QWidget *up = w->parentWidget(); up && !up->isWindow(); up = up->parentWidget())
        *visible &= QRect(up->mapTo(w->window(), QPoint(0, 0)), up->size());
    *visible &= w->window()->rect();
    return whole;
}

} // namespace

QStringList WidgetReport::cutCaptions(const QWidget *window)
{
    QStringList cut;
    for (const QWidget *w : shownWidgets(window)) {
        QString text;
        int room = 0;
        if (caption(w, &text, &room) && needed(w, text) > room)
            cut << QString("%1: \"%2\" needs %3 px, has %4")
                       .arg(w->objectName(), text)
                       .arg(needed(w, text))
                       .arg(room);
    }
    return cut;
}

QString WidgetReport::describe(const QWidget *window)
{
    const qreal scale = window->devicePixelRatioF();
    auto device = [scale](int logical) { return QString::number(qRound(logical * scale)); };
    QStringList lines;
    lines << QStringList{"window", device(window->width()), device(window->height()),
                         QString::number(scale)}
                 .join('\t');
    for (const QWidget *w : shownWidgets(window)) {
        QRect visible;
        const QRect whole = inWindow(w, &visible);
        QString text;
        int room = 0;
        const bool fits = !caption(w, &text, &room) || needed(w, text) <= room;
        if (auto *combo = qobject_cast<const QComboBox *>(w))
            text = combo->currentText();
        else if (auto *edit = qobject_cast<const QLineEdit *>(w))
            text = edit->text();
        text.replace('\t', ' ').replace('\n', ' ');
        lines << QStringList{w->objectName(), w->metaObject()->className(), device(whole.x()),
                             device(whole.y()), device(whole.width()), device(whole.height()),
                             visible == whole ? "whole" : "clipped", fits ? "fits" : "cut", text}
                     .join('\t');
    }
    return lines.join('\n') + '\n';
}

WidgetReport::WidgetReport(const QWidget *window, const QString &path) : window(window), path(path)
{
    // Often enough for a check that polls it; cheap for a window this size.
    timer.setInterval(200);
    QObject::connect(&timer, &QTimer::timeout, [this] { write(); });
    timer.start();
}

void WidgetReport::write()
{
    if (!window->isVisible())
        return;
    const QString now = describe(window);
    if (now == written)
        return;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(now.toUtf8()) == now.toUtf8().size() &&
        file.commit())
        written = now;
}
