// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

class QMessageLogContext;
class QString;

// Watches the QApplication being made. Without a usable display the toolkit
// would abort with a hint to reinstall the program; instead one line on stderr
// says what is missing and how to do without it, and the process ends with
// status 1. Messages the toolkit gives on the way are held back, and passed on
// once the application exists.
class DisplayCheck
{
public:
    // The command line as QApplication gets it (for a -platform given there).
    DisplayCheck(int argc, char **argv);
    // Call once the QApplication exists.
    void passed();
    ~DisplayCheck() { passed(); }
    DisplayCheck(const DisplayCheck &) = delete;
    DisplayCheck &operator=(const DisplayCheck &) = delete;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text);

    bool m_watching = true;
};
