// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ser2net.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QtTest>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// Whether something listens on `port` now. Not by connecting: ser2net would
// open the device for that connection and turn the next one away until it
// has closed it again.
bool listening(quint16 port)
{
    QTcpServer probe;
    return !probe.listen(QHostAddress::LocalHost, port);
}

} // namespace

bool Ser2net::installed()
{
    return !QStandardPaths::findExecutable("ser2net").isEmpty();
}

bool Ser2net::start(const QString &device)
{
    // A port found free may be taken by another suite before ser2net binds
    // it (the suites run side by side): then it is tried again on others.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (startOnFreePorts(device))
            return true;
    }
    return false;
}

bool Ser2net::startOnFreePorts(const QString &device)
{
    stop();
    m_rfcPort = freePort();
    m_tcpPort = freePort();
    QFile config(m_dir.filePath("ser2net.yaml"));
    if (m_rfcPort == m_tcpPort || !m_dir.isValid() || !config.open(QIODevice::WriteOnly))
        return false;
    config.write(QString("%YAML 1.1\n---\n"
                         "connection: &rfc\n"
                         "  accepter: telnet(rfc2217),tcp,%1\n"
                         "  connector: serialdev,%3,9600n81,local\n"
                         "connection: &raw\n"
                         "  accepter: tcp,%2\n"
                         "  connector: serialdev,%3,9600n81,local\n")
                     .arg(m_rfcPort)
                     .arg(m_tcpPort)
                     .arg(device)
                     .toUtf8());
    config.close();
    m_process = std::make_unique<QProcess>();
    m_process->start("ser2net", {"-n", "-d", "-c", config.fileName()});
    if (!m_process->waitForStarted(5000))
        return false;
    // Both accepters bound, or ser2net gone (it could not bind one).
    const auto bound = [this] { return listening(m_rfcPort) && listening(m_tcpPort); };
    return QTest::qWaitFor([&] { return m_process->state() != QProcess::Running || bound(); },
                           10000) &&
           m_process->state() == QProcess::Running;
}

bool Ser2net::stop()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return true;
    m_process->terminate();
    return m_process->waitForFinished(5000);
}

QString Ser2net::rfc2217() const
{
    return QString("rfc2217://localhost:%1").arg(m_rfcPort);
}

QString Ser2net::tcp() const
{
    return QString("tcp://localhost:%1").arg(m_tcpPort);
}
