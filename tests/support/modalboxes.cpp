#include "modalboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

ModalBoxes::ModalBoxes()
{
    m_timer.setInterval(10);
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
        record(box);
        box->buttons().first()->click();
        return;
    }
    if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
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
            QMetaObject::invokeMethod(dialog, "accept");
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
