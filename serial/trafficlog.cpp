#include "serial/trafficlog.h"

#include <QFile>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace serial {

namespace {

// How often the file is checked for still having its name: a few times a
// second tells the operator in time, at a few system calls a second.
constexpr qint64 kNameCheckMs = 250;

// The file behind an open handle has lost its last name: writes still
// succeed, into a file nobody can open any more.
bool unlinked(const QFile &file)
{
#ifdef Q_OS_UNIX
    struct stat info;
    return ::fstat(file.handle(), &info) == 0 && info.st_nlink == 0;
#else
    // Elsewhere an open file cannot be deleted or replaced.
    Q_UNUSED(file);
    return false;
#endif
}

} // namespace

TrafficLog::TrafficLog() = default;
TrafficLog::~TrafficLog() = default;

bool TrafficLog::start(const QString &path, const QString &displayText, QString *error)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Text)) {
        *error = file->errorString();
        return false;
    }
    QTextStream stream(file.get());
    // The same bytes whichever toolkit version or locale: the display's text
    // as UTF-8, line ends in the platform's convention.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    stream.setEncoding(QStringConverter::Utf8);
#else
    stream.setCodec("UTF-8");
#endif
    stream << displayText;
    stream.flush();
    // A full device accepts the open and refuses the bytes.
    if (stream.status() != QTextStream::Ok || !file->flush()) {
        *error = file->errorString();
        return false;
    }
    // Chunks are logged as received, without line-end translation.
    file->setTextModeEnabled(false);
    m_file = std::move(file);
    m_checked.start();
    return true;
}

bool TrafficLog::append(const QByteArray &chunk, QString *error)
{
    if (!m_file) {
        *error = QStringLiteral("the log is not open");
        return false;
    }
    if (m_file->write(chunk) != chunk.size() || !m_file->flush()) {
        *error = m_file->errorString();
        close();
        return false;
    }
    if (m_checked.elapsed() >= kNameCheckMs) {
        m_checked.start();
        if (!unlinked(*m_file))
            return true;
        *error = QStringLiteral("the file was deleted or replaced");
        close();
        return false;
    }
    return true;
}

void TrafficLog::close()
{
    m_file.reset();
}

bool TrafficLog::isOpen() const
{
    return m_file != nullptr;
}

QString TrafficLog::path() const
{
    return m_file ? m_file->fileName() : QString();
}

} // namespace serial
