// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/trafficdisplay.h"

#include "serial/displaylines.h"
#include "view/plainbackground.h"
#include "view/steadyscrollbar.h"
#include "view/unshapedtext.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QGuiApplication>
#include <QInputMethod>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace view {

namespace {
int &scrollback()
{
    static int lines = kDefaultScrollbackLines;
    return lines;
}
} // namespace

void setScrollbackLines(int lines)
{
    scrollback() = qMax(0, lines);
}

int scrollbackLines()
{
    return scrollback();
}

int TrafficDisplay::trimBatch(int scrollbackLines)
{
    return qMax(1, scrollbackLines / 100);
}

TrafficDisplay::TrafficDisplay(QPlainTextEdit *display, int scrollbackLines, QObject *parent)
    : QObject(parent), m_display(display), m_scrollback(scrollbackLines)
{
    // The undo history would keep a second copy of everything received.
    display->setUndoRedoEnabled(false);
    drawTextUnshaped(display);
    // Any change to the text but a chunk's own insertion: where the last chunk
    // left the cursor is no longer known.
    connect(display->document(), &QTextDocument::contentsChange, this, [this] { ++m_changes; });

    m_frame.setSingleShot(true);
    connect(&m_frame, &QTimer::timeout, this, [this] { release(); });

    // The scroll bar changes with every frame while the display fills. A
    // widget that paints only part of itself has everything under it painted
    // first (here the editor's frame and the group box); the style paints the
    // whole bar, so a background of the window's colour, which it covers,
    // spares those paints without changing a pixel. An overlay scroll bar
    // paints only its handle and must stay as it is.
    SteadyScrollBar::install(display);
    QScrollBar *bar = display->verticalScrollBar();
    if (!bar->style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, bar)) {
        bar->setBackgroundRole(QPalette::Window);
        bar->setAutoFillBackground(true);
    }
}

void TrafficDisplay::showChunk(const QByteArray &chunk, bool hex)
{
    m_pending = true;
    noticeScrolling();
    if (!chunk.isEmpty()) {
        QTextDocument *document = m_display->document();
        const QTextCursor cursor = m_display->textCursor();
        // In a long display the cursor's line and column are lookups through
        // the whole document; where the last chunk left the cursor they are
        // known.
        const bool known = atKnownEnd(cursor);
        const bool atEnd = known || (!cursor.hasSelection() && cursor.atEnd());
        const int line = known ? document->blockCount() - 1 : cursor.blockNumber();
        int column = known ? m_endColumn : cursor.positionInBlock();
        m_changedFrom = m_changedFrom < 0 ? line : qMin(m_changedFrom, line);
        // Quietly: the layout would have the editor measure its last lines for
        // the scroll bars and repaint after every insertion; release() does
        // both once a frame.
        const QSignalBlocker quiet(document->documentLayout());
        // Text added at the end changes nothing the editor keeps about its
        // cursor (it moves along, no selection, the same format), yet each
        // notice of the document has it look again and tell the input method;
        // follow() tells that once a frame, and the editor's own signals are
        // emitted below. Assistive technology hears of every insertion.
        QSignalBlocker quietDocument(document);
        if (!atEnd || QAccessible::isActive())
            quietDocument.unblock();
        const int blocks = document->blockCount();
        // A CR LF that the line split between two chunks ends one line.
        bool afterCr = known && m_endAfterCr;
        insert(serial::displayLines(chunk, hex, &column, &afterCr), known, atEnd);
        m_endAfterCr = afterCr;
        // Inserted at the end, the cursor stays there, on a line `column`
        // long; anything that changes the text or moves the cursor from now
        // on makes this unknown again.
        m_endKnown = atEnd;
        m_endChanges = m_changes;
        m_endPosition = m_end.position();
        m_endColumn = column;
        if (document->signalsBlocked()) {
            quietDocument.unblock();
            emit m_display->textChanged();
            emit m_display->cursorPositionChanged();
            if (document->blockCount() != blocks)
                emit m_display->blockCountChanged(document->blockCount());
        }
        trimScrollback();
    }
    // After an insertion at the end the cursor already stands there. Moving it
    // through the editor anyway would scroll the view with every chunk, so
    // only a cursor the operator has put elsewhere is moved.
    const QTextCursor cursor = m_display->textCursor();
    if (!atKnownEnd(cursor) && (cursor.hasSelection() || !cursor.atEnd()))
        cursorToEnd();
}

void TrafficDisplay::insert(const QString &text, bool known, bool atEnd)
{
    QTextDocument *document = m_display->document();
    // Inside an edit block the cursor does not lay its line out to learn its
    // x position, which nothing here needs.
    if (known && document->signalsBlocked()) {
        // Where and in which format the editor would insert is known too:
        // inserted there, the text moves the editor's cursor along as its own
        // insertion would, without the lookups of the format.
        m_end.beginEditBlock();
        m_end.insertText(text, m_endFormat);
        m_end.endEditBlock();
        return;
    }
    QTextCursor edit(document);
    edit.beginEditBlock();
    m_display->insertPlainText(text);
    edit.endEditBlock();
    // A cursor of the display's own at the end moves along with insertions
    // there; a new one is placed when the end was not known.
    if (atEnd && !known) {
        m_end = QTextCursor(document);
        m_end.setPosition(m_display->textCursor().position());
        m_endFormat = m_display->textCursor().charFormat();
        m_endFormat.clearProperty(QTextFormat::ObjectType);
    }
}

bool TrafficDisplay::atKnownEnd(const QTextCursor &cursor) const
{
    return m_endKnown && m_endChanges == m_changes && cursor.position() == m_endPosition &&
           !cursor.hasSelection();
}

void TrafficDisplay::cursorToEnd()
{
    QScrollBar *vertical = m_display->verticalScrollBar();
    QScrollBar *horizontal = m_display->horizontalScrollBar();
    const int top = vertical->value();
    const int left = horizontal->value();
    m_display->moveCursor(QTextCursor::End);
    if (!m_following) {
        vertical->setValue(top);
        horizontal->setValue(left);
    }
    m_restedAt = vertical->value();
}

void TrafficDisplay::noticeScrolling()
{
    // The editor scrolls to its cursor without telling the scroll bar's
    // listeners (Ctrl+Home, Ctrl+End), so a view moved since the display last
    // placed it is found here: the operator moved it.
    QScrollBar *bar = m_display->verticalScrollBar();
    if (bar->value() == m_restedAt)
        return;
    m_restedAt = bar->value();
    m_following = m_restedAt >= bar->maximum() - m_endSlack;
}

void TrafficDisplay::trimScrollback()
{
    QTextDocument *document = m_display->document();
    const int excess = document->blockCount() - m_scrollback;
    if (m_scrollback <= 0 || excess < trimBatch(m_scrollback))
        return;
    // Every line moves up: the view cannot be scrolled by what it shows now,
    // so this frame repaints the whole of it.
    hold(m_display->viewport());
    if (!m_following) {
        QTextBlock block = document->begin();
        for (int n = 0; n < excess && block.isValid(); ++n, block = block.next())
            m_trimmedLines += block.lineCount();
    }
    // The editor's own block limit moves a cursor over the oldest lines,
    // laying them out first (lines no one will see); selecting by position
    // inside an edit block lays nothing out.
    QTextCursor oldest(document);
    oldest.beginEditBlock();
    oldest.setPosition(document->findBlockByNumber(excess).position(), QTextCursor::KeepAnchor);
    oldest.removeSelectedText();
    oldest.endEditBlock();
    m_changedFrom = qMax(0, m_changedFrom - excess);
    m_glyphsFrom = qMax(0, m_glyphsFrom - excess);
}

void TrafficDisplay::keepGlyphsOfLastLines(int rows)
{
    // A line's layout normally drops its glyphs once it is laid out, so each
    // frame shapes every line it paints twice: to lay it out, and again to
    // draw it. The last lines, the ones a frame paints, keep them; a line
    // that scrolls away gives them back.
    QTextDocument *document = m_display->document();
    const int first = qMax(0, document->blockCount() - rows);
    if (m_glyphsFrom >= 0 && m_glyphsFrom < first) {
        QTextBlock block = document->findBlockByNumber(m_glyphsFrom);
        for (int n = m_glyphsFrom; n < first && block.isValid(); ++n, block = block.next()) {
            QTextLayout *layout = block.layout();
            if (!layout->cacheEnabled())
                continue;
            layout->setCacheEnabled(false);
            // An empty layout frees the glyphs; the line is laid out again
            // should it ever be painted again.
            layout->beginLayout();
            layout->endLayout();
        }
    }
    for (QTextBlock block = document->findBlockByNumber(first); block.isValid();
         block = block.next()) {
        QTextLayout *layout = block.layout();
        if (layout->cacheEnabled())
            continue;
        layout->setCacheEnabled(true);
        // Laid out without its glyphs: lay it out again, keeping them.
        if (layout->lineCount() > 0)
            block.clearLayout();
    }
    m_glyphsFrom = first;
}

void TrafficDisplay::hold(QWidget *widget)
{
    m_pending = true;
    for (const QPointer<QWidget> &held : qAsConst(m_held))
        if (held == widget)
            return;
    if (!m_plainBackgrounds && widget->isVisible())
        m_plainBackgrounds = PlainBackground::install(widget) || true;
    widget->setUpdatesEnabled(false);
    m_held.append(widget);
}

void TrafficDisplay::present()
{
    if (!m_pending || m_frame.isActive())
        return;
    // A view that turned over entirely in the last frame (a sensor at line
    // rate) keeps no line long enough to be read at any frame rate; half as
    // many frames of it cost half as much.
    const int interval = m_turnedOver ? kTurnoverFrames * m_intervalMs : m_intervalMs;
    const qint64 since = m_sinceFrame.isValid() ? m_sinceFrame.elapsed() : interval;
    if (since >= interval)
        release();
    else
        m_frame.start(int(interval - since));
}

void TrafficDisplay::follow()
{
    // What the quiet insertions left out: the scroll bars' range, then the
    // view scrolled to the cursor at the end, if it follows the end.
    QTextDocument *document = m_display->document();
    QWidget *viewport = m_display->viewport();
    QScrollBar *bar = m_display->verticalScrollBar();
    const int rows = visibleRows();
    noticeScrolling();
    // More new lines than the view shows (a fast sensor): none of what is on
    // screen stays, so the view jumps to the end and is painted anew. Placing
    // it by line numbers spares laying out the lines it jumps over, which
    // scrolling to the cursor would measure one by one.
    const bool jump = isHeld(viewport) || (m_following && m_changedFrom >= 0 &&
                                           document->blockCount() - m_changedFrom > rows);
    if (jump)
        hold(viewport);
    m_turnedOver = jump;
    keepGlyphsOfLastLines(rows);
    // The cursor moved with the quiet insertions; an input method composing
    // in the display learns where it is now.
    if (m_display->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    emit layout->documentSizeChanged(layout->documentSize());
    if (m_following) {
        if (jump) {
            // Just above the end, so that scrolling to the cursor below comes
            // to rest where it always does, as for a slow sensor, having
            // measured only a line or two.
            bar->setValue(qMax(0, bar->maximum() - 2));
        }
        m_display->ensureCursorVisible();
        // The editor's range may reach a little past the line the cursor is
        // on; where the view rests now counts as the end.
        m_endSlack = qMax(0, bar->maximum() - bar->value());
    } else if (m_trimmedLines > 0) {
        bar->setValue(qMax(0, bar->value() - m_trimmedLines));
    }
    m_restedAt = bar->value();
    m_trimmedLines = 0;
    // Otherwise scrolling moved what was already painted, and only the lines
    // that changed since the last frame are painted again (none, when they
    // lie below a view that stays).
    if (!jump && m_changedFrom >= 0) {
        const QTextBlock changed = document->findBlockByNumber(m_changedFrom);
        if (changed.isValid()) {
            const int top = m_display->cursorRect(QTextCursor(changed)).top();
            if (top < viewport->height())
                viewport->update(0, qMax(0, top), viewport->width(), viewport->height());
        } else {
            viewport->update();
        }
    }
    m_changedFrom = -1;
}

int TrafficDisplay::visibleRows() const
{
    return m_display->viewport()->height() / qMax(1, m_display->fontMetrics().lineSpacing()) + 1;
}

bool TrafficDisplay::isHeld(QWidget *widget) const
{
    for (const QPointer<QWidget> &held : m_held)
        if (held == widget)
            return true;
    return false;
}

void TrafficDisplay::release()
{
    m_frame.stop();
    m_sinceFrame.start();
    ++m_frames;
    if (m_display)
        follow();
    // After follow(), whose holds belong to this frame.
    m_pending = false;

    QWidget *shown = nullptr;
    for (const QPointer<QWidget> &widget : qAsConst(m_held)) {
        if (!widget)
            continue;
        widget->setUpdatesEnabled(true);
        if (!shown && widget->isVisible())
            shown = widget;
    }
    m_held.clear();
    // Paint now rather than when the request posted above comes round: by
    // then the next chunk may have held the widgets again, and the paint
    // would pass them over.
    if (shown)
        shown->repaint();
}

} // namespace view
