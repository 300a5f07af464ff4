// SPDX-License-Identifier: GPL-3.0-or-later
#include "gateway/gateway.h"

#include "console/interrupts.h"
#include "ctl/outcomes.h"
#include "ctl/line.h"
#include "gateway/payloads.h"
#include "measure/timestamp.h"
#include "protocol/commands.h"
#include "protocol/codes.h"
#include "protocol/framestream.h"

#include <QDateTime>
#include <QEventLoop>

namespace gateway {

namespace {

constexpr int kRetryFirstMs = 2000;
constexpr int kRetryMaxMs = 30000;
// How long the first connection to the broker is awaited before the sensor
// is opened: frames measured before it would only be dropped or queued.
constexpr int kFirstConnectionMs = 10000;
// What a sensor left measuring sends after Stop, let pass before the
// identity is asked.
constexpr int kSettleMs = 300;
// The time a clean stop gives queued frames to reach the broker.
constexpr int kFinishMs = 3000;

const QByteArray kOnline = "online";
const QByteArray kOffline = "offline";
const QByteArray kSensorLost = "sensor-lost";

// One line on stderr, as orvante-ctl says everything there.
void say(const QString &line)
{
    ctl::fail(ctl::Done, line);
}

MqttClient::Options clientOptions(const Settings &settings)
{
    MqttClient::Options options;
    options.broker = settings.broker;
    options.password = settings.password;
    options.cafile = settings.cafile;
    options.cert = settings.cert;
    options.key = settings.key;
    options.willTopic = (settings.broker.prefix + "/status").toUtf8();
    options.willPayload = kOffline;
    return options;
}

QString seconds(int ms)
{
    return QString::number(ms / 1000.0, 'g', 3) + " s";
}

} // namespace

Gateway::Gateway(const Settings &settings)
    : m_settings(settings), m_mqtt(clientOptions(settings)), m_status(kOnline)
{
    const QString prefix = settings.broker.prefix;
    m_statusTopic = (prefix + "/status").toUtf8();
    m_identityTopic = (prefix + "/identity").toUtf8();
    m_distanceTopic = (prefix + "/distance").toUtf8();
    m_statsTopic = (prefix + "/stats").toUtf8();

    m_mqtt.connected = [this] { connected(); };
    m_mqtt.retrying = [this](const QString &reason, int retryMs) {
        say(QString("broker %1: %2; trying again in %3")
                .arg(m_settings.broker.text(), reason, seconds(retryMs)));
    };
    m_mqtt.failed = [this](const QString &reason) {
        say(QString("broker %1: %2; stopping").arg(m_settings.broker.text(), reason));
        m_brokerFailed = true;
        stop();
    };
    m_statsTimer.setInterval(1000);
    QObject::connect(&m_statsTimer, &QTimer::timeout, [this] { publishStatistics(); });
    m_intervalTimer.setInterval(settings.intervalMs);
    QObject::connect(&m_intervalTimer, &QTimer::timeout, [this] {
        if (!m_latest.isEmpty())
            m_mqtt.sendFrame(m_distanceTopic, m_latest, m_settings.qos);
        m_latest.clear();
    });
}

int Gateway::run()
{
    console::Interrupts interrupts([this] {
        say("stopping");
        stop();
    });
    m_clock.start();
    if (!m_mqtt.start())
        return kBrokerFailed;
    QElapsedTimer waited;
    waited.start();
    while (!m_mqtt.isConnected() && !m_stopping && waited.elapsed() < kFirstConnectionMs)
        pause(100);
    m_statsTimer.start();
    if (m_settings.intervalMs > 0)
        m_intervalTimer.start();

    int retryMs = kRetryFirstMs;
    while (!m_stopping) {
        ctl::Line line;
        m_line = &line;
        // Why the sensor is not (or no longer) measured, for the one line
        // that says so; identity problems ctl's query says itself.
        QString reason;
        const bool opened = line.open(m_settings.port, m_settings.preset, true, &reason);
        if (!opened) {
            reason = QString("cannot open %1: %2").arg(m_settings.port, reason);
        } else if (!readIdentity(line)) {
            reason = QString("no identity from the sensor on %1").arg(m_settings.port);
        } else if (!m_stopping) {
            retryMs = kRetryFirstMs;
            reason = measure(line);
        }
        if (m_stopping) {
            if (opened && !line.isLost()) {
                line.send(protocol::kStop);
                line.drain();
            }
            m_line = nullptr;
            break;
        }
        m_line = nullptr;
        setStatus(kSensorLost);
        say(QString("%1; sensor-lost, trying again in %2").arg(reason, seconds(retryMs)));
        pause(retryMs);
        retryMs = qMin(retryMs * 2, kRetryMaxMs);
    }
    m_statsTimer.stop();
    m_intervalTimer.stop();
    if (m_brokerFailed)
        return kBrokerFailed;

    bool closed = false;
    QEventLoop loop;
    m_mqtt.finish(m_statusTopic, kOffline, kFinishMs, [&] {
        closed = true;
        loop.quit();
    });
    if (!closed)
        loop.exec();
    if (m_mqtt.queued() > 0)
        say(QString("%1 frames were still queued for the broker and are lost")
                .arg(m_mqtt.queued()));
    say("stopped");
    return ctl::Done;
}

void Gateway::stop()
{
    m_stopping = true;
    // An identity query runs to its end (at most its response window): cut
    // short, it would be reported as unanswered.
    if (m_line && m_measuring)
        m_line->interrupt();
    if (m_pause)
        m_pause->quit();
}

bool Gateway::pause(int ms)
{
    if (m_stopping)
        return false;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    m_pause = &loop;
    loop.exec();
    m_pause = nullptr;
    return !m_stopping;
}

bool Gateway::readIdentity(ctl::Line &line)
{
    // A sensor left measuring (a gateway that was killed, automatic
    // measurement) would bury the answer in frames.
    line.send(protocol::kStop);
    line.wait(kSettleMs);
    if (line.isLost() || m_stopping)
        return false;
    ctl::Fields fields;
    if (ctl::ask(line, protocol::IdentityQuery, &fields) != ctl::Done)
        return false;
    m_identity = Payloads::identity(fields.value(0).second, fields.value(1).second,
                                    fields.value(2).second);
    m_mqtt.send(m_identityTopic, m_identity, 1, true);
    say(QString("sensor %1 (version %2) on %3")
            .arg(fields.value(0).second, fields.value(1).second, m_settings.port));
    return true;
}

QString Gateway::measure(ctl::Line &line)
{
    protocol::FrameStream frames;
    QElapsedTimer sinceFrame;
    line.received = [&](const QByteArray &chunk) {
        const QList<QByteArray> distances = frames.take(chunk);
        if (distances.isEmpty())
            return;
        const QString time = measure::timestamp(QDateTime::currentDateTime());
        for (const QByteArray &digits : distances)
            frame(time, digits);
        sinceFrame.restart();
    };
    line.send(protocol::kContinuousMeasurement);
    sinceFrame.start();
    setStatus(kOnline);
    say(QString("measuring; publishing below %1").arg(m_settings.broker.text()));
    m_measuring = true;
    QString reason;
    while (reason.isEmpty() && !m_stopping) {
        if (line.wait(kSilenceMs / 4) == ctl::Line::End::Lost)
            reason = QString("lost the port %1 (%2)").arg(line.path(), line.lostReason());
        else if (sinceFrame.elapsed() > kSilenceMs)
            reason = QString("no distance frame for %1 ms").arg(kSilenceMs);
    }
    m_measuring = false;
    line.received = nullptr;
    return reason;
}

void Gateway::frame(const QString &time, const QByteArray &digits)
{
    ++m_frames;
    m_second.add(m_clock.elapsed(), digits.toInt());
    const QByteArray payload = Payloads::distance(m_frames, time, digits);
    if (m_settings.intervalMs > 0)
        m_latest = payload;
    else
        m_mqtt.sendFrame(m_distanceTopic, payload, m_settings.qos);
}

void Gateway::setStatus(const QByteArray &status)
{
    if (status == m_status)
        return;
    m_status = status;
    m_mqtt.send(m_statusTopic, m_status, 1, true);
}

void Gateway::connected()
{
    say(QString("connected to the broker %1").arg(m_settings.broker.text()));
    m_mqtt.send(m_statusTopic, m_status, 1, true);
    if (!m_identity.isEmpty())
        m_mqtt.send(m_identityTopic, m_identity, 1, true);
}

void Gateway::publishStatistics()
{
    Payloads::Counts counts;
    counts.frames = m_frames;
    counts.published = m_mqtt.published();
    counts.droppedOffline = m_mqtt.droppedOffline();
    counts.droppedQueueFull = m_mqtt.droppedQueueFull();
    counts.queued = m_mqtt.queued();
    m_mqtt.send(m_statsTopic,
                Payloads::statistics(measure::timestamp(QDateTime::currentDateTime()), m_second,
                                     counts),
                m_settings.qos, false);
    m_second = measure::Statistics();
}

} // namespace gateway
