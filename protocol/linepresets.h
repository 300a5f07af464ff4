// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sensor's eight line presets: the index is what "ut+N" sends, what the
// window's two preset combo boxes list in this order, what orvante-ctl's
// --preset takes and what the simulated sensor keeps.

#include <QString>

namespace protocol {

struct LinePreset
{
    int baudRate;
    int dataBits; // 8 without parity, 7 with even parity
    char parity;  // 'N' or 'E'
};

constexpr int kLinePresetCount = 8;

constexpr LinePreset kLinePresets[kLinePresetCount] = {
    {9600, 8, 'N'},  {9600, 7, 'E'},  {19200, 8, 'N'},  {19200, 7, 'E'},
    {38400, 8, 'N'}, {38400, 7, 'E'}, {115200, 8, 'N'}, {115200, 7, 'E'},
};

constexpr bool isLinePreset(int index)
{
    return index >= 0 && index < kLinePresetCount;
}

// "9600 8N1", "9600 7E1", ...: how the command-line programs name a preset.
// Empty for an index outside 0..7.
QString linePresetName(int index);

} // namespace protocol
