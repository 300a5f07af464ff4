// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sensormodel.h"

#include "protocol/linepresets.h"

#include <QtMath>

#include <cmath>
#include <limits>

namespace sim {

namespace {

// Longest command the sensor buffers; anything longer is thrown away whole.
constexpr int kMaxLineLength = 256;

// Answers to the laser and stop commands. The host ignores them, so they only
// have to stay clear of everything it does look for: its markers ("ok", "Ezz",
// "Set", a leading "DAC" or "Aut") and the 13- and 26-byte frame lengths.
const QByteArray kLaserOnAck = QByteArrayLiteral("SL:ACK\r\n");
const QByteArray kLaserOffAck = QByteArrayLiteral("SO:ACK\r\n");
const QByteArray kStopAck = QByteArrayLiteral("C:ACK\r\n");
const QByteArray kUnknownCommand = QByteArrayLiteral("?unknown command\r\n");

const QByteArray kFramePrefix = QByteArrayLiteral("DT:");
const QByteArray kIdentityPrefix = QByteArrayLiteral("DEVICE-ID: "); // positions 0..10
const QByteArray kAnalogPrefix = QByteArrayLiteral("AOUT=");         // positions 0..4

const QByteArray kSwitchAccepted = QByteArrayLiteral("ok\r\n");
const QByteArray kSwitchRejected = QByteArrayLiteral("Ezz\r\n");
const QByteArray kLineSpeedRejected = QByteArrayLiteral("Set:E\r\n");
const QByteArray kRangeRejected = QByteArrayLiteral("DT:NAK\r\n");
const QByteArray kDistancesAccepted = QByteArrayLiteral("DS:ACK\r\n");
const QByteArray kDistancesRejected = QByteArrayLiteral("DS:NAK\r\n");
const QByteArray kAutoRejected = QByteArrayLiteral("SA:NAK\r\n");

bool allDigits(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return false;
    for (char c : bytes) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// A single-line answer whose length varies must not pass for a distance frame.
QByteArray notFrameSized(QByteArray line)
{
    if (line.size() == 13 || line.size() == 26)
        line.insert(line.size() - 2, ' ');
    return line;
}

bool printableField(const QByteArray &bytes, int size)
{
    if (bytes.size() != size)
        return false;
    for (char c : bytes) {
        if (c < 0x21 || c > 0x7e || c == '+')
            return false;
    }
    return true;
}

} // namespace

QString SensorModel::validate(const Options &o)
{
    if (o.distance < 0 || o.distance > kMaxDistance)
        return QStringLiteral("distance must lie between 0 and %1").arg(kMaxDistance);
    if (o.amplitude < 0 || o.amplitude > kMaxDistance)
        return QStringLiteral("amplitude must lie between 0 and %1").arg(kMaxDistance);
    if (o.jitter < 0 || o.jitter > kMaxDistance)
        return QStringLiteral("jitter must lie between 0 and %1").arg(kMaxDistance);
    if (o.periodMs <= 0)
        return QStringLiteral("period must be positive");
    if (!(o.frameIntervalMs > 0) || !std::isfinite(o.frameIntervalMs))
        return QStringLiteral("frame interval must be positive");
    if (!printableField(o.serialNumber, 3))
        return QStringLiteral("serial number must be 3 printable characters other than '+'");
    if (!printableField(o.version, 2))
        return QStringLiteral("version must be 2 printable characters other than '+'");
    // The host shows the year as "202" and one digit.
    if (!o.productionDate.isValid() || o.productionDate.year() < 2020 ||
        o.productionDate.year() > 2029)
        return QStringLiteral("production date must be a valid date from 2020 to 2029");
    if (!protocol::isLinePreset(o.linePreset))
        return QStringLiteral("line preset must lie between 0 and %1")
            .arg(protocol::kLinePresetCount - 1);
    if (o.answerDelayMs < 0 || o.chunkSize < 0 || o.chunkGapMs < 0 || o.noiseBytes < 0)
        return QStringLiteral("delay, chunk size, chunk gap and noise must not be negative");
    return QString();
}

SensorModel::SensorModel(const Options &options)
    : m_options(options), m_jitterRandom(options.seed), m_noiseRandom(options.seed ^ 0x9e3779b9u),
      m_lastDue(std::numeric_limits<qint64>::min()),
      m_linePreset(protocol::isLinePreset(options.linePreset) ? options.linePreset : 0),
      m_autoMeasure(options.autoMeasure)
{
    if (!(m_options.frameIntervalMs > 0) || !std::isfinite(m_options.frameIntervalMs))
        m_options.frameIntervalMs = 1;
    if (m_options.periodMs <= 0)
        m_options.periodMs = 1;
    if (m_autoMeasure) {
        m_laserOn = true;
        m_continuous = true;
        startFrames(0);
        produceFrames();
    }
}

bool SensorModel::lineDropped() const
{
    return m_options.dropAfterMs >= 0 && m_now >= m_options.dropAfterMs;
}

// Last instant at which the line still carries data.
qint64 SensorModel::lastLiveMs() const
{
    if (m_options.dropAfterMs < 0)
        return m_now;
    return qMin(m_now, m_options.dropAfterMs - 1);
}

qint64 SensorModel::switchOn(int output) const
{
    return output == 2 ? m_on[1] : m_on[0];
}

qint64 SensorModel::switchOff(int output) const
{
    return output == 2 ? m_off[1] : m_off[0];
}

void SensorModel::receive(const QByteArray &bytes)
{
    if (lineDropped())
        return;
    for (char c : bytes) {
        if (c == '\n') {
            QByteArray line = m_line;
            const bool overflow = m_lineOverflow;
            m_line.clear();
            m_lineOverflow = false;
            if (line.endsWith('\r'))
                line.chop(1);
            if (overflow)
                answer(kUnknownCommand);
            else if (!line.isEmpty())
                execute(line);
            continue;
        }
        if (m_lineOverflow)
            continue;
        if (m_line.size() >= kMaxLineLength) {
            m_lineOverflow = true;
            m_line.clear();
            continue;
        }
        m_line.append(c);
    }
    produceFrames();
}

void SensorModel::advance(qint64 ms)
{
    if (ms <= 0)
        return;
    m_now += ms;
    produceFrames();
}

QByteArray SensorModel::takeOutput()
{
    const qint64 limit = lastLiveMs();
    QByteArray out;
    while (!m_pending.isEmpty() && m_pending.first().due <= limit)
        out += m_pending.takeFirst().bytes;
    if (lineDropped())
        m_pending.clear();
    return out;
}

qint64 SensorModel::msUntilNextEvent() const
{
    if (lineDropped())
        return -1;
    qint64 next = -1;
    auto consider = [&next](qint64 at) {
        if (next < 0 || at < next)
            next = at;
    };
    if (!m_pending.isEmpty())
        consider(m_pending.first().due);
    if (m_continuous)
        consider(nextFrameAt());
    if (m_options.dropAfterMs >= 0)
        consider(m_options.dropAfterMs);
    return next < 0 ? -1 : qMax<qint64>(0, next - m_now);
}

qint64 SensorModel::distanceAt(qint64 ms)
{
    const Options &o = m_options;
    qint64 d = o.distance;
    switch (o.profile) {
    case Profile::Fixed:
        break;
    case Profile::Ramp:
        d += o.amplitude * (ms % o.periodMs) / o.periodMs;
        break;
    case Profile::Sine: {
        const double phase = 2.0 * M_PI * double(ms % o.periodMs) / double(o.periodMs);
        d += qRound64(double(o.amplitude) * std::sin(phase));
        if (o.jitter > 0)
            d += m_jitterRandom.bounded(-int(o.jitter), int(o.jitter) + 1); // jitter fits an int
        break;
    }
    }
    return qBound<qint64>(0, d, kMaxDistance);
}

void SensorModel::answerAt(qint64 at, const QByteArray &bytes)
{
    if (m_options.silent)
        return;
    QByteArray out;
    out.reserve(m_options.noiseBytes + bytes.size());
    // Line noise: high bytes only, so it can never form a marker, a digit or a
    // line end by itself.
    for (int i = 0; i < m_options.noiseBytes; ++i)
        out.append(char(0x80 + m_noiseRandom.bounded(0x80)));
    out += bytes;

    const bool chunked = m_options.chunkSize > 0;
    qint64 due = at + m_options.answerDelayMs;
    // A serial line keeps its order; split answers also keep their gap to
    // whatever went out before them.
    if (m_lastDue != std::numeric_limits<qint64>::min())
        due = qMax(due, m_lastDue + (chunked ? m_options.chunkGapMs : 0));
    if (!chunked) {
        m_pending.append({due, out});
        m_lastDue = due;
        return;
    }
    for (int i = 0; i < out.size(); i += m_options.chunkSize) {
        m_pending.append({due, out.mid(i, m_options.chunkSize)});
        m_lastDue = due;
        due += m_options.chunkGapMs;
    }
}

void SensorModel::produceFrames()
{
    const qint64 end = lastLiveMs();
    while (m_continuous && nextFrameAt() <= end) {
        const qint64 at = nextFrameAt();
        answerAt(at, frame(at));
        ++m_framesSent;
    }
}

qint64 SensorModel::nextFrameAt() const
{
    return m_framesFrom + qint64(std::floor(double(m_framesSent) * m_options.frameIntervalMs));
}

void SensorModel::startFrames(qint64 at)
{
    m_framesFrom = at;
    m_framesSent = 0;
}

QByteArray SensorModel::frame(qint64 at)
{
    return kFramePrefix + QByteArray::number(distanceAt(at)).rightJustified(8, '0') + "\r\n";
}

void SensorModel::execute(const QByteArray &line)
{
    if (line == "sl") {
        m_laserOn = true;
        answer(kLaserOnAck);
    } else if (line == "so") {
        m_laserOn = false;
        m_continuous = false;
        answer(kLaserOffAck);
    } else if (line == "c") {
        m_continuous = false;
        answer(kStopAck);
    } else if (line == "td") {
        // Measuring needs the laser, so a measurement switches it on.
        m_laserOn = true;
        m_continuous = false;
        answer(frame(m_now));
    } else if (line == "tk") {
        m_laserOn = true;
        if (!m_continuous) {
            m_continuous = true;
            startFrames(m_now);
        }
    } else if (line == "IDR+F") {
        answer(identityAnswer());
    } else if (line == "RD+v") {
        answer(analogAnswer());
    } else if (line == "PARAMETER") {
        answer(parameterAnswer());
    } else if (line.startsWith("ut+")) {
        setLinePreset(line);
    } else if (line.startsWith("dt+")) {
        setAnalogRange(line);
    } else if (line.startsWith("ds+")) {
        setAnalogDistances(line);
    } else if (line.startsWith("sa+")) {
        setAutoMeasure(line);
    } else if (line.size() >= 4 && line.at(0) == 'o' && (line.at(2) == '1' || line.at(2) == '2') &&
               line.at(3) == '+') {
        setSwitching(line);
    } else {
        answer(kUnknownCommand);
    }
}

QByteArray SensorModel::identityAnswer() const
{
    const QDate &d = m_options.productionDate;
    QByteArray out = kIdentityPrefix;
    out += QByteArray::number(d.year() % 10);
    out += QByteArray::number(d.month()).rightJustified(2, '0');
    out += QByteArray::number(d.day()).rightJustified(2, '0');
    out += m_options.version;
    out += m_options.serialNumber;
    out += "\r\n";
    return out;
}

QByteArray SensorModel::analogAnswer() const
{
    QByteArray out = kAnalogPrefix;
    out += m_analogRange == 0 ? '0' : '1';
    out += ',';
    out += QByteArray::number(m_analogMin) + '+' + QByteArray::number(m_analogMax) + '+';
    out += "\r\n";
    return notFrameSized(out);
}

QByteArray SensorModel::parameterAnswer() const
{
    // The model only ever holds a valid preset (the constructor and "ut+N"
    // see to it).
    const protocol::LinePreset &line = protocol::kLinePresets[m_linePreset];
    QByteArray out;
    out += "mode:" + QByteArray::number(m_switchingMode) + "\r\n";
    out += "on1:" + QByteArray::number(m_on[0]) + "\r\n";
    out += "off1:" + QByteArray::number(m_off[0]) + "\r\n";
    out += "on2:" + QByteArray::number(m_on[1]) + "\r\n";
    out += "off2:" + QByteArray::number(m_off[1]) + "\r\n";
    out += "baud:" + QByteArray::number(line.baudRate) + "\r\n";
    out += "data:" + QByteArray::number(line.dataBits) + line.parity + "1\r\n";
    out += "auto:" + QByteArray(m_autoMeasure ? "1" : "0") + "\r\n";
    return out;
}

bool SensorModel::refuses(const char *setting) const
{
    return m_options.rejectSettings || m_options.rejectedSettings.contains(setting);
}

void SensorModel::setLinePreset(const QByteArray &line)
{
    // "ut+N", N a preset index.
    const bool wellFormed =
        line.size() == 4 && line.at(3) >= '0' && protocol::isLinePreset(line.at(3) - '0');
    if (!wellFormed || refuses("line-preset")) {
        answer(kLineSpeedRejected);
        return;
    }
    m_linePreset = line.at(3) - '0';
    answer("Set:" + line.mid(3, 1) + "\r\n");
}

void SensorModel::setAnalogRange(const QByteArray &line)
{
    // "dt+N", N 0 (0~20 mA) or 1 (4~20 mA); the answer asks for the distances.
    const bool wellFormed = line.size() == 4 && (line.at(3) == '0' || line.at(3) == '1');
    if (!wellFormed || refuses("analog")) {
        answer(kRangeRejected);
        return;
    }
    m_analogRange = line.at(3) - '0';
    answer("DAC:" + line.mid(3, 1) + "\r\n");
}

void SensorModel::setAnalogDistances(const QByteArray &line)
{
    // "ds+min+max", each a number field of up to 8 digits.
    const QList<QByteArray> parts = line.split('+');
    const bool wellFormed = parts.size() == 3 && allDigits(parts.at(1)) && allDigits(parts.at(2)) &&
                            parts.at(1).size() <= 8 && parts.at(2).size() <= 8;
    if (!wellFormed || refuses("analog")) {
        answer(kDistancesRejected);
        return;
    }
    m_analogMin = parts.at(1).toLongLong();
    m_analogMax = parts.at(2).toLongLong();
    answer(kDistancesAccepted);
}

void SensorModel::setSwitching(const QByteArray &line)
{
    // "oM#+xxxxxxxx+yyyyyyyy": M 'p' (mode 1) or 'q' (mode 2), # the output,
    // then its switch-on and switch-off distances as 8-digit fields.
    const char mode = line.at(1);
    const bool wellFormed = line.size() == 21 && (mode == 'p' || mode == 'q') &&
                            line.at(12) == '+' && allDigits(line.mid(4, 8)) &&
                            allDigits(line.mid(13, 8));
    if (!wellFormed || refuses("switching")) {
        answer(kSwitchRejected);
        return;
    }
    const int output = line.at(2) - '1';
    m_switchingMode = mode == 'p' ? 1 : 2;
    m_on[output] = line.mid(4, 8).toLongLong();
    m_off[output] = line.mid(13, 8).toLongLong();
    answer(kSwitchAccepted);
}

void SensorModel::setAutoMeasure(const QByteArray &line)
{
    // "sa+1" on, "sa+0" off; takes effect at the next power-up.
    const bool wellFormed = line.size() == 4 && (line.at(3) == '0' || line.at(3) == '1');
    if (!wellFormed || refuses("auto")) {
        answer(kAutoRejected);
        return;
    }
    m_autoMeasure = line.at(3) == '1';
    answer("Auto:" + line.mid(3, 1) + "\r\n");
}

} // namespace sim
