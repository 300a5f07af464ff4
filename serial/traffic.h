// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace serial {

// The operator's free text as it goes out: Latin-1 ('?' for anything else),
// and a final line break sent as CR LF. Inner line breaks stay bare LF.
QByteArray freeTextBytes(const QString &text);

} // namespace serial
