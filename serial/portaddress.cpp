// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/portaddress.h"

#include <QRegularExpression>

namespace serial {

const char kAddressForms[] = "tcp://HOST:PORT (socket://HOST:PORT) or rfc2217://HOST:PORT, HOST "
                             "a name, an IPv4 address or an IPv6 address in brackets";

QString PortAddress::endpoint() const
{
    return (host.contains(':') ? "[" + host + "]" : host) + ":" + QString::number(port);
}

bool looksLikeAddress(const QString &name)
{
    static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]*://");
    return scheme.match(name).hasMatch();
}

bool parsePortAddress(const QString &name, PortAddress *address, QString *error)
{
    *address = PortAddress();
    if (!looksLikeAddress(name))
        return true;
    const auto bad = [&](const QString &why) {
        *error = QString("'%1' is not a port address (%2); expected %3")
                     .arg(name, why, QString::fromLatin1(kAddressForms));
        return false;
    };
    const int schemeEnd = name.indexOf("://");
    const QString scheme = name.left(schemeEnd).toLower();
    if (scheme == "tcp" || scheme == "socket")
        address->kind = PortAddress::RawTcp;
    else if (scheme == "rfc2217")
        address->kind = PortAddress::Rfc2217;
    else
        return bad("unknown kind '" + scheme + "'");

    static const QRegularExpression form(
        R"(^(?:\[([0-9A-Fa-f:.]+)\]|([A-Za-z0-9._-]+)):([0-9]{1,5})$)");
    const QRegularExpressionMatch match = form.match(name.mid(schemeEnd + 3));
    if (!match.hasMatch())
        return bad("no HOST:PORT");
    const QString v6 = match.captured(1);
    if (!v6.isEmpty() && v6.count(':') < 2)
        return bad("'" + v6 + "' in brackets is no IPv6 address");
    const int port = match.captured(3).toInt();
    if (port < 1 || port > 65535)
        return bad("port " + match.captured(3) + " is not from 1 to 65535");
    address->host = v6.isEmpty() ? match.captured(2) : v6;
    address->port = quint16(port);
    return true;
}

} // namespace serial

namespace serial {

QString addressProblem(const QStringList &names)
{
    for (const QString &name : names) {
        PortAddress address;
        QString error;
        if (!parsePortAddress(name, &address, &error))
            return error;
    }
    return QString();
}

} // namespace serial
