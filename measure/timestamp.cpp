// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/timestamp.h"

namespace measure {

QString timestamp(const QDateTime &when)
{
    // Local time that says its offset, so lines from different machines or
    // either side of a clock change still compare.
    const QDateTime local = when.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace measure
