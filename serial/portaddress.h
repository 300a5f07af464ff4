// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A port named by an address on the network rather than a device path: a
// serial device server (ser2net, a vendor's box) that carries the line over
// TCP, either as raw bytes with the line settings fixed at the server, or
// with Telnet COM-PORT-OPTION (RFC 2217) so that the client sets them.

#include <QString>
#include <QStringList>

namespace serial {

struct PortAddress
{
    enum Kind { Device, RawTcp, Rfc2217 };
    Kind kind = Device;
    QString host; // a name, an IPv4 address, or an IPv6 address without brackets
    quint16 port = 0;

    bool isNetwork() const { return kind != Device; }
    // HOST:PORT, an IPv6 address in brackets, for messages.
    QString endpoint() const;
};

// Whether `name` is meant as a network address (it has a scheme, "xxx://"),
// well formed or not; anything else is a device path.
bool looksLikeAddress(const QString &name);

// Reads `name`: a device path as it is, or tcp://HOST:PORT, socket://HOST:PORT
// (the same) or rfc2217://HOST:PORT. False, with `error` saying which form is
// expected, for an address that is none of these.
bool parsePortAddress(const QString &name, PortAddress *address, QString *error);

// What is wrong with the first malformed address among `names`; empty when
// there is none.
QString addressProblem(const QStringList &names);

// The forms, for help texts and usage errors.
extern const char kAddressForms[];

} // namespace serial
