// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/regularfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace profile {

namespace {

#ifdef Q_OS_UNIX
QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What a path names, when it is not a regular file.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}
#endif

QString tooLarge(qint64 limit)
{
    return QString("larger than %1 bytes; a profile is a few hundred").arg(limit);
}

} // namespace

bool RegularFile::read(const QString &path, qint64 limit, QByteArray *bytes, QString *error)
{
    const QString cannot = QString("cannot read %1: ").arg(path);
    QFile file(path);
#ifdef Q_OS_UNIX
    // Without O_NONBLOCK, opening a FIFO waits for a writer.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st = {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        *error = cannot + systemError(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = cannot + "it is " + kindOf(st.st_mode) + ", not a profile file";
        return false;
    }
    const bool opened = file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
#else
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile()) {
        *error = cannot + "it is not a regular file, not a profile file";
        return false;
    }
    const bool opened = file.open(QIODevice::ReadOnly);
#endif
    if (!opened || file.size() > limit) {
        *error = cannot + (opened ? tooLarge(limit) : file.errorString());
        return false;
    }
    // It may grow while it is read.
    *bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError || bytes->size() > limit) {
        *error = cannot + (bytes->size() > limit ? tooLarge(limit) : file.errorString());
        return false;
    }
    return true;
}

bool RegularFile::write(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString cannot = QString("cannot write %1: ").arg(path);
#ifdef Q_OS_UNIX
    // Renaming over a device or a FIFO would replace it (as root, even
    // /dev/null) with a regular file.
    struct stat st = {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        *error = cannot + "it is " + kindOf(st.st_mode) + "; nothing was written";
        return false;
    }
#else
    const bool exists = QFileInfo::exists(path);
    if (exists && !QFileInfo(path).isFile()) {
        *error = cannot + "it is not a regular file; nothing was written";
        return false;
    }
#endif
    // Written beside the file and renamed over it; through a link, beside
    // the link's target, which is the file meant.
    QSaveFile file(exists ? QFileInfo(path).canonicalFilePath() : path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = cannot + file.errorString();
        return false;
    }
    const QString kept = exists ? "; the file is as it was" : QString();
#ifdef Q_OS_UNIX
    // The new file is the writer's; the one it replaces keeps its owner (a
    // root shell saving into another user's file) and its mode.
    const int fd = file.handle();
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
        ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        *error = cannot +
                 QString("it belongs to user %1, group %2, and cannot stay theirs (%3)")
                     .arg(st.st_uid)
                     .arg(st.st_gid)
                     .arg(systemError(errno)) +
                 kept;
        file.cancelWriting();
        return false;
    }
    if (exists && ::fchmod(fd, st.st_mode & 07777) != 0) {
        *error = cannot + "cannot keep its mode (" + systemError(errno) + ")" + kept;
        file.cancelWriting();
        return false;
    }
#endif
    // commit() can report success after a buffered write failed (a full
    // disk): every step is checked before the rename.
    bool whole =
        file.write(bytes) == bytes.size() && file.flush() && file.error() == QFileDevice::NoError;
    QString why = file.errorString();
#ifdef Q_OS_UNIX
    if (whole && ::fsync(file.handle()) != 0) {
        whole = false;
        why = systemError(errno);
    }
#endif
    if (!whole) {
        file.cancelWriting();
        *error = cannot + why + kept;
        return false;
    }
    if (!file.commit()) {
        *error = cannot + file.errorString() + kept;
        return false;
    }
    return true;
}

} // namespace profile
