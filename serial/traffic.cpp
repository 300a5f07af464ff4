#include "serial/traffic.h"

#include <QFile>
#include <QTextStream>

namespace serial {

QByteArray freeTextBytes(const QString &text)
{
    QByteArray bytes = text.toLatin1();
    if (!bytes.isEmpty() && bytes.endsWith('\n')) {
        bytes.chop(1);
        bytes.append("\r\n");
    }
    return bytes;
}

bool startTrafficLog(const QString &path, const QString &displayText, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        *error = file.errorString();
        return false;
    }
    QTextStream stream(&file);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // UTF-8, as Qt 6 writes it and as the chunks that follow arrive, not the
    // locale's code page (Windows).
    stream.setCodec("UTF-8");
#endif
    stream << displayText;
    stream.flush();
    file.close();
    return true;
}

bool appendTrafficLog(const QString &path, const QByteArray &chunk, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::Append)) {
        *error = file.errorString();
        return false;
    }
    // Raw bytes: a text stream would re-encode anything that is not UTF-8.
    file.write(chunk);
    file.close();
    return true;
}

} // namespace serial
