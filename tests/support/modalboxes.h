// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Answers the modal dialogs a test provokes. It polls for the active modal
// widget from a timer (a modal box blocks the test in a nested event loop, so
// nothing else could answer it), records what each message box said and closes
// it; file dialogs get the path queued with answerFileDialog(), or are cancelled.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

class QFileDialog;
class QMessageBox;

struct SeenBox
{
    QString title;
    QString text;
    int icon = 0; // QMessageBox::Icon
    QStringList buttons;
    QString defaultButton;
    bool hasParent = false;
};

class ModalBoxes : public QObject
{
    Q_OBJECT

public:
    // Looks for a modal widget every `pollMs` milliseconds.
    explicit ModalBoxes(int pollMs = 10);

    QList<SeenBox> seen;
    int fileDialogs = 0;

    // The next file dialog picks this path; an empty path cancels it.
    void answerFileDialog(const QString &path) { m_filePath = path; }
    // The next message box is answered with the button of this text; boxes
    // not so answered get their first button.
    void answerBox(const QString &button) { m_answers << button; }

    // Runs while each message box is up, before it is answered: a slot's state
    // at that moment shows whether it changed state before or after its box.
    std::function<void()> onBox;

    // "title|text" of every box seen, for compact comparisons.
    QStringList summary() const;
    void clear()
    {
        seen.clear();
        fileDialogs = 0;
    }

private:
    void poll();
    void record(QMessageBox *box);

    QTimer m_timer;
    QString m_filePath;
    QStringList m_answers;
    QPointer<QFileDialog> m_accepting;
};
