// SPDX-License-Identifier: GPL-3.0-or-later
#include "gateway/mqttclient.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <mosquitto.h>

#include <cerrno>
#include <cstring>

namespace gateway {

Q_LOGGING_CATEGORY(lcMqtt, "orvante.mqtt", QtWarningMsg)

namespace {

constexpr int kKeepAliveS = 15;
constexpr int kRetryFirstMs = 1000;
constexpr int kRetryMaxMs = 30000;
// The system's CAs, for an mqtts:// broker given without --cafile.
const char kSystemCaPath[] = "/etc/ssl/certs";

// libmosquitto's global state (its TLS library's too): set up once for the
// process, and cleaned up when it ends.
struct Library
{
    Library() { mosquitto_lib_init(); }
    ~Library() { mosquitto_lib_cleanup(); }
};

void initLibrary()
{
    static const Library library;
}

QByteArray bytesOrNull(const QString &text)
{
    return text.isEmpty() ? QByteArray() : text.toUtf8();
}

const char *orNull(const QByteArray &bytes)
{
    return bytes.isNull() ? nullptr : bytes.constData();
}

// The library's sentences go inside ours: without their full stop.
QString clause(const char *text)
{
    QString out = QString::fromUtf8(text);
    if (out.endsWith('.'))
        out.chop(1);
    return out;
}

} // namespace

MqttClient::MqttClient(const Options &options) : m_options(options)
{
    initLibrary();
    // A clean session: the client id is the broker's to choose, and nothing
    // is kept for the gateway while it is away (the will tells it is).
    m_mosq = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(m_mosq, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttClient::onDisconnect);
    mosquitto_publish_callback_set(m_mosq, &MqttClient::onPublish);
    mosquitto_log_callback_set(m_mosq, &MqttClient::onLog);
    // Each frame goes out as it comes: Nagle's algorithm would hold a small
    // write back for the broker's acknowledgement of the one before, tens of
    // ms at QoS 0, where nothing else comes back to carry it.
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);

    m_misc.setInterval(1000);
    QObject::connect(&m_misc, &QTimer::timeout, [this] { step(mosquitto_loop_misc(m_mosq)); });
    m_retry.setSingleShot(true);
    QObject::connect(&m_retry, &QTimer::timeout, [this] { attempt(); });
    m_finishDeadline.setSingleShot(true);
    QObject::connect(&m_finishDeadline, &QTimer::timeout, [this] {
        // Whatever is still queued stays behind (queued() says how much);
        // the last words go regardless.
        if (!m_disconnecting && m_connected) {
            closeIfFinished(true);
        } else {
            callDone();
        }
    });
}

MqttClient::~MqttClient()
{
    m_read.reset();
    m_write.reset();
    mosquitto_destroy(m_mosq);
}

bool MqttClient::start()
{
    const BrokerAddress &broker = m_options.broker;
    if (!broker.user.isEmpty())
        mosquitto_username_pw_set(m_mosq, broker.user.toUtf8().constData(),
                                  orNull(bytesOrNull(m_options.password)));
    if (!m_options.willTopic.isEmpty())
        mosquitto_will_set(m_mosq, m_options.willTopic.constData(),
                           int(m_options.willPayload.size()), m_options.willPayload.constData(),
                           1, true);
    if (broker.tls) {
        const QByteArray cafile = bytesOrNull(m_options.cafile);
        const QByteArray cert = bytesOrNull(m_options.cert);
        const QByteArray key = bytesOrNull(m_options.key);
        const int rc = mosquitto_tls_set(m_mosq, orNull(cafile),
                                         cafile.isNull() ? kSystemCaPath : nullptr, orNull(cert),
                                         orNull(key), nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            QStringList files{m_options.cafile, m_options.cert, m_options.key};
            files.removeAll(QString());
            fail(QString("cannot use the TLS files (%1): %2")
                     .arg(files.join(", "), reasonOf(rc)));
            return false;
        }
    }
    m_misc.start();
    attempt();
    return !m_failed;
}

bool MqttClient::send(const QByteArray &topic, const QByteArray &payload, int qos, bool retain)
{
    if (!m_connected)
        return false;
    int mid = 0;
    const int rc = mosquitto_publish(m_mosq, &mid, topic.constData(), int(payload.size()),
                                     payload.constData(), qos, retain);
    if (rc == MOSQ_ERR_SUCCESS && qos > 0)
        m_inFlightMids.insert(mid);
    sync();
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttClient::sendFrame(const QByteArray &topic, const QByteArray &payload, int qos)
{
    if (qos == 0) {
        if (send(topic, payload, 0, false))
            ++m_published;
        else
            ++m_droppedOffline;
        return;
    }
    if (int(m_queue.size()) >= kQueueBound) {
        m_queue.pop_front();
        ++m_droppedQueueFull;
    }
    m_queue.push_back({topic, payload});
    drainQueue();
}

void MqttClient::finish(const QByteArray &topic, const QByteArray &payload, int ms,
                        std::function<void()> done)
{
    m_finishing = true;
    m_retry.stop();
    m_done = std::move(done);
    m_lastTopic = topic;
    m_lastPayload = payload;
    if (!m_connected) {
        callDone();
        return;
    }
    m_finishDeadline.start(ms);
    closeIfFinished();
}

void MqttClient::onConnect(struct mosquitto *, void *self, int rc)
{
    auto *client = static_cast<MqttClient *>(self);
    if (rc == 0) {
        client->m_connected = true;
        client->m_retryMs = kRetryFirstMs;
        // What the library still holds from before goes again on its own;
        // the count of messages in flight starts afresh.
        client->m_inFlightMids.clear();
        if (client->connected)
            client->connected();
        client->drainQueue();
        return;
    }
    const QString reason = clause(mosquitto_connack_string(rc));
    // Only "server unavailable" may pass; the rest is this gateway's own
    // doing (protocol, client id, user, password) and would be refused again.
    if (rc == 3)
        client->broken(reason);
    else
        client->fail("the broker refused the connection: " + reason);
}

void MqttClient::onDisconnect(struct mosquitto *, void *self, int rc)
{
    auto *client = static_cast<MqttClient *>(self);
    client->m_connected = false;
    if (client->m_disconnecting) {
        client->callDone();
        return;
    }
    if (!client->m_failed)
        client->broken(client->reasonOf(rc));
}

void MqttClient::onPublish(struct mosquitto *, void *self, int mid)
{
    auto *client = static_cast<MqttClient *>(self);
    if (client->m_inFlightMids.erase(mid) == 0)
        return;
    client->drainQueue();
    if (client->m_finishing)
        client->closeIfFinished();
}

void MqttClient::onLog(struct mosquitto *, void *self, int level, const char *text)
{
    qCDebug(lcMqtt, "%s", text);
    if (level & MOSQ_LOG_ERR)
        static_cast<MqttClient *>(self)->m_lastError = QString::fromUtf8(text);
}

void MqttClient::attempt()
{
    if (m_failed || m_finishing)
        return;
    m_lastError.clear();
    const BrokerAddress &broker = m_options.broker;
    const int rc =
        m_started ? mosquitto_reconnect_async(m_mosq)
                  : mosquitto_connect_async(m_mosq, broker.host.toUtf8().constData(), broker.port,
                                            kKeepAliveS);
    m_started = true;
    if (rc != MOSQ_ERR_SUCCESS) {
        step(rc);
        return;
    }
    sync();
}

void MqttClient::sync()
{
    const int fd = mosquitto_socket(m_mosq);
    if (fd != m_fd) {
        m_read.reset();
        m_write.reset();
        m_fd = fd;
        if (fd >= 0) {
            m_read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(m_read.get(), &QSocketNotifier::activated,
                             [this] { step(mosquitto_loop_read(m_mosq, 1)); });
            m_write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
            QObject::connect(m_write.get(), &QSocketNotifier::activated,
                             [this] { step(mosquitto_loop_write(m_mosq, 1)); });
        }
    }
    if (m_write)
        m_write->setEnabled(mosquitto_want_write(m_mosq));
}

void MqttClient::step(int rc)
{
    if (rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_NO_CONN) {
        sync();
        return;
    }
    if (rc == MOSQ_ERR_TLS) {
        fail("TLS failed: " + (m_lastError.isEmpty() ? reasonOf(rc) : m_lastError));
        return;
    }
    if (m_disconnecting) {
        callDone();
        return;
    }
    broken(reasonOf(rc));
}

void MqttClient::broken(const QString &reason)
{
    m_connected = false;
    // The socket is the library's to close; ours are the notifiers on it,
    // which must not fire on whatever the number is used for next.
    if (m_read)
        m_read->setEnabled(false);
    if (m_write)
        m_write->setEnabled(false);
    // Called from their own activation: deleted once that has returned.
    if (m_read)
        m_read.release()->deleteLater();
    if (m_write)
        m_write.release()->deleteLater();
    m_fd = -1;
    if (m_failed || m_finishing || m_retry.isActive())
        return;
    const int wait = m_retryMs;
    m_retryMs = qMin(m_retryMs * 2, kRetryMaxMs);
    m_retry.start(wait);
    if (retrying)
        retrying(reason, wait);
}

void MqttClient::fail(const QString &reason)
{
    if (m_failed)
        return;
    m_failed = true;
    m_connected = false;
    m_retry.stop();
    m_misc.stop();
    mosquitto_disconnect(m_mosq);
    broken(reason);
    if (failed)
        failed(reason);
    if (m_finishing)
        callDone();
}

void MqttClient::drainQueue()
{
    while (m_connected && !m_queue.empty() && int(m_inFlightMids.size()) < kInFlight) {
        const Message &message = m_queue.front();
        if (!send(message.topic, message.payload, 1, false))
            break;
        ++m_published;
        m_queue.pop_front();
    }
}

void MqttClient::closeIfFinished(bool now)
{
    if (m_disconnecting || !m_connected)
        return;
    if (!now && (!m_queue.empty() || !m_inFlightMids.empty()))
        return;
    // The last words go before the DISCONNECT on the same connection, so
    // the broker has them first.
    send(m_lastTopic, m_lastPayload, 1, true);
    m_disconnecting = true;
    m_finishDeadline.start(2000);
    step(mosquitto_disconnect(m_mosq));
}

void MqttClient::callDone()
{
    m_finishDeadline.stop();
    m_misc.stop();
    if (auto done = std::move(m_done)) {
        m_done = nullptr;
        done();
    }
}

QString MqttClient::reasonOf(int rc) const
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (rc == MOSQ_ERR_TLS && !m_lastError.isEmpty())
        return m_lastError;
    return clause(mosquitto_strerror(rc));
}

} // namespace gateway
