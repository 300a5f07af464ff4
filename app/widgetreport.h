// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>

class QWidget;

// What a window shows, in words a check outside the process can read: every
// visible named widget with its place in the window in device pixels, whether
// its ancestors show it whole, and whether its caption fits. The Windows
// checks read it from a file (a build with tests only: ORV_WIDGET_REPORT
// names the file), instead of guessing where controls are from pixels.
class WidgetReport
{
public:
    // The captions on what `window` shows now that their widgets cut off,
    // "<name>: "<text>" needs N px, has M"; empty when every text is whole.
    static QStringList cutCaptions(const QWidget *window);
    // First line "window <width> <height> <scale>", then one line per visible
    // named widget: "<name> <class> <x> <y> <width> <height> whole|clipped
    // fits|cut <text>", sizes in device pixels, fields separated by tabs; the
    // text is the caption, or a combo box's or line edit's current text.
    static QString describe(const QWidget *window);

    // Keeps `path` holding describe(window), rewritten whenever it changes.
    WidgetReport(const QWidget *window, const QString &path);

private:
    void write();

    const QWidget *window;
    QString path;
    QString written;
    QTimer timer;
};
