// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The display's scroll bar. While a stream fills the display its range grows
// with every frame, and the stock scroll bar repaints itself at each change,
// although with thousands of lines its handle does not move by a pixel: most
// of those repaints draw what is already there, and a styled scroll bar is
// one of the dearest widgets to paint. This one repaints when it would look
// different: the handle moved or resized, or an end was reached or left.

#include <QRect>
#include <QScrollBar>

class QPlainTextEdit;

namespace view {

class SteadyScrollBar : public QScrollBar
{
public:
    explicit SteadyScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    // Puts one in place of the editor's vertical scroll bar, keeping what the
    // editor does on a page step. False (and the stock bar kept) where the
    // toolkit offers no way to keep that.
    static bool install(QPlainTextEdit *display);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Look
    {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look &other) const
        {
            return handle == other.handle && atMinimum == other.atMinimum &&
                   atMaximum == other.atMaximum;
        }
    };
    Look look() const;

    Look m_painted;
    bool m_everPainted = false;
    bool m_lookPending = false;
};

} // namespace view
