// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/traffic.h"

namespace serial {

QByteArray freeTextBytes(const QString &text)
{
    QByteArray bytes = text.toLatin1();
    if (!bytes.isEmpty() && bytes.endsWith('\n')) {
        bytes.chop(1);
        bytes.append("\r\n");
    }
    return bytes;
}

} // namespace serial
