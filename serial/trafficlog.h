// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The traffic log: the display's text when the log is started, then every
// received chunk exactly as it arrived. The file is opened once, when the log
// starts, and kept open; each chunk is written and flushed at once, so the
// file on disk is always complete up to the last chunk. Keeping it open also
// means a path that is replaced after that (by a symbolic link, another file,
// a folder) can never divert the traffic elsewhere.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <memory>

class QFile;

namespace serial {

class TrafficLog
{
public:
    TrafficLog();
    ~TrafficLog();
    TrafficLog(const TrafficLog &) = delete;
    TrafficLog &operator=(const TrafficLog &) = delete;

    // Creates (truncates) `path` and writes the display text in text mode.
    // On success the new file takes over from the one before (which is
    // closed); on failure the log goes on as it was, and `error` says why.
    bool start(const QString &path, const QString &displayText, QString *error);

    // Appends a chunk's raw bytes and flushes them. False, with the system's
    // reason in `error`, when the bytes did not all reach the file or the file
    // is no longer where the operator will look for it (deleted, moved,
    // replaced; checked at most every 250 ms); the log is closed then. What
    // reached the file is always what was received, up to some byte.
    bool append(const QByteArray &chunk, QString *error);

    void close();
    bool isOpen() const;
    QString path() const;

private:
    struct Identity;

    std::unique_ptr<QFile> m_file;
    std::unique_ptr<Identity> m_identity;
    // When the file was last checked for still being at its path.
    QElapsedTimer m_checked;
};

} // namespace serial
