// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The analog output's two current ranges and every form a range takes: the
// code byte the sensor sends in its analog output answer and takes in the
// range command, the index of the range in the settings page's box and in a
// profile, the text the query page shows, and the name profile files and
// orvante-ctl use.

#include <QString>

namespace protocol {

struct AnalogRange
{
    char code;         // '0', '1'
    int index;         // 0, 1
    const char *shown; // "0~20", "4~20"
    const char *name;  // "0-20", "4-20"
};

// Both ranges, 0~20 mA first (index order).
constexpr AnalogRange kAnalogRanges[] = {{'0', 0, "0~20", "0-20"}, {'1', 1, "4~20", "4-20"}};

// The range of that code byte, index or name; null for any other.
const AnalogRange *analogRangeByCode(char code);
const AnalogRange *analogRangeByIndex(int index);
const AnalogRange *analogRangeByName(const QString &name);

} // namespace protocol
