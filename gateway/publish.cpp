// SPDX-License-Identifier: GPL-3.0-or-later
#include "gateway/publish.h"

#include "ctl/report.h"
#include "gateway/gateway.h"
#include "gateway/mqttclient.h"
#include "gateway/settings.h"
#include "serial/advice.h"

#include <QCommandLineParser>

namespace gateway {

namespace {

const char kUsage[] = "Usage: orvante-ctl --port PATH [--preset N] publish --mqtt URL [OPTIONS]";

const char kDescription[] =
    "Publishes the sensor's distances to an MQTT broker, as a gateway that keeps\n"
    "running: it reads the identity, starts a continuous measurement and publishes\n"
    "below the topic PREFIX of --mqtt: PREFIX/status (online, sensor-lost, offline;\n"
    "retained, offline also as the broker's last will), PREFIX/identity (JSON,\n"
    "retained), PREFIX/distance (every frame as JSON, or the last of each\n"
    "--interval) and PREFIX/stats (once a second: frames, rate, min, max, mean and\n"
    "standard deviation in mm, and the frames dropped so far and why). The payloads\n"
    "are described in docs/mqtt.md (installed in /usr/share/doc/orvante-usart).\n"
    "\n"
    "A lost sensor is opened again after 2 s, backing off to 30 s, and its identity\n"
    "read again; a lost broker is connected again after 1 s, backing off to 30 s.\n"
    "While the broker is away, frames are dropped and counted at QoS 0, or queued\n"
    "at QoS 1 (up to %QUEUE% messages, about 17 MB; the oldest dropped and counted\n"
    "beyond). Stopping it with %STOP%\n"
    "sends Stop to the sensor, publishes offline and disconnects (status 0).\n"
    "Every event is one line on standard error.\n"
    "\n"
    "The password is read from --password-file or ORV_MQTT_PASSWORD, never from\n"
    "the command line, and is never printed; over mqtt:// it draws a warning.\n"
    "--config FILE reads the options from FILE, one \"key = value\" a line, the\n"
    "keys being the long options without their dashes (port, preset, mqtt, cafile,\n"
    "cert, key, qos, interval, password-file); '#' starts a comment line; options\n"
    "given on the command line as well take precedence.\n"
    "\n"
    "Exit status: 0 stopped by a signal, 2 usage error or a configuration that\n"
    "cannot be used, 5 the broker refused the gateway (user, password) or its TLS\n"
    "certificate did not verify.";

void addOptions(QCommandLineParser &parser)
{
    parser.addOption({"port", "Serial device of the sensor (any port orvante-ctl takes).",
                      "PATH"});
    parser.addOption({"preset", "Line preset of the port, 0-7, as for the other commands.", "N"});
    parser.addOption({"mqtt",
                      "The broker and the topic prefix: mqtt://[USER@]HOST[:PORT]/PREFIX, or "
                      "mqtts://... for TLS (ports 1883 and 8883 unless given).",
                      "URL"});
    parser.addOption({"qos", "QoS of the distances and statistics: 0 (default) or 1.", "0|1"});
    parser.addOption({"interval",
                      "Publish only the last frame of every MS milliseconds (0, the default: "
                      "every frame).",
                      "MS"});
    parser.addOption({"password-file",
                      "Read the broker password from the first line of FILE (else "
                      "ORV_MQTT_PASSWORD, if set).",
                      "FILE"});
    parser.addOption({"cafile",
                      "mqtts: the CA certificates (PEM) the broker's certificate must verify "
                      "against (default: the system's).",
                      "FILE"});
    parser.addOption({"cert", "mqtts: the gateway's own certificate (PEM), with --key.", "FILE"});
    parser.addOption({"key", "mqtts: the private key of --cert (PEM).", "FILE"});
    parser.addOption({"config", "Read the options from FILE (format above).", "FILE"});
    parser.addOption({{"h", "help"}, "Show this help."});
}

QString helpText(const QCommandLineParser &parser)
{
    const QString text = parser.helpText();
    return kUsage + text.mid(text.indexOf('\n'));
}

int usage(const QString &problem)
{
    return ctl::fail(ctl::UsageError, problem + "; see orvante-ctl publish --help");
}

} // namespace

int publish(const QStringList &arguments)
{
    // Refused before anything else reads it, and never echoed.
    for (const QString &argument : arguments) {
        if (argument == "--password" || argument.startsWith("--password=") ||
            argument == "-password")
            return usage("no password on the command line: anyone on this machine can read it; "
                         "use --password-file FILE or ORV_MQTT_PASSWORD");
    }
    QCommandLineParser parser;
    addOptions(parser);
    parser.setApplicationDescription(
        QString(kDescription)
            .replace("%QUEUE%", QString::number(MqttClient::kQueueBound))
            .replace("%STOP%", serial::platformAdvice().stopKeys));
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet("help")) {
        ctl::printRaw(helpText(parser).toUtf8());
        return ctl::Done;
    }
    if (!parser.positionalArguments().isEmpty())
        return usage(QString("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    Settings settings;
    if (parser.values("config").size() > 1)
        return usage("config given twice");
    if (parser.isSet("config")) {
        const QString problem = settings.readFile(parser.value("config"));
        if (!problem.isEmpty())
            return ctl::fail(ctl::UsageError, problem);
    }
    // The command line over the file: each key it gives replaces the file's.
    Settings given;
    for (const QString &key : Settings::keys()) {
        const QStringList values = parser.values(key);
        for (const QString &value : values) {
            QString problem = given.take(key, value, QString());
            if (problem.isEmpty())
                problem = settings.take(key, value, QString(), true);
            if (!problem.isEmpty())
                return usage("--" + problem);
        }
    }
    QStringList warnings;
    const QString problem = settings.complete(qgetenv("ORV_MQTT_PASSWORD"), &warnings);
    if (!problem.isEmpty())
        return usage(problem);
    for (const QString &warning : warnings)
        ctl::fail(ctl::Done, "warning: " + warning);
    return Gateway(settings).run();
}

} // namespace gateway
