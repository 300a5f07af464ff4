// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The exchanges with the sensor. A query writes its command and collects the
// answer for a response window. A setting writes its command and is decided
// by the answer: at the end of a response window (line speed, either
// switching-output command), or by the chunks that follow it within a
// deadline of the same length (automatic measurement, analog range); an
// accepted first command leads to its follow-up (the second switching-output
// command, the analog distances). Nothing blocks: the deadlines are timers of
// the event loop and the chunks come from whoever reads the line. The
// decisions are protocol/'s (steps.h).
//
// The state of the exchange is the command in flight, the setting awaiting
// its answer, the answer collected so far and the prepared second
// switching-output command. An engine keeps its own, or works on state its
// owner keeps and may read at any moment (State); each operation says when it
// changes it.

#include "protocol/answerbuffer.h"
#include "protocol/codes.h"
#include "protocol/commands.h"
#include "protocol/steps.h"

#include <QByteArray>
#include <QList>
#include <QTimer>

#include <functional>

namespace engine {

// What keeps the line from a new exchange: a command in flight (a query, or
// a measurement until it is stopped), or a setting awaiting its answer.
enum class Busy { Free, Command, Setting };

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
        protocol::Command command = protocol::Idle;      // the query, or Idle
        protocol::Setting setting = protocol::NoSetting; // the setting step it ended in
        protocol::Answer answer;
    };

    // The exchange state, where its owner keeps it. `window` is the response
    // window: started with kResponseWindowMs for every timed exchange; its
    // owner calls endWindow() when it fires.
    struct State
    {
        quint8 *command;           // protocol::Command in flight
        quint8 *pending;           // protocol::Setting awaiting its answer
        QByteArray *text;          // the answer as collectChunk keeps it
        int *count;                // its byte count, reset only by the switching-output query
        QByteArray *raw;           // the same bytes as they came
        QByteArray *secondCommand; // second switching-output command, without its line end
        QTimer *window;
    };

    struct Options
    {
        // One exchange at a time, each reported once through `finished`: a
        // pending setting refuses a new exchange too, and a setting still
        // undecided when its window ends is over, without an answer.
        // Otherwise a new setting replaces a pending one, a query may run
        // while a setting waits, and a switching-output command undecided at
        // the end of its window stays pending for the end of a later one.
        bool exclusive = true;
        // A query or a timed setting ends as soon as no byte still to come
        // can change what it gives; otherwise it waits its whole window.
        bool endEarly = true;
    };

    // An exclusive engine ending early, with state and response window of
    // its own.
    Exchanger();
    // An engine on its owner's state.
    Exchanger(const State &state, Options options);
    Exchanger(const Exchanger &) = delete;
    Exchanger &operator=(const Exchanger &) = delete;

    // Every write to the line, in order.
    std::function<void(const QByteArray &)> write;
    // Exclusive engines: called once per exchange, when it is over and the
    // engine takes the next (also on cancel()).
    std::function<void(const Outcome &)> finished;
    // A response window ended with `command` in flight (a query, a
    // measurement, or Idle when it was a setting's), before anything of it is
    // decided or cleared: the answer is still in the state.
    std::function<void(protocol::Command command)> windowEnded;
    // A setting's verdict, as it takes effect. At the end of a response window
    // it comes before the pending code changes, so whoever shows it holds the
    // exchange there; decided by a chunk, after the code changed and the
    // follow-up went out. Line speed without an answer is NoAnswer.
    std::function<void(const Outcome &)> decided;
    // A setting's follow-up is about to go out: the second switching-output
    // command (State::secondCommand) or the analog distances in `followUp`.
    std::function<void(protocol::Setting setting, const protocol::FollowUp &followUp)> followingUp;
    // A chunk-decided setting's deadline passed without its answer; `instead`
    // is what the sensor sent instead (protocol::sentInstead), if anything.
    std::function<void(protocol::Setting setting, const QByteArray &instead)> unanswered;
    // Where set, the analog distances are read when the sensor asks for them
    // (they may have been edited since the setting went out) instead of taken
    // from setAnalog().
    std::function<protocol::FollowUp()> typedDistances;

    // Each starts an exchange; false, and nothing written or changed, while
    // the line is busy for it (mayStart()).
    // Query: the answer goes, the switching-output query's count restarts,
    // the command is in flight, the window starts, the command is written.
    bool query(protocol::Command command);
    // Line speed: pending, written (nothing for an index out of range), the
    // answer cleared, the window started.
    bool setLinePreset(int preset);
    // Automatic measurement, index 0 on, 1 off: pending, deadline, written.
    bool setAuto(int index);
    // Range index 0 (0-20 mA) or 1 (4-20 mA), the distances as typed:
    // pending, deadline, written. With `settle`, the answer to the distances
    // (never examined) is let pass before the exchange ends, so that it is
    // not read as the next answer.
    bool setAnalog(int range, const QByteArray &min, const QByteArray &max, bool settle);
    // Mode index 0 or 1, distances on1, off1, on2, off2 as typed: pending,
    // both commands prepared, the answer cleared, the window started, the
    // first written.
    bool setSwitching(int mode, const QList<QByteArray> &distances);
    // A command whose answer no window collects (laser, measurement, stop):
    // it takes the place of whatever is in flight, and is written.
    void send(protocol::Command inFlight, const QByteArray &bytes);

    // A chunk read from the line: it joins the answer (outside a response
    // window the answer keeps only its newest bytes), and decides a setting
    // that waits for it.
    void take(const QByteArray &chunk);
    // The response window ends: the timer stops, the query's answer is
    // reported (windowEnded), the timed setting steps are taken (a
    // switching-output command accepted sends the second and starts a new
    // window), then nothing is in flight and the answer is cleared.
    void endWindow();
    // Ends the running exchange between its steps: nothing more is written.
    void cancel();
    // The line the setting went out on is gone: what comes next cannot answer
    // it. Returns the setting dropped.
    protocol::Setting forgetSetting();

    // The one busy rule: what keeps the line, and whether this engine may
    // start an exchange now (never over a command in flight; over a pending
    // setting only when not exclusive).
    Busy busy() const;
    bool mayStart() const;
    bool isRunning() const { return m_running; }

private:
    // The state when the engine keeps its own.
    struct Own
    {
        quint8 command = protocol::Idle;
        quint8 pending = protocol::NoSetting;
        QByteArray text;
        int count = 0;
        QByteArray raw;
        QByteArray secondCommand = protocol::kSwitchingSecondTemplate;
        QTimer window;
    };

    bool begin();
    void writeAll(const QList<QByteArray> &writes);
    void clearAnswer();
    protocol::Answer collected() const;
    // Whether the exchange in its window is decided before the window ends.
    bool decidedEarly() const;
    // The timed setting steps at the end of a window; true with `outcome`
    // when the setting is over.
    bool settleTimed(Outcome *outcome);
    void decideByChunk();
    void startDeadline(protocol::Setting setting);
    void deadlinePassed();
    void finish(const Outcome &outcome);
    Outcome outcome(Outcome::Kind kind, protocol::Setting setting,
                    const protocol::Answer &answer) const;

    Own m_own;
    State m_state;
    Options m_options;
    // The deadline of a setting decided by the chunks after its command,
    // and those chunks; then, with `settle`, of the answer to the distances.
    QTimer m_deadline;
    protocol::Setting m_deadlineSetting = protocol::NoSetting;
    QByteArray m_sinceWrite;
    protocol::FollowUp m_typed;
    bool m_settle = false;
    bool m_settling = false;
    Outcome m_settled;
    bool m_running = false;
};

} // namespace engine
