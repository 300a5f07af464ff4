// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/comparison.h"

#include <functional>

namespace profile {

namespace {

template <typename T>
QString shown(const std::optional<T> &group, const std::function<QString(const T &)> &value)
{
    return group ? value(*group) : QString();
}

} // namespace

Comparison::Comparison(const Profile &left, const Profile &right, Scope scope)
{
    const bool all = scope == Scope::Everything;
    const auto add = [this](const QString &setting, const QString &l, const QString &r) {
        m_rows.append({setting, l, r, l == r});
    };
    if (right.analog || (all && left.analog)) {
        using F = std::function<QString(const Analog &)>;
        const QList<QPair<QString, F>> values{
            {"range", [](const Analog &a) { return rangeName(a.range); }},
            {"min", [](const Analog &a) { return QString::number(a.min); }},
            {"max", [](const Analog &a) { return QString::number(a.max); }}};
        for (const auto &v : values)
            add("analog_output." + v.first, shown(left.analog, v.second),
                shown(right.analog, v.second));
    }
    if (right.switching || (all && left.switching)) {
        using F = std::function<QString(const Switching &)>;
        const QList<QPair<QString, F>> values{
            {"on1", [](const Switching &s) { return QString::number(s.on1); }},
            {"off1", [](const Switching &s) { return QString::number(s.off1); }},
            {"on2", [](const Switching &s) { return QString::number(s.on2); }},
            {"off2", [](const Switching &s) { return QString::number(s.off2); }}};
        for (const auto &v : values)
            add("switching_outputs." + v.first, shown(left.switching, v.second),
                shown(right.switching, v.second));
    }
    if (!all)
        return;
    // The sensor does not report these; two files can still disagree on them.
    const auto number = [](const std::optional<int> &v) {
        return v ? QString::number(*v) : QString();
    };
    const auto onOff = [](const std::optional<bool> &v) {
        return v ? QString(*v ? "true" : "false") : QString();
    };
    const QString pre = "written_not_read_back.";
    if (left.switchingMode || right.switchingMode)
        add(pre + "switching_mode", number(left.switchingMode), number(right.switchingMode));
    if (left.linePreset || right.linePreset)
        add(pre + "line_preset", number(left.linePreset), number(right.linePreset));
    if (left.autoMeasure || right.autoMeasure)
        add(pre + "automatic_measurement", onOff(left.autoMeasure), onOff(right.autoMeasure));
}

QList<Comparison::Row> Comparison::differences() const
{
    QList<Row> out;
    for (const Row &row : m_rows) {
        if (!row.match)
            out.append(row);
    }
    return out;
}

} // namespace profile
