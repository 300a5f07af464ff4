// SPDX-License-Identifier: GPL-3.0-or-later
#include "gateway/settings.h"

#include "protocol/linepresets.h"

#include <QDir>
#include <QFile>

namespace gateway {

namespace {

// A password file is one line; anything much longer is no password file.
constexpr qint64 kPasswordFileMax = 4096;
// A configuration file is a dozen short lines.
constexpr qint64 kConfigFileMax = 64 * 1024;

bool wholeNumber(const QString &text, int min, int max, int *value)
{
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok || number < min || number > max)
        return false;
    *value = int(number);
    return true;
}

QString pathIn(const QString &folder, const QString &path)
{
    return folder.isEmpty() ? path : QDir(folder).absoluteFilePath(path);
}

} // namespace

const QStringList &Settings::keys()
{
    static const QStringList keys{"port", "preset", "mqtt", "cafile", "cert",
                                  "key", "qos", "interval", "password-file"};
    return keys;
}

QString Settings::take(const QString &key, const QString &value, const QString &folder,
                       bool replace)
{
    if (replace)
        m_taken.removeAll(key);
    if (m_taken.contains(key))
        return QString("%1 given twice").arg(key);
    m_taken << key;
    if (value.isEmpty())
        return QString("%1 wants a value").arg(key);
    if (key == "port") {
        port = value;
    } else if (key == "preset") {
        if (!wholeNumber(value, 0, protocol::kLinePresetCount - 1, &preset))
            return QString("preset wants a line preset from 0 to 7, not '%1'").arg(value);
    } else if (key == "mqtt") {
        QString problem;
        if (!BrokerAddress::parse(value, &broker, &problem))
            return problem;
    } else if (key == "cafile") {
        cafile = pathIn(folder, value);
    } else if (key == "cert") {
        cert = pathIn(folder, value);
    } else if (key == "key") {
        this->key = pathIn(folder, value);
    } else if (key == "qos") {
        if (!wholeNumber(value, 0, 1, &qos))
            return QString("qos wants 0 or 1, not '%1'").arg(value);
    } else if (key == "interval") {
        // Up to an hour; 0 publishes every frame.
        if (!wholeNumber(value, 0, 3600 * 1000, &intervalMs))
            return QString("interval wants milliseconds from 0 to 3600000, not '%1'").arg(value);
    } else if (key == "password-file") {
        passwordFile = pathIn(folder, value);
    } else if (key == "password") {
        m_taken.removeLast();
        return "no password here: put it in a file of its own (password-file = FILE, readable "
               "only by the gateway) or in ORV_MQTT_PASSWORD";
    } else {
        m_taken.removeLast();
        return QString("unknown key '%1' (known: %2)").arg(key, keys().join(", "));
    }
    return QString();
}

QString Settings::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString("%1: %2").arg(path, file.errorString());
    const QByteArray bytes = file.read(kConfigFileMax + 1);
    if (bytes.size() > kConfigFileMax)
        return QString("%1: more than %2 bytes; is this a configuration file?")
            .arg(path)
            .arg(kConfigFileMax);
    const QString folder = QFileInfo(path).absolutePath();
    const QStringList lines = QString::fromUtf8(bytes).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const int equals = line.indexOf('=');
        QString problem;
        if (equals < 0)
            problem = QString("expected key = value, not '%1'").arg(line);
        else
            problem = take(line.left(equals).trimmed(), line.mid(equals + 1).trimmed(), folder);
        if (!problem.isEmpty())
            return QString("%1:%2: %3").arg(path).arg(i + 1).arg(problem);
    }
    return QString();
}

QString Settings::complete(const QByteArray &environment, QStringList *warnings)
{
    if (port.isEmpty())
        return "which port? Give --port PATH (orvante-ctl ports lists those that open)";
    if (broker.host.isEmpty())
        return "which broker? Give --mqtt mqtt://[USER@]HOST[:PORT]/PREFIX";
    if (cert.isEmpty() != key.isEmpty())
        return "a client certificate needs both --cert and --key";
    if (!broker.tls && !(cafile.isEmpty() && cert.isEmpty()))
        return "--cafile, --cert and --key are for mqtts:// brokers";
    if (!passwordFile.isEmpty() && !environment.isEmpty())
        return "give the password in --password-file or in ORV_MQTT_PASSWORD, not both";
    if (!passwordFile.isEmpty()) {
        QFile file(passwordFile);
        if (!file.open(QIODevice::ReadOnly))
            return QString("cannot read the password file %1: %2")
                .arg(passwordFile, file.errorString());
        const QByteArray bytes = file.read(kPasswordFileMax + 1);
        if (bytes.size() > kPasswordFileMax)
            return QString("the password file %1 is not one line").arg(passwordFile);
        // Its first line; an editor's line end is not part of it.
        password = QString::fromUtf8(bytes.left(bytes.indexOf('\n') < 0 ? bytes.size()
                                                                          : bytes.indexOf('\n')));
        if (password.endsWith('\r'))
            password.chop(1);
        if (password.isEmpty())
            return QString("the password file %1 holds no password").arg(passwordFile);
    } else if (!environment.isEmpty()) {
        password = QString::fromUtf8(environment);
    }
    if (!password.isEmpty() && broker.user.isEmpty())
        return "a password needs a user: mqtt://USER@HOST/PREFIX";
    if (!password.isEmpty() && !broker.tls)
        *warnings << "the password goes to the broker unencrypted over mqtt://; use mqtts:// "
                     "where the network is not trusted";
    return QString();
}

} // namespace gateway
