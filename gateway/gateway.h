// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// orvante-ctl publish at work: the sensor opened and measured with
// orvante-ctl's own line and queries, every frame handed to the broker
// connection, the status, identity and statistics kept up to date.
//
// The sensor side runs as orvante-ctl's commands do, on nested waits of the
// event loop (ctl::Line::wait), during which the broker's socket and the
// timers are served as well. A sensor that is lost (its port fails, or no
// frame comes for kSilenceMs) is opened again after 2 s, then 4, 8, ... up to
// 30 s; its identity is read again before measuring. Every event is one line
// on stderr.

#include "gateway/mqttclient.h"
#include "gateway/settings.h"
#include "measure/statistics.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>

class QEventLoop;

namespace ctl {
class Line;
}

namespace gateway {

class Gateway
{
public:
    // Exit status when the broker refused the gateway or TLS failed.
    static constexpr int kBrokerFailed = 5;
    static constexpr int kSilenceMs = 2000;

    explicit Gateway(const Settings &settings);
    Gateway(const Gateway &) = delete;
    Gateway &operator=(const Gateway &) = delete;

    // Until SIGTERM, SIGINT or SIGHUP (then Stop to the sensor, "offline", a
    // clean disconnect: 0), or until the broker refuses the gateway
    // (kBrokerFailed).
    int run();

private:
    void stop();
    // Runs the event loop for `ms`; false when the gateway is stopping.
    bool pause(int ms);
    bool readIdentity(ctl::Line &line);
    // Until the sensor is lost (why, returned) or the gateway stops (empty).
    QString measure(ctl::Line &line);
    void frame(const QString &time, const QByteArray &digits);
    void setStatus(const QByteArray &status);
    void connected();
    void publishStatistics();

    Settings m_settings;
    MqttClient m_mqtt;
    QByteArray m_statusTopic, m_identityTopic, m_distanceTopic, m_statsTopic;
    QByteArray m_status;
    QByteArray m_identity; // the last read, published again on every connection
    ctl::Line *m_line = nullptr;
    QEventLoop *m_pause = nullptr;
    bool m_stopping = false;
    bool m_measuring = false;
    bool m_brokerFailed = false;

    QTimer m_statsTimer, m_intervalTimer;
    QElapsedTimer m_clock;
    measure::Statistics m_second; // the frames since the last statistics
    qint64 m_frames = 0;
    QByteArray m_latest; // --interval: the newest frame not yet published
};

} // namespace gateway
