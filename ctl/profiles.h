// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// orvante-ctl profile save, apply and diff: a sensor's settings to a file,
// a file's to a sensor, and what differs.

#include "ctl/options.h"

namespace ctl {

int saveProfile(const Invocation &inv);
int applyProfile(const Invocation &inv);
int diffProfile(const Invocation &inv);

} // namespace ctl
