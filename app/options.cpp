#include "app/options.h"

#include "serial/ports.h"
#include "serial/trafficdisplay.h"

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

const QCommandLineOption &scrollbackOption()
{
    static const QCommandLineOption option(
        "scrollback",
        QString("Keep the last N lines in the display (default %1; 0: no limit). The traffic "
                "log keeps everything.")
            .arg(serial::kDefaultScrollbackLines),
        "N");
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
    parser.addOption(scrollbackOption());
}

bool applyProgramOptions(const QCommandLineParser &parser, QString *error)
{
    serial::setExtraPortPaths(parser.values(portOption()));
    if (parser.isSet(scrollbackOption())) {
        bool ok = false;
        const int lines = parser.value(scrollbackOption()).toInt(&ok);
        if (!ok || lines < 0) {
            *error = QString("--scrollback needs a whole number of lines, 0 or more (0: no "
                             "limit), not \"%1\".")
                         .arg(parser.value(scrollbackOption()));
            return false;
        }
        serial::setScrollbackLines(lines);
    }
    return true;
}
