// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What orvante-ctl publish is told, from its command line or a configuration
// file, and the checks both go through: one home for each key's rule.
//
// The file holds "key = value" lines, the keys being the long options without
// their dashes (port, preset, mqtt, cafile, cert, key, qos, interval,
// password-file); blank lines and lines starting with '#' are skipped, a
// relative path is taken from the file's folder. An unknown key, a key given
// twice or a line without '=' is refused with its line number.

#include "gateway/brokeraddress.h"

#include <QString>
#include <QStringList>

namespace gateway {

struct Settings
{
    QString port;
    int preset = 0;
    BrokerAddress broker;
    QString cafile, cert, key;
    int qos = 0;
    int intervalMs = 0; // 0: every frame
    QString passwordFile;
    // Filled in by resolvePassword(); never printed.
    QString password;

    // The keys a file may hold, which are the long options too.
    static const QStringList &keys();
    // Takes one key's value; what is wrong with it, or an empty string.
    // Relative paths are taken from `folder`. A key taken before is refused,
    // unless `replace` (the command line over the file).
    QString take(const QString &key, const QString &value, const QString &folder,
                 bool replace = false);
    // Reads a configuration file; what is wrong, as "FILE:LINE: ...", or an
    // empty string.
    QString readFile(const QString &path);
    // After everything is taken: what is missing or does not go together,
    // and the password from --password-file or `environment` (the value of
    // ORV_MQTT_PASSWORD; empty counts as unset). `warnings` gets what is allowed
    // but unwise.
    QString complete(const QByteArray &environment, QStringList *warnings);

private:
    QStringList m_taken;
};

} // namespace gateway
