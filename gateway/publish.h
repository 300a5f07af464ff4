// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace gateway {

// orvante-ctl publish: reads its command line (the program's name first, then
// everything after "publish", the port options included) and, when it can
// run, runs the gateway. Returns the exit status.
int publish(const QStringList &arguments);

} // namespace gateway
