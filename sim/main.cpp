// sensor-sim: serves the simulated laser distance sensor on a pseudo-terminal
// (default) or on a serial device, so the configuration tool can be run and
// tested without the hardware.

#include "app/version.h"
#include "sim/sensormodel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    if (::write(g_signalPipe[0], &byte, 1) < 0) {
        // Nothing can be done inside a signal handler; the pipe is never full.
    }
}

QByteArray printable(const QByteArray &bytes)
{
    QByteArray out;
    for (unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c >= 0x20 && c < 0x7f)
            out += char(c);
        else
            out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
    }
    return out;
}

// One end of the serial line, seen from the sensor.
class Line
{
public:
    virtual ~Line() = default;
    // Whether anyone is there to receive what the sensor sends.
    virtual bool listening() const = 0;
    // Returns the number of bytes the line took.
    virtual qint64 write(const QByteArray &bytes) = 0;
    virtual void close() = 0;

    std::function<void(const QByteArray &)> received;
    std::function<void(const QString &)> lost;
};

// The master side of a pseudo-terminal. Nobody listens while no process holds
// the slave open; answers sent then are dropped, as on a real line whose other
// end is closed.
class PtyLine : public Line
{
public:
    ~PtyLine() override { close(); }

    bool open(QString *error)
    {
        int master = -1;
        int slave = -1;
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
            *error =
                QStringLiteral("cannot create a pseudo-terminal: %1").arg(qt_error_string(errno));
            return false;
        }
        char name[PATH_MAX];
        if (::ptsname_r(master, name, sizeof name) != 0) {
            *error =
                QStringLiteral("cannot name the pseudo-terminal: %1").arg(qt_error_string(errno));
            ::close(slave);
            ::close(master);
            return false;
        }
        // Raw at once: a cooked pty echoes the sensor's answers back to it.
        termios tio;
        if (::tcgetattr(slave, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(slave, TCSANOW, &tio);
        }
        ::close(slave);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        m_master = master;
        m_slavePath = QString::fromLocal8Bit(name);

        m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated,
                         [this] { readAvailable(); });
        m_peerPoll.setInterval(20);
        QObject::connect(&m_peerPoll, &QTimer::timeout, [this] { checkPeer(); });
        checkPeer();
        return true;
    }

    QString slavePath() const { return m_slavePath; }
    bool listening() const override { return m_master >= 0 && m_peerPresent; }

    qint64 write(const QByteArray &bytes) override
    {
        if (!listening())
            return 0;
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno == EINTR)
                continue;
            else
                break; // full or gone: the rest is lost, as on an overrun line
        }
        return done;
    }

    void close() override
    {
        m_peerPoll.stop();
        m_notifier.reset();
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

private:
    void readAvailable()
    {
        QByteArray data;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                data.append(buffer, int(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EIO)
                setPeerPresent(false); // the last holder of the slave closed it
            break;
        }
        if (!data.isEmpty() && received)
            received(data);
    }

    // A master reports a hang-up for as long as nobody holds the slave open.
    void checkPeer()
    {
        pollfd p{m_master, POLLIN, 0};
        const bool hangup = ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP);
        setPeerPresent(!hangup);
    }

    void setPeerPresent(bool present)
    {
        if (present == m_peerPresent && m_started)
            return;
        m_started = true;
        m_peerPresent = present;
        m_notifier->setEnabled(present);
        if (present) {
            m_peerPoll.stop();
            return;
        }
        discardUnread();
        m_peerPoll.start();
    }

    // What the last peer left unread would reach the next one, which a real
    // line would never deliver.
    void discardUnread()
    {
        const int fd =
            ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            ::tcflush(fd, TCIFLUSH);
            ::close(fd);
        }
    }

    int m_master = -1;
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_peerPoll;
    bool m_peerPresent = false;
    bool m_started = false;
};

void applyLineSettings(QSerialPort &port, int preset)
{
    const sim::LineSettings s = sim::lineSettings(preset);
    port.setBaudRate(s.baudRate);
    port.setDataBits(s.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    port.setParity(s.parity == 'E' ? QSerialPort::EvenParity : QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
}

// A serial device: a real port, or one end of a socat pair.
class SerialLine : public Line
{
public:
    bool open(const QString &path, int preset, QString *error)
    {
        m_port.setPortName(path);
        applyLineSettings(m_port, preset);
        m_preset = preset;
        if (!m_port.open(QIODevice::ReadWrite)) {
            *error = QStringLiteral("cannot open %1: %2").arg(path, m_port.errorString());
            return false;
        }
        QObject::connect(&m_port, &QSerialPort::readyRead, [this] {
            if (received)
                received(m_port.readAll());
        });
        QObject::connect(
            &m_port, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
                // A device that went away fails every read: give up on it.
                if ((e == QSerialPort::ResourceError || e == QSerialPort::ReadError) && lost)
                    lost(m_port.errorString());
            });
        return true;
    }

    bool listening() const override { return m_port.isOpen(); }
    qint64 write(const QByteArray &bytes) override { return qMax<qint64>(0, m_port.write(bytes)); }
    void close() override { m_port.close(); }

    // The sensor changes its line speed once the answer to "ut+N" has left.
    void followPreset(int preset)
    {
        if (preset == m_preset || !m_port.isOpen())
            return;
        while (m_port.bytesToWrite() > 0 && m_port.waitForBytesWritten(200)) {
        }
        ::tcdrain(m_port.handle());
        applyLineSettings(m_port, preset);
        m_preset = preset;
    }

private:
    QSerialPort m_port;
    int m_preset = 0;
};

// Runs the model against the wall clock and moves bytes between it and the line.
class Simulator
{
public:
    Simulator(const sim::SensorModel::Options &options, Line *line, SerialLine *serial,
              bool verbose)
        : m_model(options), m_line(line), m_serial(serial), m_verbose(verbose)
    {
        m_clock.start();
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { pump(); });
        m_line->received = [this](const QByteArray &bytes) {
            syncClock();
            if (m_verbose)
                std::fprintf(stderr, "rx %d: %s\n", int(bytes.size()),
                             printable(bytes).constData());
            m_model.receive(bytes);
            pump();
        };
    }

    void start() { pump(); }

    std::function<void()> dropped;

private:
    void syncClock() { m_model.advance(m_clock.elapsed() - m_model.now()); }

    void pump()
    {
        syncClock();
        const QByteArray out = m_model.takeOutput();
        if (!out.isEmpty() && !m_line->listening()) {
            if (m_verbose)
                std::fprintf(stderr, "unheard %d: %s\n", int(out.size()),
                             printable(out).constData());
        } else if (!out.isEmpty()) {
            const qint64 sent = m_line->write(out);
            if (m_verbose) {
                if (sent > 0)
                    std::fprintf(stderr, "tx %lld: %s\n", sent,
                                 printable(out.left(int(sent))).constData());
                if (sent < out.size())
                    std::fprintf(stderr, "lost %lld: %s\n", out.size() - sent,
                                 printable(out.mid(int(sent))).constData());
            }
        }
        if (m_serial && !m_model.hasPendingOutput())
            m_serial->followPreset(m_model.linePreset());
        if (m_model.lineDropped()) {
            m_line->close();
            if (m_verbose)
                std::fprintf(stderr, "line dropped\n");
            if (dropped)
                dropped();
            return;
        }
        const qint64 next = m_model.msUntilNextEvent();
        if (next >= 0)
            m_timer.start(int(qMin<qint64>(next, INT_MAX)));
        else
            m_timer.stop();
    }

    sim::SensorModel m_model;
    Line *m_line;
    SerialLine *m_serial;
    bool m_verbose;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

// A value the options cannot take; main() says why and ends with kUsageError.
struct Failure
{
    QString message;
};

// Exit status for an unusable command line, as with most command-line tools;
// 1 is left for a device that cannot be served or is lost.
constexpr int kUsageError = 2;

qint64 integerOption(const QCommandLineParser &parser, const QString &name, qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < min || value > max)
        throw Failure{QStringLiteral("--%1 wants a whole number from %2 to %3, not \"%4\"")
                          .arg(name)
                          .arg(min)
                          .arg(max)
                          .arg(parser.value(name))};
    return value;
}

double numberOption(const QCommandLineParser &parser, const QString &name, double min, double max)
{
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    // "nan" and "inf" parse as numbers, and nan fails no comparison; neither
    // converts to a whole number of milliseconds.
    if (!ok || !std::isfinite(value) || value < min || value > max)
        throw Failure{QStringLiteral("--%1 wants a finite number from %2 to %3, not \"%4\"")
                          .arg(name)
                          .arg(min, 0, 'g', 12)
                          .arg(max, 0, 'g', 12)
                          .arg(parser.value(name))};
    return value;
}

sim::SensorModel::Options modelOptions(const QCommandLineParser &parser)
{
    sim::SensorModel::Options o;
    const QString profile = parser.value("profile");
    if (profile == "fixed")
        o.profile = sim::Profile::Fixed;
    else if (profile == "ramp")
        o.profile = sim::Profile::Ramp;
    else if (profile == "sine")
        o.profile = sim::Profile::Sine;
    else
        throw Failure{
            QStringLiteral("--profile wants fixed, ramp or sine, not \"%1\"").arg(profile)};

    const qint64 maxDistance = sim::SensorModel::kMaxDistance;
    o.distance = integerOption(parser, "distance", 0, maxDistance);
    o.amplitude = integerOption(parser, "amplitude", 0, maxDistance);
    o.periodMs = integerOption(parser, "period", 1, INT_MAX);
    o.jitter = integerOption(parser, "jitter", 0, maxDistance);
    o.seed = quint32(integerOption(parser, "seed", 0, UINT_MAX));
    o.frameIntervalMs = qMax(1, qRound(1000.0 / numberOption(parser, "rate", 0.01, 1000)));

    o.serialNumber = parser.value("serial-number").toLatin1();
    o.version = parser.value("sensor-version").toLatin1();
    o.productionDate = QDate::fromString(parser.value("production-date"), Qt::ISODate);
    o.linePreset = int(integerOption(parser, "preset", 0, sim::kLinePresetCount - 1));
    o.autoMeasure = parser.isSet("auto");

    o.rejectSettings = parser.isSet("reject-settings");
    o.silent = parser.isSet("silent");
    o.answerDelayMs = int(integerOption(parser, "delay", 0, INT_MAX));
    o.chunkSize = int(integerOption(parser, "chunk-size", 0, INT_MAX));
    o.chunkGapMs = int(integerOption(parser, "chunk-gap", 0, INT_MAX));
    o.noiseBytes = int(integerOption(parser, "noise-bytes", 0, 4096));
    if (parser.isSet("drop-after"))
        o.dropAfterMs = qRound64(numberOption(parser, "drop-after", 0, 1e9) * 1000.0);

    const QString problem = sim::SensorModel::validate(o);
    if (!problem.isEmpty())
        throw Failure{problem};
    return o;
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("sensor-sim");
    QCoreApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulated laser distance sensor. Creates a pseudo-terminal and prints the path of its "
        "serial device on standard output, or serves the device given with --device. Runs "
        "until SIGINT or SIGTERM. Distances are in 0.1 mm.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"device",
         "Serve this serial device (a real port or one end of a socat pair) instead of "
         "a new pseudo-terminal.",
         "path"},
        {"link", "Make a symbolic link to the pseudo-terminal at this path; removed on exit.",
         "path"},
        {"verbose", "Log received and sent bytes to standard error."},
        {"profile",
         "Distance profile: fixed, ramp (sawtooth from --distance up by --amplitude) "
         "or sine (around --distance).",
         "name", "fixed"},
        {"distance", "Fixed distance, ramp start or sine centre.", "tenths-mm", "12345"},
        {"amplitude", "Ramp rise or sine amplitude.", "tenths-mm", "1000"},
        {"period", "Ramp or sine period.", "ms", "10000"},
        {"jitter", "Sine only: random noise of up to this much either way.", "tenths-mm", "0"},
        {"seed", "Seed for jitter and noise bytes (runs repeat exactly).", "n", "1"},
        {"rate", "Frames per second during a continuous measurement.", "hz", "10"},
        {"serial-number", "Serial number, 3 characters.", "text", "A17"},
        {"sensor-version", "Version, 2 characters.", "text", "12"},
        {"production-date", "Production date, 2020 to 2029.", "yyyy-mm-dd", "2024-06-18"},
        {"preset",
         "Line preset 0-7 the sensor starts with (9600 8N1 ... 115200 7E1); sets the "
         "line of --device.",
         "index", "0"},
        {"auto", "Automatic measurement on: measure continuously from start-up."},
        {"reject-settings", "Fault: refuse every setting write."},
        {"silent", "Fault: never answer."},
        {"delay", "Fault: send every answer this late.", "ms", "0"},
        {"chunk-size", "Fault: send answers in pieces of this many bytes (0: whole).", "bytes",
         "0"},
        {"chunk-gap", "Fault: pause between those pieces.", "ms", "0"},
        {"noise-bytes", "Fault: send this many garbage bytes ahead of every answer.", "count", "0"},
        {"drop-after", "Fault: drop the line (close the device) and exit after this long.",
         "seconds"},
    });
    parser.process(app);

    sim::SensorModel::Options options;
    try {
        options = modelOptions(parser);
    } catch (const Failure &f) {
        std::fprintf(stderr, "sensor-sim: %s\n", qPrintable(f.message));
        return kUsageError;
    }
    const bool verbose = parser.isSet("verbose");
    if (parser.isSet("device") && parser.isSet("link")) {
        std::fprintf(stderr, "sensor-sim: --link applies to a pseudo-terminal, not to --device\n");
        return kUsageError;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        std::perror("sensor-sim: socketpair");
        return 1;
    }
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    QSocketNotifier signalNotifier(g_signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&app] {
        char byte;
        if (::read(g_signalPipe[1], &byte, 1) < 0) {
            // Quit all the same: a signal was the only thing that writes here.
        }
        app.quit();
    });

    std::unique_ptr<Line> line;
    SerialLine *serial = nullptr;
    QString servedPath;
    QString linkPath;
    QString error;
    if (parser.isSet("device")) {
        auto s = std::make_unique<SerialLine>();
        if (!s->open(parser.value("device"), options.linePreset, &error)) {
            std::fprintf(stderr, "sensor-sim: %s\n", qPrintable(error));
            return 1;
        }
        serial = s.get();
        servedPath = parser.value("device");
        line = std::move(s);
    } else {
        auto pty = std::make_unique<PtyLine>();
        if (!pty->open(&error)) {
            std::fprintf(stderr, "sensor-sim: %s\n", qPrintable(error));
            return 1;
        }
        servedPath = pty->slavePath();
        if (parser.isSet("link")) {
            linkPath = parser.value("link");
            if (!makeLink(linkPath, servedPath, &error)) {
                std::fprintf(stderr, "sensor-sim: %s\n", qPrintable(error));
                return 1;
            }
        }
        line = std::move(pty);
    }

    int status = 0;
    line->lost = [&](const QString &why) {
        if (status == 0)
            std::fprintf(stderr, "sensor-sim: line lost: %s\n", qPrintable(why));
        status = 1;
        line->close();
        app.quit();
    };
    Simulator simulator(options, line.get(), serial, verbose);
    // Quit from the event loop: the drop may fire before exec() starts.
    simulator.dropped = [&app] { QTimer::singleShot(0, &app, &QCoreApplication::quit); };
    simulator.start();

    std::fprintf(stdout, "%s\n", qPrintable(servedPath));
    std::fflush(stdout);

    app.exec();

    line->close();
    if (!linkPath.isEmpty() && QFileInfo(linkPath).symLinkTarget() == servedPath)
        QFile::remove(linkPath);
    return status;
}
