// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A widget that leaves some of its pixels unpainted (a line edit's rounded
// corners) has everything under it painted again whenever it changes: its
// group box, the page, the scroll area. For a widget that changes with every
// chunk that costs more than the widget itself. Where what shows through is
// one plain colour, painting that colour first, and telling the toolkit the
// widget paints all of itself, changes no pixel and spares those paints.

#include <QColor>
#include <QObject>

class QWidget;

namespace view {

class PlainBackground : public QObject
{
    Q_OBJECT

public:
    // Installs the background on a shown widget when what shows through it is
    // one plain colour (false otherwise, and nothing is changed). Installing
    // twice does nothing more.
    static bool install(QWidget *widget);

    // The colour that shows through `widget` where it leaves pixels unpainted:
    // its ancestors' own painting, composed as the screen composes it.
    // Invalid where that is not one plain, opaque colour.
    static QColor colourUnder(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PlainBackground(QWidget *widget, const QColor &colour);
    void remove();

    QWidget *m_widget;
    QColor m_colour;
};

} // namespace view
