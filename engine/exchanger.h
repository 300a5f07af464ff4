// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One query or setting with the sensor at a time, as a chain of steps: each
// writes its bytes, then collects what comes (take()) until its answer is
// decided or its deadline passes, and hands its verdict to the next step or
// to `finished`. Nothing blocks: the deadlines are timers of the event loop
// and the chunks come from whoever reads the line (orvante-ctl's Line, the
// window's receive path). The decisions are protocol/'s (steps.h).

#include "protocol/steps.h"

#include <QByteArray>
#include <QList>
#include <QTimer>

#include <functional>

namespace engine {

class Exchanger
{
public:
    struct Outcome
    {
        enum Kind {
            Answered, // a query's response window ended (the answer may be partial)
            Accepted, // a setting the sensor took
            Refused,  // a setting the sensor refused
            NoAnswer, // a setting with nothing decisive in its window
            Cancelled,
        };
        Kind kind = Cancelled;
        quint8 command = 0; // the query (a protocol::Command code), or 0
        quint8 setting = 0; // the setting step it ended in (a protocol::Setting code), or 0
        protocol::Answer answer;
    };

    Exchanger();
    Exchanger(const Exchanger &) = delete;
    Exchanger &operator=(const Exchanger &) = delete;

    // Every write to the line, in order.
    std::function<void(const QByteArray &)> write;
    // Called once per exchange, when it ends (also on cancel()).
    std::function<void(const Outcome &)> finished;

    // Each starts an exchange; false (and nothing written) while one runs.
    bool query(quint8 command);
    bool setLinePreset(int preset);
    bool setAuto(int index); // 0 on, 1 off
    // Range index 0 (0-20 mA) or 1 (4-20 mA), the distances as typed. With
    // `settle`, the answer to the distances (never examined) is let pass
    // before the exchange ends, so that it is not read as the next answer.
    bool setAnalog(int range, const QByteArray &min, const QByteArray &max, bool settle);
    // Mode index 0 or 1, distances on1, off1, on2, off2 as typed.
    bool setSwitching(int mode, const QList<QByteArray> &distances);

    // A chunk read from the line while an exchange runs.
    void take(const QByteArray &chunk);
    // Ends the running exchange between its steps: nothing more is written.
    void cancel();
    bool isRunning() const { return m_running; }

private:
    struct Step
    {
        QList<QByteArray> writes;
        // Whether the answer so far decides the step before its deadline.
        std::function<bool()> decided;
        // At the decision or the deadline: starts the next step or finishes.
        std::function<void()> then;
    };

    bool begin();
    void run(const Step &step);
    void end();
    void finish(Outcome::Kind kind, quint8 setting = 0);
    // A setting decided at the end of its response window (line speed,
    // either switching-output command).
    Step timed(quint8 pending, const QList<QByteArray> &writes);

    QTimer m_deadline;
    Step m_step;
    protocol::Answer m_answer;
    quint8 m_command = 0;
    bool m_running = false;
};

} // namespace engine
