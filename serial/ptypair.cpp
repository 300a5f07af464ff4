// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/ptypair.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace serial {

bool openPtyPair(PtyPair *pair, QString *error)
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(qt_error_string(errno));
        return false;
    }
    char name[PATH_MAX];
    if (::ptsname_r(master, name, sizeof name) != 0) {
        *error = QStringLiteral("cannot name the pseudo-terminal: %1").arg(qt_error_string(errno));
        ::close(slave);
        ::close(master);
        return false;
    }
    termios tio;
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    pair->master = master;
    pair->slave = slave;
    pair->slavePath = QString::fromLocal8Bit(name);
    return true;
}

} // namespace serial
