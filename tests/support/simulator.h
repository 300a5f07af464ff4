// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// sensor-sim as a process of the test's own: started beside the test program
// with the arguments given, its line's path read from the first line it
// prints, and ended when the test is done with it. The process stays
// reachable for what it logs, for signals and for how it ended.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// A program built beside the test program.
QString binary(const QString &name);

class Simulator
{
public:
    ~Simulator();

    // Starts sensor-sim with `arguments` (ending one started before); the
    // first line it prints, its line's path: empty when it did not start or
    // ended without one (a refused option).
    QString start(const QStringList &arguments);
    // Ends it (SIGTERM) if it runs; true once it has ended with status 0, or
    // when none was started.
    bool stop();

    bool isRunning() const;
    QProcess *operator->() const { return m_process.get(); }

private:
    std::unique_ptr<QProcess> m_process;
};
