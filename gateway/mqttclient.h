// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One connection to an MQTT broker through libmosquitto, driven by Qt's event
// loop: a QSocketNotifier on the library's socket calls its read and write
// steps, a timer its housekeeping (keep-alive) once a second. No thread of
// the library's own, no polling.
//
// The connection is kept: when it breaks, or cannot be made, it is tried
// again after 1 s, then 2, 4, ... up to 30 s. A broker that refuses the
// gateway (user, password, client) or a TLS connection that fails (a
// certificate that does not verify) is not tried again: `failed` says why.
//
// Frames (sendFrame) that cannot go at once are accounted for: at QoS 0 they
// are dropped and counted while the broker is not connected; at QoS 1 they
// wait in a queue of at most kQueueBound messages, the oldest dropped and
// counted beyond it, and go out in order once the broker is back. At most
// kInFlight of them are handed to the library at a time, so the library's own
// list stays short.

#include "gateway/brokeraddress.h"

#include <QByteArray>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <unordered_set>

struct mosquitto;
class QSocketNotifier;

namespace gateway {

class MqttClient
{
public:
    static constexpr int kQueueBound = 100000;
    static constexpr int kInFlight = 1000;

    struct Options
    {
        BrokerAddress broker;
        QString password;
        QString cafile, cert, key; // mqtts: the system's CAs when cafile is empty
        QByteArray willTopic, willPayload; // retained, QoS 1
    };

    explicit MqttClient(const Options &options);
    ~MqttClient();
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    // Every connection made (after a CONNACK that accepts).
    std::function<void()> connected;
    // A connection lost or an attempt failed; `retryMs` until the next.
    std::function<void(const QString &reason, int retryMs)> retrying;
    // No more attempts: the broker refused, or TLS failed.
    std::function<void(const QString &reason)> failed;

    // Starts connecting; false (and `failed` called) when the options cannot
    // be used (an unreadable certificate file).
    bool start();
    bool isConnected() const { return m_connected; }
    bool hasFailed() const { return m_failed; }

    // Now or never: false when not connected.
    bool send(const QByteArray &topic, const QByteArray &payload, int qos, bool retain);
    // A frame, with the accounting above.
    void sendFrame(const QByteArray &topic, const QByteArray &payload, int qos);

    // Once what is queued has gone (at most `ms`): `topic` and `payload`
    // retained at QoS 1, then a clean disconnect (the will is not sent);
    // `done` when the connection is closed, or at once when there is none.
    void finish(const QByteArray &topic, const QByteArray &payload, int ms,
                std::function<void()> done);

    qint64 published() const { return m_published; }
    qint64 droppedOffline() const { return m_droppedOffline; }
    qint64 droppedQueueFull() const { return m_droppedQueueFull; }
    qint64 queued() const { return qint64(m_queue.size()); }

private:
    struct Message
    {
        QByteArray topic, payload;
    };

    static void onConnect(struct mosquitto *, void *self, int rc);
    static void onDisconnect(struct mosquitto *, void *self, int rc);
    static void onPublish(struct mosquitto *, void *self, int mid);
    static void onLog(struct mosquitto *, void *self, int level, const char *text);

    void attempt();
    // After every call into the library: follow its socket, write when it wants.
    void sync();
    void step(int rc);
    void broken(const QString &reason);
    void fail(const QString &reason);
    void drainQueue();
    // The last words and the disconnect, once nothing waits (or `now`).
    void closeIfFinished(bool now = false);
    void callDone();
    QString reasonOf(int rc) const;

    Options m_options;
    struct mosquitto *m_mosq = nullptr;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_read, m_write;
    QTimer m_misc, m_retry, m_finishDeadline;
    int m_retryMs = 1000;
    bool m_started = false;
    bool m_connected = false;
    bool m_failed = false;
    bool m_finishing = false;
    bool m_disconnecting = false;
    QByteArray m_lastTopic, m_lastPayload;
    std::function<void()> m_done;
    QString m_lastError; // the library's last error log line (TLS)

    std::deque<Message> m_queue;
    std::unordered_set<int> m_inFlightMids; // QoS 1 messages awaiting the broker
    qint64 m_published = 0;
    qint64 m_droppedOffline = 0;
    qint64 m_droppedQueueFull = 0;
};

} // namespace gateway
