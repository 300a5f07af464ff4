#include "app/options.h"

#include "serial/ports.h"

#include <QCommandLineParser>

namespace {
const QCommandLineOption &portOption()
{
    static const QCommandLineOption option(
        "port",
        "Offer device PATH in Scan as well (a pseudo-terminal, a network-serial bridge, the "
        "simulator); listed only if it opens. Repeatable.",
        "PATH");
    return option;
}
} // namespace

void addProgramOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        "Configure and watch a laser distance sensor on a serial line.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(portOption());
}

void applyProgramOptions(const QCommandLineParser &parser)
{
    serial::setExtraPortPaths(parser.values(portOption()));
}
