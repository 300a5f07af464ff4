#pragma once

#include <QLoggingCategory>

// Off by default so a normal run stays quiet; switch on with e.g.
// QT_LOGGING_RULES="orvante.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcProtocol)
// Every write to the port, one message per write, as hex.
Q_DECLARE_LOGGING_CATEGORY(lcTx)
