// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/displaycheck.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Held
{
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

QtMessageHandler previous = nullptr;
QList<Held> held;
bool platformNamed = false;

void pass(const Held &message)
{
    const QMessageLogContext context(message.file.constData(), message.line,
                                     message.function.constData(), message.category.constData());
    if (previous) {
        previous(message.type, context, message.text);
        return;
    }
    // What the toolkit's own handler prints.
    std::fprintf(stderr, "%s\n",
                 qPrintable(qFormatLogMessage(message.type, context, message.text)));
}

QString whatIsMissing()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (!platformNamed && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral("no display (DISPLAY is not set)");
#endif
    // The platform's own complaint comes first, the toolkit's summary after.
    return held.isEmpty() ? QStringLiteral("the display cannot be used")
                          : QStringLiteral("the display cannot be used (%1)")
                                .arg(held.constFirst().text.trimmed());
}

} // namespace

DisplayCheck::DisplayCheck(int argc, char **argv)
{
    platformNamed = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i)
        platformNamed = platformNamed || std::strcmp(argv[i], "-platform") == 0 ||
                        std::strcmp(argv[i], "--platform") == 0;
    previous = qInstallMessageHandler(&DisplayCheck::handle);
}

void DisplayCheck::passed()
{
    if (!m_watching)
        return;
    m_watching = false;
    qInstallMessageHandler(previous);
    for (const Held &message : qAsConst(held))
        pass(message);
    held.clear();
}

void DisplayCheck::handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        held.append({type, context.file, context.function, context.category, context.line, text});
        return;
    }
    const QString program = QCoreApplication::applicationName();
    std::fprintf(stderr,
                 "%s: cannot show the window: %s. Run it on a desktop, on a virtual display "
                 "(xvfb-run -a %s) or without one (%s -platform offscreen).\n",
                 qPrintable(program), qPrintable(whatIsMissing()), qPrintable(program),
                 qPrintable(program));
    std::fflush(nullptr);
    // Nothing the toolkit half made can be taken down safely.
    std::_Exit(1);
}
