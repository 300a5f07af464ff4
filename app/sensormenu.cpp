// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sensormenu.h"

#include "app/querypage.h"
#include "profile/comparison.h"
#include "profile/profilefile.h"
#include "ui_Searial.h"
#include "ui_profileresult.h"

#include <QDateTime>
#include <QDialog>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>

using profile::Comparison;
using profile::Profile;
using profile::ProfileFile;
using profile::Runner;

namespace {

const QString kFilter = QStringLiteral("Profiles (*.json)");

} // namespace

SensorMenu::SensorMenu(QMainWindow *window, Ui_Searial *ui, Hooks hooks)
    : m_window(window), m_ui(ui), m_hooks(std::move(hooks)), m_runner(m_engine)
{
    m_engine.write = [this](const QByteArray &bytes) { m_hooks.write(bytes); };
    m_runner.progress = [this](const QString &what, int step, int steps) {
        note(QString("Profile: %1 (%2 of %3)").arg(what).arg(step).arg(steps));
        if (m_progress) {
            m_progress->setMaximum(steps);
            m_progress->setValue(step - 1);
            m_progress->setLabelText(what);
        }
    };
    m_runner.presetChanged = [this](int preset) { m_hooks.followPreset(preset); };
    m_runner.finished = [this](const Runner::Result &result) { ended(result); };
    QObject::connect(ui->action_profile_save, &QAction::triggered, window, [this] { save(); });
    QObject::connect(ui->action_profile_apply, &QAction::triggered, window, [this] { apply(); });
    QObject::connect(ui->action_profile_compare, &QAction::triggered, window,
                     [this] { compare(); });
}

SensorMenu::~SensorMenu()
{
    m_runner.finished = nullptr;
    m_runner.cancel();
}

void SensorMenu::take(const QByteArray &chunk)
{
    m_engine.take(chunk);
}

void SensorMenu::portClosed()
{
    m_runner.cancel();
}

void SensorMenu::note(const QString &text)
{
    m_ui->statusBar->showMessage(text);
}

bool SensorMenu::claim(Task task)
{
    if (m_claimed) {
        // Named by its menu entry.
        const QAction *running = m_task == Task::Save      ? m_ui->action_profile_save
                                 : m_task == Task::Compare ? m_ui->action_profile_compare
                                                           : m_ui->action_profile_apply;
        note(QString("Not started: %1 has not ended; finish it, or press Cancel in its "
                     "progress dialog")
                 .arg(running->text()));
        return false;
    }
    if (!lineFree())
        return false;
    m_claimed = true;
    m_task = task;
    return true;
}

bool SensorMenu::lineFree()
{
    if (!m_hooks.portOpen()) {
        note("No port open: press Open, then try the Sensor menu again");
        return false;
    }
    const QString busy = m_hooks.busy();
    if (!busy.isEmpty())
        note(busy);
    return busy.isEmpty();
}

bool SensorMenu::start(Task task, const QString &title)
{
    // Again: the port may have gone while a dialog was open.
    if (!lineFree())
        return false;
    m_task = task;
    // Not modal: the window's own buttons stay pressable, and say why they
    // are refused while this runs.
    m_progress = new QProgressDialog(title, QObject::tr("Cancel"), 0, 1, m_window);
    m_progress->setObjectName("profileProgress");
    m_progress->setWindowTitle(title);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    QObject::connect(m_progress, &QProgressDialog::canceled, m_window,
                     [this] { m_runner.cancel(); });
    m_progress->show();
    return true;
}

bool SensorMenu::load(const QString &path, Task task)
{
    QString problem;
    if (!ProfileFile::read(path, &m_file, &problem)) {
        note("Profile not read: " + problem);
        return false;
    }
    if (m_file.switching && !m_file.switchingMode && task == Task::Apply) {
        note("Profile not applied: " + path +
             " has switching outputs without written_not_read_back.switching_mode (1 or 2)");
        return false;
    }
    m_path = path;
    return true;
}

QString SensorMenu::askSavePath()
{
    // On the heap and watched: the window may go while the dialog is open.
    QPointer<QFileDialog> dialog =
        new QFileDialog(m_window, QObject::tr("Save profile"), QString(), kFilter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // Added before the dialog asks whether to replace a file of that name.
    dialog->setDefaultSuffix(QStringLiteral("json"));
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog)
        return QString();
    const QStringList chosen = dialog->selectedFiles();
    delete dialog;
    return accepted ? chosen.value(0) : QString();
}

int SensorMenu::askSwitchingMode()
{
    const int offered = m_ui->cmb_set_DA_mode->currentIndex();
    QMessageBox box(QMessageBox::Question, QObject::tr("Save profile"),
                    QObject::tr("The sensor does not report the mode of its switching outputs. "
                                "Which mode does it use? The profile records it, so that "
                                "applying it sets the outputs as they are now."),
                    QMessageBox::NoButton, m_window);
    QList<QAbstractButton *> modes;
    for (int i = 0; i < m_ui->cmb_set_DA_mode->count(); ++i)
        modes << box.addButton(m_ui->cmb_set_DA_mode->itemText(i), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(qobject_cast<QPushButton *>(modes.value(qMax(0, offered))));
    box.exec();
    return int(modes.indexOf(box.clickedButton())) + 1;
}

void SensorMenu::save()
{
    if (!claim(Task::Save))
        return;
    const QString path = askSavePath();
    m_saveMode = path.isEmpty() ? 0 : askSwitchingMode();
    if (m_saveMode == 0 || !start(Task::Save, QObject::tr("Save profile")))
        return release();
    m_path = path;
    m_runner.read(true);
}

void SensorMenu::apply()
{
    if (!claim(Task::Apply))
        return;
    const QString path =
        QFileDialog::getOpenFileName(m_window, QObject::tr("Apply profile"), QString(), kFilter);
    if (path.isEmpty() || !load(path, Task::Apply))
        return release();
    if (profile::plan(m_file).isEmpty()) {
        note("Profile not applied: " + path + " holds no setting");
        return release();
    }
    // First what the sensor holds now, to show what will change.
    if (!start(Task::Preview, QObject::tr("Apply profile")))
        return release();
    m_runner.read(false);
}

void SensorMenu::compare()
{
    if (!claim(Task::Compare))
        return;
    const QString path = QFileDialog::getOpenFileName(
        m_window, QObject::tr("Compare with profile"), QString(), kFilter);
    if (path.isEmpty() || !load(path, Task::Compare) ||
        !start(Task::Compare, QObject::tr("Compare with profile")))
        return release();
    m_runner.read(false);
}

void SensorMenu::ended(const Runner::Result &result)
{
    closeProgress();
    const bool failed = !result.failure.isEmpty();
    // A preview goes on to its question; every other end ends the task.
    if (m_task != Task::Preview || result.cancelled || failed)
        release();
    if (result.cancelled)
        return stopped(result);
    switch (m_task) {
    case Task::Save:
        return saved(result);
    case Task::Preview:
        if (failed)
            return note("Profile not applied: " + result.failure);
        return previewed(result);
    case Task::Apply:
        return applied(result);
    case Task::Compare:
        return compared(result);
    }
}

void SensorMenu::closeProgress()
{
    if (!m_progress)
        return;
    // Closing the dialog would report a cancel.
    QObject::disconnect(m_progress, &QProgressDialog::canceled, nullptr, nullptr);
    m_progress->deleteLater();
}

void SensorMenu::stopped(const Runner::Result &result)
{
    QStringList written;
    for (const auto &entry : result.written)
        written << entry.first + " " + entry.second;
    note("Profile stopped" + (written.isEmpty() ? QString() : ": " + written.join(", ")));
}

void SensorMenu::saved(const Runner::Result &result)
{
    if (!result.failure.isEmpty())
        return note("Profile not saved: " + result.failure);
    Profile p = result.sensor;
    if (p.switching)
        p.switchingMode = m_saveMode;
    p.savedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    QString problem;
    if (!ProfileFile::write(m_path, p, &problem))
        return note("Profile not saved: " + problem);
    note("Profile saved to " + m_path + " (serial number " + p.serialNumber + ")");
}

void SensorMenu::applied(const Runner::Result &result)
{
    // The read back, as the query buttons would show it.
    for (const auto &query : result.read)
        showQueryValues(m_ui, query.first, query.second);
    const bool failed = !result.failure.isEmpty();
    QStringList written;
    bool allWritten = true;
    for (const auto &entry : result.written) {
        written << entry.first + ": " + entry.second;
        allWritten = allWritten && entry.second == "written";
    }
    QString summary = "Applied " + m_path + ". " + written.join("; ") + ".";
    if (failed)
        summary += " Not read back: " + result.failure + ".";
    const Comparison c(result.sensor, m_file, Comparison::Scope::ReadBack);
    note(c.equal() && !failed && allWritten
             ? "Profile applied: the sensor holds what " + m_path + " says"
             : "Profile applied with differences: see the table");
    showTable(summary, c);
}

void SensorMenu::compared(const Runner::Result &result)
{
    if (!result.failure.isEmpty())
        return note("Profile not compared: " + result.failure);
    const Comparison c(result.sensor, m_file, Comparison::Scope::ReadBack);
    note(c.equal() ? "The sensor holds what " + m_path + " says"
                   : QString("The sensor differs from %1 in %2 values")
                         .arg(m_path)
                         .arg(c.differences().size()));
    showTable("Compared with " + m_path + ".", c);
}

void SensorMenu::previewed(const Runner::Result &result)
{
    QStringList changes;
    for (const Comparison::Row &row :
         Comparison(result.sensor, m_file, Comparison::Scope::ReadBack).differences())
        changes << QString("%1: %2 → %3").arg(row.setting, row.left, row.right);
    // What the sensor does not report goes out whatever it holds.
    if (m_file.switchingMode && m_file.switching)
        changes << QString("switching mode %1 (not read back)").arg(*m_file.switchingMode);
    if (m_file.autoMeasure)
        changes << QString("automatic measurement %1 (not read back)")
                       .arg(*m_file.autoMeasure ? "on" : "off");
    if (m_file.linePreset)
        changes << QString("line preset %1, written last; the port follows it (not read back)")
                       .arg(*m_file.linePreset);
    QMessageBox box(QMessageBox::Question, QObject::tr("Apply profile"),
                    "Apply " + m_path + " to the sensor?\n\n" +
                        (changes.isEmpty() ? QString("Nothing read back differs.")
                                           : changes.join("\n")),
                    QMessageBox::NoButton, m_window);
    QAbstractButton *go = box.addButton(QObject::tr("Apply"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() != go) {
        release();
        return note("Profile not applied: cancelled");
    }
    if (!start(Task::Apply, QObject::tr("Apply profile")))
        return release();
    m_runner.apply(m_file);
}

void SensorMenu::showTable(const QString &summary, const Comparison &comparison)
{
    auto *dialog = new QDialog(m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    Ui_ProfileResult form;
    form.setupUi(dialog);
    form.label_summary->setText(summary);
    const QList<Comparison::Row> &rows = comparison.rows();
    form.table_settings->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const Comparison::Row &row = rows.at(i);
        const QStringList cells{row.setting, row.left, row.right,
                                row.match ? QObject::tr("yes") : QObject::tr("no")};
        for (int column = 0; column < cells.size(); ++column)
            form.table_settings->setItem(i, column, new QTableWidgetItem(cells.at(column)));
    }
    form.table_settings->resizeColumnsToContents();
    dialog->show();
}
