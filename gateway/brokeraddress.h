// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The broker as the gateway is told it: mqtt://[USER@]HOST[:PORT]/PREFIX, or
// mqtts:// for TLS. PREFIX is the topic every message goes below.

#include <QString>

namespace gateway {

struct BrokerAddress
{
    bool tls = false;
    QString user; // empty: none
    QString host;
    int port = 0;
    QString prefix; // no leading or trailing '/', no wildcards

    // Reads `text`; false with what is wrong in `problem`. A password in the
    // address is refused: it would show in the process list.
    static bool parse(const QString &text, BrokerAddress *address, QString *problem);
    // As given, for messages (never a password: there is none in it).
    QString text() const;
};

} // namespace gateway
