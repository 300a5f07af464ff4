// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shortcuts.h"

#include "app/state.h"
#include "protocol/codes.h"
#include "ui_Searial.h"

#include <QShortcut>

#include <functional>

namespace {

struct Key
{
    QPushButton *button;
    QList<QKeySequence> keys; // the first is the one the tool tip names
    const char *what;
    std::function<bool()> applies;
};

} // namespace

void installShortcuts(QWidget *window, Ui_Searial *ui)
{
    // Esc is every dialog's way out; here it only stops what is running.
    const auto measuring = [] { return protocol::showsDistance(protocol::Command(activeCommand), distanceDisplay); };
    const Key keys[] = {
        {ui->btn_display, {QKeySequence(Qt::CTRL | Qt::Key_1)}, "Main", nullptr},
        {ui->btn_setting, {QKeySequence(Qt::CTRL | Qt::Key_2)}, "Setting", nullptr},
        {ui->btn_query, {QKeySequence(Qt::CTRL | Qt::Key_3)}, "Search", nullptr},
        {ui->btn_open, {QKeySequence(Qt::CTRL | Qt::Key_O)}, "Open / Close", nullptr},
        {ui->btn_usart_number, {QKeySequence(Qt::Key_F5)}, "Scan", nullptr},
        {ui->btn_c, {QKeySequence(Qt::Key_Escape)}, "Stop", measuring},
        // Enter on the keypad, Return on the main block.
        {ui->btn_send,
         {QKeySequence(Qt::CTRL | Qt::Key_Enter), QKeySequence(Qt::CTRL | Qt::Key_Return)},
         "Send",
         nullptr},
    };
    for (const Key &key : keys) {
        // Tool tips are set at run time, like the other run-time texts: plain
        // strings, outside the form's translation pass.
        key.button->setToolTip(QString("%1 (%2)").arg(
            QLatin1String(key.what), key.keys.first().toString(QKeySequence::NativeText)));
        for (const QKeySequence &sequence : key.keys) {
            auto *shortcut = new QShortcut(sequence, window);
            QPushButton *button = key.button;
            const std::function<bool()> applies = key.applies;
            QObject::connect(shortcut, &QShortcut::activated, button, [button, applies] {
                if (button->isEnabled() && (!applies || applies()))
                    button->click();
            });
        }
    }
}
