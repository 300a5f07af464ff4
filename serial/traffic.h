#pragma once

#include <QByteArray>
#include <QString>

namespace serial {

// The operator's free text as it goes out: Latin-1 ('?' for anything else),
// and a final line break sent as CR LF. Inner line breaks stay bare LF.
QByteArray freeTextBytes(const QString &text);

// Creates (truncates) the log file and writes the display text to it in text
// mode, as UTF-8. False with `error` set when the file cannot be created.
bool startTrafficLog(const QString &path, const QString &displayText, QString *error);

// Appends a received chunk exactly as it arrived. False with `error` set when
// the file cannot be opened.
bool appendTrafficLog(const QString &path, const QByteArray &chunk, QString *error);

} // namespace serial
