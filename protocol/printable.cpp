// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/printable.h"

namespace protocol {

QString printable(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        // C0, DEL and the C1 controls, which some terminals obey too.
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            out += QString("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace protocol
