// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A file an operator names for a profile, read or replaced only when it is
// a regular file (or a link to one): never a device, a FIFO or a folder,
// whose name a slip of the hand or a hostile path can give. Reading never
// blocks (a FIFO would wait for a writer) and stops at a size limit;
// replacing is whole or nothing, and keeps the file's owner and mode.

#include <QByteArray>
#include <QString>

namespace profile {

class RegularFile
{
public:
    // The whole file, at most `limit` bytes; otherwise false, and `error`
    // says why ("cannot read PATH: ...").
    static bool read(const QString &path, qint64 limit, QByteArray *bytes, QString *error);

    // Replaces `path` (or creates it) with `bytes`, all on disk, or leaves
    // what was there; otherwise false, and `error` says why ("cannot write
    // PATH: ...").
    static bool write(const QString &path, const QByteArray &bytes, QString *error);
};

} // namespace profile
