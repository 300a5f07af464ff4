// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/linepresets.h"

namespace protocol {

QString linePresetName(int index)
{
    if (!isLinePreset(index))
        return QString();
    const LinePreset &preset = kLinePresets[index];
    // One stop bit on every preset.
    return QStringLiteral("%1 %2%3%4")
        .arg(preset.baudRate)
        .arg(preset.dataBits)
        .arg(QLatin1Char(preset.parity))
        .arg(1);
}

} // namespace protocol
