// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A sensor's settings as a profile holds them. Each setting is there or not:
// one that is not is left alone when the profile is applied and not compared.
// Distances are in 0.1 mm, as the sensor counts them.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace profile {

// The analog output: current range and the distances at its two ends, set
// together (the range command asks for both distances).
struct Analog
{
    int range = 0; // 0: 0-20 mA, 1: 4-20 mA
    qint64 min = 0;
    qint64 max = 0;
    bool operator==(const Analog &o) const
    {
        return range == o.range && min == o.min && max == o.max;
    }
};

// Both switching outputs' thresholds, set together (output 2 follows 1).
struct Switching
{
    qint64 on1 = 0, off1 = 0, on2 = 0, off2 = 0;
    bool operator==(const Switching &o) const
    {
        return on1 == o.on1 && off1 == o.off1 && on2 == o.on2 && off2 == o.off2;
    }
};

struct Profile
{
    // Read back from the sensor and written to it.
    std::optional<Analog> analog;
    std::optional<Switching> switching;
    // Written, never read back: the sensor does not report them.
    std::optional<int> switchingMode; // 1 or 2
    std::optional<int> linePreset;    // 0..7
    std::optional<bool> autoMeasure;

    // Where the values came from; recorded, never written.
    QString serialNumber;
    QString version;
    QString productionDate;
    QString savedAt;

    // Nothing to write.
    bool isEmpty() const;
};

// The name of an analog range (Analog::range) as the file and orvante-ctl
// write it (protocol::AnalogRange::name): "0-20", "4-20".
QString rangeName(int range);

// The largest distance an 8-character field holds.
constexpr qint64 kMaxDistance = 99999999;

// The command bytes the settings of `p` go out as, in the order they are
// applied, each setting's writes in one entry (name, writes). The line
// preset comes last: the sensor changes speed after it. The analog
// distances and the second switching-output command follow the sensor's
// answer to the command before them.
struct PlannedSetting
{
    enum Kind { AutoMeasure, AnalogOutput, SwitchingOutputs, LinePreset };
    Kind kind;
    QString name;
    QList<QByteArray> writes;
};
QList<PlannedSetting> plan(const Profile &p);

} // namespace profile
