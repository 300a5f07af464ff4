// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// Off by default so a normal run stays quiet; switch on with e.g.
// QT_LOGGING_RULES="orvante.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcProtocol)
// The port's writes are traced on serial::lcTx (serial/link.h).
