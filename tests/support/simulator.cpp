// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/simulator.h"

#include <QCoreApplication>

namespace {
// Generous: the machine running the tests is busy.
constexpr int kWaitMs = 10000;
} // namespace

QString binary(const QString &name)
{
    return QCoreApplication::applicationDirPath() + "/" + name;
}

Simulator::~Simulator()
{
    stop();
}

QString Simulator::start(const QStringList &arguments)
{
    stop();
    m_process = std::make_unique<QProcess>();
    m_process->start(binary("sensor-sim"), arguments);
    if (!m_process->waitForStarted(kWaitMs))
        return QString();
    while (!m_process->canReadLine() && m_process->waitForReadyRead(kWaitMs)) {
    }
    return QString::fromLocal8Bit(m_process->readLine()).trimmed();
}

bool Simulator::stop()
{
    if (!m_process)
        return true;
    if (isRunning()) {
        m_process->terminate();
        if (!m_process->waitForFinished(kWaitMs))
            return false;
    }
    return m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
}

bool Simulator::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}
