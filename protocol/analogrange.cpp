// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/analogrange.h"

namespace protocol {

namespace {

template<typename Matches>
const AnalogRange *find(Matches matches)
{
    for (const AnalogRange &range : kAnalogRanges) {
        if (matches(range))
            return &range;
    }
    return nullptr;
}

} // namespace

const AnalogRange *analogRangeByCode(char code)
{
    return find([code](const AnalogRange &r) { return r.code == code; });
}

const AnalogRange *analogRangeByIndex(int index)
{
    return find([index](const AnalogRange &r) { return r.index == index; });
}

const AnalogRange *analogRangeByName(const QString &name)
{
    return find([&name](const AnalogRange &r) { return name == QLatin1String(r.name); });
}

} // namespace protocol
