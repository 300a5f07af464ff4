// SPDX-License-Identifier: GPL-3.0-or-later
#include "ctl/report.h"

#include "protocol/printable.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace ctl {

namespace {

// The first failure to write each stream (an errno), for finish().
int g_stdoutError = 0;
int g_stderrError = 0;

// Writes `bytes` and flushes; a failure is remembered for finish().
bool put(std::FILE *stream, const QByteArray &bytes)
{
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size());
    if (std::fflush(stream) == 0 && written)
        return true;
    int &error = stream == stdout ? g_stdoutError : g_stderrError;
    if (!error)
        error = errno ? errno : EIO;
    return false;
}

} // namespace

void guardOutputs()
{
#ifdef Q_OS_UNIX
    // A closed standard stream's number would go to the next file opened,
    // the serial port, and what is printed to the sensor. A read-only
    // /dev/null holds it instead: writes to it fail, and are reported.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF && ::open("/dev/null", O_RDONLY) != fd)
            return;
    }
#endif
}

int finish(int status)
{
    // What is still buffered can fail only now; a stdout never written to
    // (closed or not) is no error.
    if (std::fclose(stdout) != 0 && !g_stdoutError)
        g_stdoutError = errno;
    if (g_stdoutError)
        fail(OutputFailed, QString("cannot write standard output: %1")
                               .arg(QString::fromLocal8Bit(std::strerror(g_stdoutError))));
    if (std::fflush(stderr) != 0 && !g_stderrError)
        g_stderrError = errno;
    const bool failed = g_stdoutError || g_stderrError;
    return failed && status == Done ? int(OutputFailed) : status;
}

bool printRaw(const QByteArray &bytes)
{
    return put(stdout, bytes);
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
    put(stderr, line.toUtf8() + '\n');
}

int fail(int status, const QString &message)
{
    // One line, whatever a file or the sensor put into the message.
    put(stderr, "orvante-ctl: " + protocol::printable(message).toUtf8() + '\n');
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
            printLine(field.first + ": " + protocol::printable(field.second));
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
    const QString text = protocol::printable(
        QString::fromLatin1(shown.constData(), qMin(kShown, int(shown.size()))));
    return "'" + text + (shown.size() > kShown ? "...'" : "'");
}

} // namespace ctl
