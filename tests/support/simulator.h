// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// sensor-sim as a process of the test's own: started beside the test program
// with the arguments given, its line's path read from the first line it
// prints, and ended when the test is done with it.

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

    // Starts sensor-sim with `arguments`; the path of its line, empty when
    // it did not start or said none.
    QString start(const QStringList &arguments);
    // Ends it (SIGTERM) if it runs; true once it has ended.
    bool stop();

    bool isRunning() const;
    QProcess *operator->() const { return m_process.get(); }

private:
    std::unique_ptr<QProcess> m_process;
};
