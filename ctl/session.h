// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ctl/options.h"

namespace ctl {

// Runs one invocation against the sensor (or, for ports, against the list of
// ports) and returns the exit status.
int run(const Invocation &invocation);

} // namespace ctl
