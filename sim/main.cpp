// SPDX-License-Identifier: GPL-3.0-or-later
// sensor-sim: serves the simulated laser distance sensor on a pseudo-terminal
// (default) or on a serial device, so the configuration tool can be run and
// tested without the hardware.

#include "console/interrupts.h"
#include "sim/commandline.h"
#include "sim/ptyline.h"
#include "sim/serialline.h"
#include "sim/simulator.h"
#include "version/version.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

int fail(int status, const QString &message)
{
    std::fprintf(stderr, "sensor-sim: %s\n", qPrintable(message));
    return status;
}

// A stable name for the pty, replacing a leftover link but nothing else.
bool makeLink(const QString &linkPath, const QString &target, QString *error)
{
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        QFile::remove(linkPath);
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    if (!QFile::link(target, linkPath)) {
        *error = QStringLiteral("cannot create the link %1").arg(linkPath);
        return false;
    }
    return true;
}

// The line the sensor is served on: the device asked for, or a new
// pseudo-terminal (with its link). `path` is what the program opens.
std::unique_ptr<sim::Line> openLine(const sim::Settings &settings, QString *path, QString *error)
{
    if (!settings.device.isEmpty()) {
        auto device = std::make_unique<sim::SerialLine>();
        if (!device->open(settings.device, settings.model.linePreset, error))
            return nullptr;
        *path = settings.device;
        return device;
    }
    auto pty = std::make_unique<sim::PtyLine>();
    if (!pty->open(settings.model.linePreset, error))
        return nullptr;
    *path = pty->slavePath();
    if (!settings.link.isEmpty() && !makeLink(settings.link, *path, error))
        return nullptr;
    return pty;
}

// The link goes with the run, unless something else has taken its place.
void removeLink(const QString &linkPath, const QString &target)
{
    if (!linkPath.isEmpty() && QFileInfo(linkPath).symLinkTarget() == target)
        QFile::remove(linkPath);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("sensor-sim");
    QCoreApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));

    sim::Settings settings;
    QString error;
    if (!sim::readCommandLine(app, &settings, &error))
        return fail(sim::kUsageError, error);

    // SIGINT, SIGTERM and SIGHUP end the run through the event loop, so the
    // link is removed.
    console::Interrupts interrupts([&app] { app.quit(); });

    QString path;
    const std::unique_ptr<sim::Line> line = openLine(settings, &path, &error);
    if (!line)
        return fail(1, error);

    int status = 0;
    line->lost = [&](const QString &why) {
        if (status == 0)
            fail(1, "line lost: " + why);
        status = 1;
        line->close();
        app.quit();
    };
    sim::Simulator simulator(settings.model, line.get(), settings.verbose);
    // Quit from the event loop: the drop may fire before exec() starts.
    simulator.dropped = [&app] { QTimer::singleShot(0, &app, &QCoreApplication::quit); };
    simulator.start();

    // The path on stdout tells whoever started the simulator where to connect.
    std::fprintf(stdout, "%s\n", qPrintable(path));
    std::fflush(stdout);

    app.exec();

    line->close();
    removeLink(settings.link, path);
    return status;
}
