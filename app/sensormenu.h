// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's Sensor menu: Save profile…, Apply profile… and Compare with
// profile…, run by profile::Runner on the window's port while the window
// hands it every chunk it receives. Progress goes to the status bar and a
// progress dialog whose Cancel stops between exchanges; the result is a
// table (setting, sensor, file, match). Not a QObject: its connections are
// lambdas, so that Searial's slots stay as they are.

#include "engine/exchanger.h"
#include "profile/profile.h"
#include "profile/runner.h"

#include <QPointer>
#include <QString>

#include <functional>

class QMainWindow;
class QProgressDialog;
class Ui_Searial;

namespace profile {
class Comparison;
}

class SensorMenu
{
public:
    struct Hooks
    {
        std::function<void(const QByteArray &)> write; // one write to the port
        std::function<bool()> portOpen;
        // Why the window's own exchange keeps the line busy; empty when idle.
        std::function<QString()> busy;
        // The sensor took a new line preset: the port follows it.
        std::function<void(int preset)> followPreset;
    };

    SensorMenu(QMainWindow *window, Ui_Searial *ui, Hooks hooks);
    ~SensorMenu();

    bool isRunning() const { return m_runner.isRunning(); }
    // Every chunk the window receives while a profile runs.
    void take(const QByteArray &chunk);
    // The port closed: the run stops, and says so.
    void portClosed();

private:
    enum class Task { Save, Preview, Apply, Compare };

    void save();
    void apply();
    void compare();
    bool start(Task task, const QString &title);
    void ended(const profile::Runner::Result &result);
    void previewed(const profile::Runner::Result &result);
    void showTable(const QString &summary, const profile::Comparison &comparison);
    void fillQueryPage(const profile::Profile &sensor);
    bool load(const QString &path);
    void note(const QString &text);

    QMainWindow *m_window;
    Ui_Searial *m_ui;
    Hooks m_hooks;
    engine::Exchanger m_engine;
    profile::Runner m_runner;
    QPointer<QProgressDialog> m_progress;
    Task m_task = Task::Save;
    QString m_path;
    profile::Profile m_file;
};
