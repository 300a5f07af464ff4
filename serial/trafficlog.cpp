// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/trafficlog.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace serial {

namespace {

// How often the file is checked for still being where it was created: a few
// times a second tells the operator in time, at a few system calls a second.
constexpr qint64 kNameCheckMs = 250;

// Writes all of `bytes`. A short write is not a failure yet (the system may
// take the rest); the write after it fails with the system's reason, which
// the short write itself does not report (a full disk: "No space left on
// device", not "Unknown error").
bool writeAll(QFile &file, const QByteArray &bytes, QString *error)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0) {
            *error = file.errorString();
            return false;
        }
        data += written;
        left -= written;
    }
    if (!file.flush()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

#ifdef Q_OS_UNIX
// The identity of the file the log writes into, and whether the path still
// leads to it: deleted, renamed away, replaced by another file, a folder or a
// symbolic link, the writes would go where the operator will not look.
struct TrafficLog::Identity
{
    QByteArray path;
    dev_t device = 0;
    ino_t inode = 0;

    bool take(const QFile &file)
    {
        path = QFile::encodeName(QFileInfo(file.fileName()).absoluteFilePath());
        struct stat info;
        if (::fstat(file.handle(), &info) != 0)
            return false;
        device = info.st_dev;
        inode = info.st_ino;
        return true;
    }

    bool stillAtPath() const
    {
        struct stat info;
        return ::stat(path.constData(), &info) == 0 && info.st_dev == device &&
               info.st_ino == inode;
    }
};
#else
// Elsewhere an open file cannot be deleted, renamed or replaced.
struct TrafficLog::Identity
{
    bool take(const QFile &) { return true; }
    bool stillAtPath() const { return true; }
};
#endif

TrafficLog::TrafficLog() = default;
TrafficLog::~TrafficLog() = default;

bool TrafficLog::start(const QString &path, const QString &displayText, QString *error)
{
    // Unbuffered: every write reaches the system at once, and a failed write
    // leaves nothing behind in a buffer to be written (twice) later.
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered)) {
        *error = file->errorString();
        return false;
    }
    // The display's text as UTF-8 whichever toolkit version or locale, line
    // ends in the platform's convention (text mode). A full device accepts
    // the open and refuses the bytes.
    if (!writeAll(*file, displayText.toUtf8(), error))
        return false;
    auto identity = std::make_unique<Identity>();
    if (!identity->take(*file)) {
        *error = file->errorString();
        return false;
    }
    // Chunks are logged as received, without line-end translation.
    file->setTextModeEnabled(false);
    m_file = std::move(file);
    m_identity = std::move(identity);
    m_checked.start();
    return true;
}

bool TrafficLog::append(const QByteArray &chunk, QString *error)
{
    if (!m_file) {
        *error = QStringLiteral("the log is not open");
        return false;
    }
    if (!writeAll(*m_file, chunk, error)) {
        close();
        return false;
    }
    if (m_checked.elapsed() >= kNameCheckMs) {
        m_checked.start();
        if (!m_identity->stillAtPath()) {
            *error = QStringLiteral("the file was deleted, moved or replaced");
            close();
            return false;
        }
    }
    return true;
}

void TrafficLog::close()
{
    m_file.reset();
    m_identity.reset();
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
