// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/textout.h"

#include <QCoreApplication>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace console {

namespace {

#ifdef Q_OS_WIN
bool handleWorks(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// True when `stream` reaches someone: a console program's console, output
// redirected to a file or a pipe, or the console of the prompt that started
// this window program (attached to here, the prompt does not wait for it).
bool canPrint(std::FILE *stream, DWORD which)
{
    if (GetConsoleWindow() || handleWorks(which))
        return true;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    std::freopen("CONOUT$", "w", stream);
    // The prompt has printed its prompt already: start on a line of our own.
    std::fputs("\n", stream);
    return true;
}
#endif

} // namespace

void showText(const QString &text, TextKind kind)
{
    std::FILE *stream = kind == TextKind::Mistake ? stderr : stdout;
#ifdef Q_OS_WIN
    if (!canPrint(stream, kind == TextKind::Mistake ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE)) {
        const UINT icon = kind == TextKind::Mistake ? MB_ICONERROR : MB_ICONINFORMATION;
        MessageBoxW(nullptr, reinterpret_cast<const wchar_t *>(text.utf16()),
                    reinterpret_cast<const wchar_t *>(QCoreApplication::applicationName().utf16()),
                    MB_OK | MB_SETFOREGROUND | icon);
        return;
    }
#endif
    std::fputs(qPrintable(text), stream);
    std::fflush(stream);
}

} // namespace console
