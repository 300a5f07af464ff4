// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/profile.h"

#include "protocol/analogrange.h"
#include "protocol/commands.h"

namespace profile {

bool Profile::isEmpty() const
{
    return !analog && !switching && !linePreset && !autoMeasure;
}

QString rangeName(int range)
{
    const protocol::AnalogRange *r = protocol::analogRangeByIndex(range);
    return r ? QString::fromLatin1(r->name) : QString();
}

namespace {

QByteArray field(qint64 distance)
{
    return protocol::numberField(QByteArray::number(distance));
}

} // namespace

QList<PlannedSetting> plan(const Profile &p)
{
    using namespace protocol;
    QList<PlannedSetting> out;
    if (p.autoMeasure)
        out.append({PlannedSetting::AutoMeasure, "automatic measurement", {autoMeasureCommand(*p.autoMeasure ? 0 : 1)}});
    if (p.analog) {
        PlannedSetting s{PlannedSetting::AnalogOutput, "analog output", {analogCurrentCommand(p.analog->range)}};
        s.writes += analogRangeWrites(QByteArray::number(p.analog->min),
                                      QByteArray::number(p.analog->max));
        out.append(s);
    }
    if (p.switching && p.switchingMode) {
        const Switching &d = *p.switching;
        QByteArray second = kSwitchingSecondTemplate;
        const QByteArray first = switchingCommands(*p.switchingMode - 1, field(d.on1),
                                                   field(d.off1), field(d.on2), field(d.off2),
                                                   second);
        out.append({PlannedSetting::SwitchingOutputs, "switching outputs", {first, second, kLineEnd}});
    }
    if (p.linePreset)
        out.append({PlannedSetting::LinePreset, "line preset", {lineSpeedCommand(*p.linePreset)}});
    return out;
}

} // namespace profile
