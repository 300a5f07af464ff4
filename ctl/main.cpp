// SPDX-License-Identifier: GPL-3.0-or-later
// orvante-ctl: the sensor's queries, settings and measurements for scripts.

#include "ctl/options.h"
#include "ctl/report.h"
#include "ctl/session.h"
#include "version/version.h"
#ifdef ORV_WITH_PUBLISH
#include "gateway/publish.h"
#endif

#include <QCoreApplication>

#include <cstdio>

namespace {

int runCommandLine(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("orvante-ctl");
    QCoreApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));

    const ctl::CommandLine line = ctl::parseCommandLine(QCoreApplication::arguments());
    switch (line.outcome) {
    case ctl::CommandLine::Print:
        ctl::printRaw(line.text.toUtf8());
        return ctl::Done;
    case ctl::CommandLine::Usage:
        return ctl::fail(ctl::UsageError, line.text);
    case ctl::CommandLine::Run:
        break;
    }
#ifdef ORV_WITH_PUBLISH
    if (line.invocation.command == ctl::Verb::Publish)
        return gateway::publish(line.invocation.arguments);
#endif
    return ctl::run(line.invocation);
}

} // namespace

int main(int argc, char **argv)
{
    ctl::guardOutputs();
    return ctl::finish(runCommandLine(argc, argv));
}
