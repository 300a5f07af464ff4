// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The traffic display as a stream left running for hours needs it. Each chunk
// is inserted at the display's cursor the moment it arrives, and the cursor
// moved to the end, so everything that reads the widgets sees it at once;
// what is paced is what reaches the screen. At full line rate a sensor sends
// nearly 900 frames a second, and painting each one (and scrolling to it)
// would cost far more than taking it in: the display is scrolled and
// repainted once per frame interval, and only where it changed, and so are
// other widgets that change with every chunk (the distance field).
//
// Lines are kept short (displaylines.h), the scroll-back is bounded and there
// is no undo history, so neither the time per chunk nor the memory grows with
// the length of the run.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTimer>

class QPlainTextEdit;
class QWidget;

namespace view {

// Lines the display keeps by default; the oldest go first. A serial
// terminal's usual scroll-back: nearly two minutes of frames at full line
// rate. The traffic log keeps everything.
constexpr int kDefaultScrollbackLines = 100000;

// Scroll-back for displays made from now on (0: no limit).
void setScrollbackLines(int lines);
int scrollbackLines();

class TrafficDisplay : public QObject
{
public:
    // 30 frames a second: smooth to the eye, and the cost of painting stays
    // well below the cost of taking the data in.
    static constexpr int kFrameIntervalMs = 33;
    // While every frame shows only lines that are new (more arrive in a frame
    // than the view holds), frames come this many intervals apart.
    static constexpr int kTurnoverFrames = 2;

    TrafficDisplay(QPlainTextEdit *display, int scrollbackLines, QObject *parent = nullptr);

    // Inserts a chunk at the display's cursor (its hex digits or its text,
    // lines broken as displaylines.h says) and leaves the cursor at the end.
    // The view follows with the next frame, if it was at the end: once the
    // operator has scrolled away it stays where they put it until they
    // scroll back to the bottom.
    void showChunk(const QByteArray &chunk, bool hex);

    // Call before changing a widget that changes with every chunk: its
    // repaint waits for the display's next frame.
    void hold(QWidget *widget);

    // The frame interval (kFrameIntervalMs unless changed: benchmarks slow
    // it down to count a frame's work alone).
    void setFrameInterval(int ms) { m_intervalMs = ms; }
    // Frames painted so far, and whether what was shown since the last one
    // still waits for the next.
    int frames() const { return m_frames; }
    bool framePending() const { return m_pending; }

    // Call once a chunk has been handled. A chunk that comes after a quiet
    // spell is painted at once (a slow sensor's frames appear without delay
    // and cost one wake-up each); chunks that follow within the frame
    // interval wait for the next frame.
    void present();

    // The lines above the scroll-back limit are removed in batches of this
    // many: 1 % of the limit, so the display holds at most 1 % more lines than
    // the limit, and a line received costs no removal of its own.
    static int trimBatch(int scrollbackLines);

private:
    void trimScrollback();
    int visibleRows() const;
    bool isHeld(QWidget *widget) const;
    void keepGlyphsOfLastLines(int rows);
    void follow();
    void release();
    // The operator's scrolling decides whether the view follows the end:
    // scrolled away, it stops; back at the bottom, it follows again.
    void noticeScrolling();
    // Moves the cursor to the end; a view that does not follow stays put.
    void cursorToEnd();
    // Whether `cursor` stands where the last chunk left it, at the end, with
    // nothing changed since.
    bool atKnownEnd(const QTextCursor &cursor) const;
    // Inserts a chunk's display text at the editor's cursor; `known`: at the
    // end where the last chunk left it, `atEnd`: at the end.
    void insert(const QString &text, bool known, bool atEnd);

    QPointer<QPlainTextEdit> m_display;
    int m_scrollback;
    QList<QPointer<QWidget>> m_held;
    QTimer m_frame;
    QElapsedTimer m_sinceFrame;
    int m_intervalMs = kFrameIntervalMs;
    int m_frames = 0;
    bool m_pending = false;
    // Whether the last frame showed only new lines.
    bool m_turnedOver = false;
    // First line changed since the last frame (-1: none).
    int m_changedFrom = -1;
    // First of the last lines, whose glyphs are kept between frames (-1: none).
    int m_glyphsFrom = -1;
    bool m_plainBackgrounds = false;
    bool m_following = true;
    // How far below the scroll bar's maximum following leaves the view.
    int m_endSlack = 0;
    // Where the display last left the view (the scroll bar's value).
    int m_restedAt = 0;
    // Lines removed from the top since the last frame, which a view that does
    // not follow is moved up by, so that it keeps showing the same lines.
    int m_trimmedLines = 0;
    // Changes to the text seen (contentsChange), and where the last chunk
    // left the cursor: at the end, at this position, on a line this long,
    // as of that many changes; a cursor of the display's own that stays
    // there, and the format the editor would insert in.
    int m_changes = 0;
    bool m_endKnown = false;
    int m_endChanges = -1;
    int m_endPosition = -1;
    int m_endColumn = 0;
    bool m_endAfterCr = false; // the last chunk's text ended in a CR
    QTextCursor m_end;
    QTextCharFormat m_endFormat;
};

} // namespace view
