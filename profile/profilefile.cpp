// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/profilefile.h"

#include "profile/regularfile.h"
#include "protocol/analogrange.h"
#include "protocol/linepresets.h"
#include "protocol/printable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringList>

#include <cmath>

namespace profile {

namespace {

const QString kUnit = QStringLiteral("0.1 mm");

// A refusal, with the key it concerns.
struct Refusal
{
    QString message;
};

QString typeName(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Null:
        return "null";
    case QJsonValue::Bool:
        return "true or false";
    case QJsonValue::Double:
        return "a number";
    case QJsonValue::String:
        return "a text";
    case QJsonValue::Array:
        return "a list";
    case QJsonValue::Object:
        return "a group";
    default:
        return "nothing";
    }
}

// The key as the file spells it, ESC and all, is shown spelled out.
[[noreturn]] void refuse(const QString &key, const QString &what)
{
    throw Refusal{protocol::printable(key + ": " + what)};
}

void onlyKnownKeys(const QJsonObject &o, const QStringList &known, const QString &prefix)
{
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (!known.contains(it.key()))
            refuse(prefix + it.key(), "unknown key; known here: " + known.join(", "));
    }
}

QJsonObject group(const QJsonObject &top, const QString &key)
{
    const QJsonValue v = top.value(key);
    if (!v.isObject())
        refuse(key, "must be a group { ... }, not " + typeName(v));
    return v.toObject();
}

// A whole number from `min` to `max`; `what` names what is wanted.
qint64 whole(const QJsonObject &o, const QString &prefix, const QString &key, qint64 min,
             qint64 max, const QString &what)
{
    if (!o.contains(key))
        refuse(prefix + key, "missing; the other values of this group need it");
    const QJsonValue v = o.value(key);
    const double d = v.toDouble();
    if (!v.isDouble() || d != std::floor(d))
        refuse(prefix + key, QString("must be %1, not %2")
                                 .arg(what, v.isDouble() ? QString::number(d, 'g', 17)
                                                         : typeName(v)));
    if (d > double(max) && max == kMaxDistance)
        refuse(prefix + key, QString("%1 has more than 8 digits (at most %2, in %3)")
                                 .arg(QString::number(d, 'f', 0))
                                 .arg(max)
                                 .arg(kUnit));
    if (d < double(min) || d > double(max))
        refuse(prefix + key,
               QString("must be %1 from %2 to %3, not %4").arg(what).arg(min).arg(max).arg(d));
    return qint64(d);
}

qint64 distance(const QJsonObject &o, const QString &prefix, const QString &key)
{
    return whole(o, prefix, key, 0, kMaxDistance, "a whole number of " + kUnit);
}

QString text(const QJsonObject &o, const QString &prefix, const QString &key)
{
    const QJsonValue v = o.value(key);
    if (!v.isUndefined() && !v.isString())
        refuse(prefix + key, "must be a text, not " + typeName(v));
    return v.toString();
}

void readAnalog(const QJsonObject &top, Profile *p)
{
    const QString pre = "analog_output.";
    const QJsonObject o = group(top, "analog_output");
    onlyKnownKeys(o, {"range", "min", "max"}, pre);
    const QJsonValue range = o.value("range");
    if (range.isUndefined())
        refuse(pre + "range", "missing; the other values of this group need it");
    const protocol::AnalogRange *named = protocol::analogRangeByName(range.toString());
    if (!range.isString() || !named) {
        QStringList names;
        for (const protocol::AnalogRange &r : protocol::kAnalogRanges)
            names << "\"" + QString::fromLatin1(r.name) + "\"";
        refuse(pre + "range", "must be " + names.join(" or ") + " (mA), not " +
                                  (range.isString() ? "\"" + range.toString() + "\""
                                                    : typeName(range)));
    }
    p->analog = Analog{named->index, distance(o, pre, "min"), distance(o, pre, "max")};
}

void readSwitching(const QJsonObject &top, Profile *p)
{
    const QString pre = "switching_outputs.";
    const QJsonObject o = group(top, "switching_outputs");
    onlyKnownKeys(o, {"on1", "off1", "on2", "off2"}, pre);
    p->switching = Switching{distance(o, pre, "on1"), distance(o, pre, "off1"),
                             distance(o, pre, "on2"), distance(o, pre, "off2")};
}

void readWritten(const QJsonObject &top, Profile *p)
{
    const QString pre = "written_not_read_back.";
    const QJsonObject o = group(top, "written_not_read_back");
    onlyKnownKeys(o, {"switching_mode", "line_preset", "automatic_measurement"}, pre);
    if (o.contains("switching_mode"))
        p->switchingMode = int(whole(o, pre, "switching_mode", 1, 2, "the mode"));
    if (o.contains("line_preset"))
        p->linePreset = int(whole(o, pre, "line_preset", 0, protocol::kLinePresetCount - 1,
                                  "a line preset"));
    if (o.contains("automatic_measurement")) {
        const QJsonValue v = o.value("automatic_measurement");
        if (!v.isBool())
            refuse(pre + "automatic_measurement", "must be true or false, not " + typeName(v));
        p->autoMeasure = v.toBool();
    }
}

void readProvenance(const QJsonObject &top, Profile *p)
{
    const QString pre = "provenance.";
    const QJsonObject o = group(top, "provenance");
    onlyKnownKeys(o, {"serial_number", "version", "production_date", "saved_at"}, pre);
    p->serialNumber = text(o, pre, "serial_number");
    p->version = text(o, pre, "version");
    p->productionDate = text(o, pre, "production_date");
    p->savedAt = text(o, pre, "saved_at");
}

Profile fromObject(const QJsonObject &top)
{
    onlyKnownKeys(top,
                  {"format", "unit", "analog_output", "switching_outputs", "written_not_read_back",
                   "provenance"},
                  QString());
    if (!top.contains("format"))
        refuse("format", QString("missing; this program reads \"format\": %1")
                             .arg(ProfileFile::kFormat));
    const QJsonValue format = top.value("format");
    if (format.toDouble(-1) != ProfileFile::kFormat)
        refuse("format", QString("%1 is not known; this program reads format %2")
                             .arg(format.isDouble() ? QString::number(format.toDouble())
                                                    : typeName(format))
                             .arg(ProfileFile::kFormat));
    // Distances mean nothing without their unit; another one would be read
    // ten times off.
    if (!top.contains("unit"))
        refuse("unit", "missing; the distances need it: \"unit\": \"" + kUnit + "\"");
    if (top.value("unit") != QJsonValue(kUnit))
        refuse("unit", "must be \"" + kUnit + "\", the sensor's own unit");
    Profile p;
    if (top.contains("analog_output"))
        readAnalog(top, &p);
    if (top.contains("switching_outputs"))
        readSwitching(top, &p);
    if (top.contains("written_not_read_back"))
        readWritten(top, &p);
    if (top.contains("provenance"))
        readProvenance(top, &p);
    return p;
}

// Where a parse error's byte offset lies, as an editor counts.
QString lineAndColumn(const QByteArray &json, int offset)
{
    const QByteArray before = json.left(offset);
    const int line = before.count('\n') + 1;
    const int column = QString::fromUtf8(before.mid(before.lastIndexOf('\n') + 1)).size() + 1;
    return QString("line %1, column %2").arg(line).arg(column);
}

// The first key given twice in one group, as "group.key", with where it is
// given again; empty when none is. (The JSON reader keeps the last of two,
// and which one was meant cannot be known.) `json` has been read as JSON.
QString repeatedKey(const QByteArray &json, QString *where)
{
    struct Group
    {
        bool object;
        QString prefix;
        QSet<QString> keys;
    };
    QList<Group> groups;
    QString lastKey;
    bool keyNext = false;
    for (int i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (c == '"') {
            int end = i + 1;
            while (end < json.size() && json.at(end) != '"')
                end += json.at(end) == '\\' ? 2 : 1;
            if (keyNext) {
                // The key as the reader decodes it: an escaped letter is the letter.
                const QString key = QJsonDocument::fromJson("[" + json.mid(i, end - i + 1) + "]")
                                        .array()
                                        .at(0)
                                        .toString();
                Group &group = groups.last();
                lastKey = group.prefix + key;
                if (group.keys.contains(key)) {
                    *where = lineAndColumn(json, i);
                    return lastKey;
                }
                group.keys.insert(key);
                keyNext = false;
            }
            i = end;
        } else if (c == '{' || c == '[') {
            groups.append({c == '{', groups.isEmpty() ? QString() : lastKey + ".", {}});
            keyNext = c == '{';
        } else if ((c == '}' || c == ']') && !groups.isEmpty()) {
            groups.removeLast();
        } else if (c == ',') {
            keyNext = !groups.isEmpty() && groups.last().object;
        }
    }
    return QString();
}

} // namespace

bool ProfileFile::parse(const QByteArray &json, Profile *profile, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = lineAndColumn(json, parseError.offset) + ": " + parseError.errorString();
        return false;
    }
    if (!doc.isObject()) {
        *error = "not a profile: the file must hold one JSON object { ... }";
        return false;
    }
    try {
        QString where;
        const QString repeated = repeatedKey(json, &where);
        if (!repeated.isEmpty())
            refuse(repeated, "given twice (again at " + where + "); keep the one meant");
        *profile = fromObject(doc.object());
    } catch (const Refusal &refusal) {
        *error = refusal.message;
        return false;
    }
    return true;
}

QByteArray ProfileFile::toJson(const Profile &p)
{
    QJsonObject top{{"format", kFormat}, {"unit", kUnit}};
    if (p.analog)
        top.insert("analog_output", QJsonObject{{"range", rangeName(p.analog->range)},
                                                {"min", double(p.analog->min)},
                                                {"max", double(p.analog->max)}});
    if (p.switching)
        top.insert("switching_outputs", QJsonObject{{"on1", double(p.switching->on1)},
                                                    {"off1", double(p.switching->off1)},
                                                    {"on2", double(p.switching->on2)},
                                                    {"off2", double(p.switching->off2)}});
    QJsonObject written;
    if (p.switchingMode)
        written.insert("switching_mode", *p.switchingMode);
    if (p.linePreset)
        written.insert("line_preset", *p.linePreset);
    if (p.autoMeasure)
        written.insert("automatic_measurement", *p.autoMeasure);
    if (!written.isEmpty())
        top.insert("written_not_read_back", written);
    QJsonObject provenance;
    const QList<QPair<QString, QString>> known{{"serial_number", p.serialNumber},
                                               {"version", p.version},
                                               {"production_date", p.productionDate},
                                               {"saved_at", p.savedAt}};
    for (const auto &entry : known) {
        if (!entry.second.isEmpty())
            provenance.insert(entry.first, entry.second);
    }
    if (!provenance.isEmpty())
        top.insert("provenance", provenance);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

bool ProfileFile::read(const QString &path, Profile *profile, QString *error)
{
    QByteArray json;
    if (!RegularFile::read(path, kMaxFileBytes, &json, error))
        return false;
    QString problem;
    if (!parse(json, profile, &problem)) {
        *error = path + ": " + problem;
        return false;
    }
    return true;
}

bool ProfileFile::write(const QString &path, const Profile &profile, QString *error)
{
    return RegularFile::write(path, toJson(profile), error);
}

} // namespace profile
