// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A stand-in for the laser distance sensor: command bytes go in, answer bytes
// come out, and time only moves when the owner says so. That keeps it usable
// from unit tests (driven clock) and from the sensor-sim program (wall clock).

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace sim {

enum class Profile { Fixed, Ramp, Sine };

// What the simulated sensor is like: its measurements, identity, power-up
// settings and the faults it shows.
struct SensorOptions
{
    // Distances are in 0.1 mm, as the sensor sends them.
    Profile profile = Profile::Fixed;
    qint64 distance = 12345; // the fixed value, a ramp's start, a sine's centre
    qint64 amplitude = 1000; // a ramp's rise, a sine's amplitude
    qint64 periodMs = 10000; // ramp and sine period
    qint64 jitter = 0;       // sine only: uniform noise of at most +-jitter
    quint32 seed = 1;        // makes jitter and noise bytes repeatable
    // Continuous measurement. Fractional: frame n is due at the start plus
    // n intervals, rounded down to the millisecond, so the rate holds on
    // average whatever the interval.
    double frameIntervalMs = 100;

    QByteArray serialNumber = "A17"; // 3 characters
    QByteArray version = "12";       // 2 characters
    QDate productionDate{2024, 6, 18};

    // Settings the sensor powers up with.
    int linePreset = 0;       // protocol/linepresets.h
    bool autoMeasure = false; // measure continuously from power-up

    // Faults.
    bool rejectSettings = false; // refuse every setting write
    // Refuse only these: "line-preset", "analog", "switching", "auto".
    QStringList rejectedSettings;
    bool silent = false;         // answer nothing at all
    int answerDelayMs = 0;       // every answer leaves this much later
    int chunkSize = 0;           // >0: answers leave in pieces of this many bytes...
    int chunkGapMs = 0;          // ...this far apart
    int noiseBytes = 0;          // garbage bytes sent ahead of every answer
    qint64 dropAfterMs = -1;     // the line goes dead at this time; <0: never
};

class SensorModel
{
public:
    using Options = SensorOptions;

    // Why `options` cannot describe a sensor, or an empty string when it can.
    static QString validate(const Options &options);

    // Distances a frame can carry (8 digits).
    static constexpr qint64 kMaxDistance = 99999999;

    explicit SensorModel(const Options &options = Options());

    // Bytes from the host, in any chunking; commands are lines ending in LF
    // (a CR before it is dropped).
    void receive(const QByteArray &bytes);
    // Moves the clock forward.
    void advance(qint64 ms);
    // Everything that is due by now, oldest first.
    QByteArray takeOutput();
    // Milliseconds until the next piece of output, frame or line drop; -1 when
    // nothing is scheduled.
    qint64 msUntilNextEvent() const;
    bool hasPendingOutput() const { return !m_pending.isEmpty(); }

    qint64 now() const { return m_now; }
    bool lineDropped() const;

    // Distance the sensor measures at time `ms`.
    qint64 distanceAt(qint64 ms);

    // Current state, as the queries would report it.
    bool laserOn() const { return m_laserOn; }
    bool measuringContinuously() const { return m_continuous; }
    int linePreset() const { return m_linePreset; }
    bool autoMeasure() const { return m_autoMeasure; }
    int analogRange() const { return m_analogRange; } // 0: 0~20 mA, 1: 4~20 mA
    qint64 analogMin() const { return m_analogMin; }
    qint64 analogMax() const { return m_analogMax; }
    int switchingMode() const { return m_switchingMode; } // 1 or 2
    qint64 switchOn(int output) const;                    // output 1 or 2
    qint64 switchOff(int output) const;

private:
    struct Piece
    {
        qint64 due;
        QByteArray bytes;
    };

    void execute(const QByteArray &line);
    void answer(const QByteArray &bytes) { answerAt(m_now, bytes); }
    void answerAt(qint64 at, const QByteArray &bytes);
    void produceFrames();
    qint64 lastLiveMs() const;

    QByteArray frame(qint64 at);
    QByteArray identityAnswer() const;
    QByteArray analogAnswer() const;
    QByteArray parameterAnswer() const;
    void setLinePreset(const QByteArray &line);
    void setAnalogRange(const QByteArray &line);
    void setAnalogDistances(const QByteArray &line);
    void setSwitching(const QByteArray &line);
    void setAutoMeasure(const QByteArray &line);
    bool refuses(const char *setting) const;

    Options m_options;
    QRandomGenerator m_jitterRandom;
    QRandomGenerator m_noiseRandom;

    qint64 m_now = 0;
    QByteArray m_line;
    bool m_lineOverflow = false;
    QList<Piece> m_pending;
    qint64 m_lastDue;

    bool m_laserOn = false;
    bool m_continuous = false;
    // Frames of a continuous measurement are timed from its start, not from
    // the frame before: rounding then never adds up.
    qint64 m_framesFrom = 0;
    qint64 m_framesSent = 0;
    qint64 nextFrameAt() const;
    void startFrames(qint64 at);
    int m_linePreset;
    bool m_autoMeasure;
    int m_analogRange = 1;
    qint64 m_analogMin = 0;
    qint64 m_analogMax = 100000;
    int m_switchingMode = 1;
    qint64 m_on[2] = {1500, 3000};
    qint64 m_off[2] = {1400, 2900};
};

} // namespace sim
