// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's Sensor menu: Save profile…, Apply profile… and Compare with
// profile…, run by profile::Runner on the window's port while the window
// hands it every chunk it receives. Progress goes to the status bar and a
// progress dialog whose Cancel stops between exchanges; the result is a
// table (setting, sensor, file, match). One task at a time, from its first
// dialog to its result: another is refused, with the reason, before it opens
// anything. Not a QObject: its connections are lambdas, so that Searial's
// slots stay as they are.

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
    // Takes the menu for `task`, or says why not (another task, no port, the
    // window's own exchange) and returns false.
    bool claim(Task task);
    void release() { m_claimed = false; }
    // The port is open and the window's own exchange leaves the line free;
    // otherwise says why not.
    bool lineFree();
    bool start(Task task, const QString &title);
    // The file a profile is saved to, ".json" added to a name typed without
    // a suffix; empty when cancelled.
    QString askSavePath();
    // The switching mode the profile records (1 or 2), which the sensor does
    // not report: the settings page's mode is offered. 0 when cancelled.
    int askSwitchingMode();
    // The runner's end, by the task it ended: each of these says it.
    void ended(const profile::Runner::Result &result);
    void closeProgress();
    void stopped(const profile::Runner::Result &result);
    void saved(const profile::Runner::Result &result);
    void previewed(const profile::Runner::Result &result);
    void applied(const profile::Runner::Result &result);
    void compared(const profile::Runner::Result &result);
    void showTable(const QString &summary, const profile::Comparison &comparison);
    bool load(const QString &path, Task task);
    void note(const QString &text);

    QMainWindow *m_window;
    Ui_Searial *m_ui;
    Hooks m_hooks;
    engine::Exchanger m_engine;
    profile::Runner m_runner;
    QPointer<QProgressDialog> m_progress;
    Task m_task = Task::Save;
    bool m_claimed = false;
    int m_saveMode = 0; // Save: the switching mode asked for
    QString m_path;
    profile::Profile m_file;
};
