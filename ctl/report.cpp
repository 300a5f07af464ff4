// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/report.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace ctl {

namespace {

// Control characters would break the line, or the terminal.
QString oneLine(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QString("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace

bool printRaw(const QByteArray &bytes)
{
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    return std::fflush(stdout) == 0 && written;
}

bool printLine(const QString &line)
{
    return printRaw(line.toUtf8() + '\n');
}

void printStatistics(const QString &line, bool besideCsv)
{
    if (!besideCsv) {
        printLine(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

int fail(int status, const QString &message)
{
    std::fprintf(stderr, "orvante-ctl: %s\n", message.toUtf8().constData());
    std::fflush(stderr);
    return status;
}

void printFields(const Fields &fields, bool json)
{
    if (json) {
        QJsonObject object;
        for (const auto &field : fields)
            object.insert(field.first,
                          field.second.isEmpty() ? QJsonValue() : QJsonValue(field.second));
        printRaw(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
        return;
    }
    for (const auto &field : fields) {
        if (!field.second.isEmpty())
            printLine(field.first + ": " + oneLine(field.second));
    }
}

QString quote(const QByteArray &answer)
{
    // Its line ends say nothing.
    QByteArray shown = answer;
    while (shown.endsWith('\r') || shown.endsWith('\n'))
        shown.chop(1);
    constexpr int kShown = 40;
    // All of them: a zero byte does not end what was received.
    const QString text =
        oneLine(QString::fromLatin1(shown.constData(), qMin(kShown, int(shown.size()))));
    return "'" + text + (shown.size() > kShown ? "...'" : "'");
}

} // namespace ctl
