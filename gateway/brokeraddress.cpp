// SPDX-License-Identifier: GPL-3.0-or-later
#include "gateway/brokeraddress.h"

#include <QUrl>

namespace gateway {

namespace {

const char kForm[] = "mqtt://[USER@]HOST[:PORT]/PREFIX or mqtts://...";

} // namespace

bool BrokerAddress::parse(const QString &text, BrokerAddress *address, QString *problem)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != "mqtt" && scheme != "mqtts") || url.host().isEmpty()) {
        *problem = QString("--mqtt wants %1, not '%2'").arg(kForm, text);
        return false;
    }
    if (!url.password().isEmpty()) {
        *problem = "no password in the broker address: anyone can read a command line; use "
                   "--password-file FILE or ORV_MQTT_PASSWORD";
        return false;
    }
    if (url.hasQuery() || url.hasFragment()) {
        *problem = QString("--mqtt takes no query or fragment: %1").arg(kForm);
        return false;
    }
    QString prefix = url.path(QUrl::FullyDecoded);
    while (prefix.startsWith('/'))
        prefix.remove(0, 1);
    while (prefix.endsWith('/'))
        prefix.chop(1);
    if (prefix.isEmpty() || prefix.contains('+') || prefix.contains('#') ||
        prefix.contains(QChar(0))) {
        *problem = QString("--mqtt wants a topic PREFIX without + or # after the host (%1), not "
                           "'%2'")
                       .arg(kForm, text);
        return false;
    }
    address->tls = scheme == "mqtts";
    address->user = url.userName(QUrl::FullyDecoded);
    address->host = url.host(QUrl::FullyDecoded);
    address->port = url.port(address->tls ? 8883 : 1883);
    address->prefix = prefix;
    return true;
}

QString BrokerAddress::text() const
{
    const QString host = this->host.contains(':') ? "[" + this->host + "]" : this->host;
    return QString("%1://%2%3:%4/%5")
        .arg(tls ? "mqtts" : "mqtt", user.isEmpty() ? QString() : user + "@", host)
        .arg(port)
        .arg(prefix);
}

} // namespace gateway
