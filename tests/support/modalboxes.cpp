// SPDX-License-Identifier: GPL-3.0-or-later
#include "modalboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

ModalBoxes::ModalBoxes(int pollMs)
{
    m_timer.setInterval(pollMs);
    connect(&m_timer, &QTimer::timeout, this, &ModalBoxes::poll);
    m_timer.start();
}

void ModalBoxes::record(QMessageBox *box)
{
    SeenBox seenBox;
    seenBox.title = box->windowTitle();
    seenBox.text = box->text();
    seenBox.icon = box->icon();
    for (QAbstractButton *button : box->buttons())
        seenBox.buttons << button->text();
    if (box->defaultButton())
        seenBox.defaultButton = box->defaultButton()->text();
    seenBox.hasParent = box->parentWidget() != nullptr;
    seen.append(seenBox);
    if (onBox)
        onBox();
}

void ModalBoxes::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        // The file dialog's own question whether to replace an existing file:
        // the test chose the path on purpose.
        if (qobject_cast<QFileDialog *>(box->parentWidget()) && box->button(QMessageBox::Yes)) {
            box->button(QMessageBox::Yes)->click();
            return;
        }
        record(box);
        QAbstractButton *answer = box->buttons().first();
        if (!m_answers.isEmpty()) {
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == m_answers.first())
                    answer = button;
            }
            m_answers.removeFirst();
        }
        answer->click();
        return;
    }
    if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
        if (dialog == m_accepting)
            return;
        ++fileDialogs;
        const QString path = m_filePath;
        m_filePath.clear();
        if (path.isEmpty()) {
            dialog->reject();
        } else {
            // Typed into the name field as an operator would; an absolute path
            // there wins over whatever folder the dialog shows.
            if (auto *name = dialog->findChild<QLineEdit *>("fileNameEdit"))
                name->setText(path);
            else
                dialog->selectFile(path);
            // From the event loop: accepting may ask whether to replace the
            // file, in a box this timer has to answer.
            m_accepting = dialog;
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        }
    }
}

QStringList ModalBoxes::summary() const
{
    QStringList lines;
    for (const SeenBox &box : seen)
        lines << box.title + "|" + box.text;
    return lines;
}
