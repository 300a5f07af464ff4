// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads a profile from the sensor, or writes one to it and reads back, as a
// chain of exchanges on the engine: nothing blocks, each exchange starts when
// the one before has ended, and cancel() stops between them. For the window,
// which hands it the chunks of its port.

#include "engine/exchanger.h"
#include "profile/profile.h"
#include "protocol/presentedvalues.h"

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

namespace profile {

// What became of a setting, as apply reports it: "written", "refused", "not
// answered", "interrupted; ..." (cancelled on the line).
QString settingOutcome(engine::Exchanger::Outcome::Kind kind);

class Runner
{
public:
    struct Result
    {
        bool cancelled = false;
        // What stopped the run, naming the value or the setting; empty when
        // it went through (a setting refused does not stop it).
        QString failure;
        // What the sensor reported (read, or read back after apply), and
        // the values of each query whose answer was good, in the order read.
        Profile sensor;
        QList<QPair<protocol::Command, QList<protocol::PresentedValue>>> read;
        // apply: each setting and what became of it ("written", "refused",
        // "not answered", "interrupted; ...", "not written"), and the
        // engine's outcome of each that ran, in the same order.
        QList<QPair<QString, QString>> written;
        QList<engine::Exchanger::Outcome> outcomes;
    };

    // `engine` writes to the line; the owner feeds it the chunks.
    explicit Runner(engine::Exchanger &engine);

    // Before each exchange: what it is, and how many of how many.
    std::function<void(const QString &what, int step, int steps)> progress;
    // The line preset was accepted: the port must go over to `preset` before
    // the read back.
    std::function<void(int preset)> presetChanged;
    std::function<void(const Result &)> finished;

    // The analog and switching outputs, and with `identity` where they come
    // from.
    void read(bool identity);
    // Writes what `p` holds (profile::plan's order), then reads back.
    void apply(const Profile &p);
    // Ends the run between its steps: at once, or with stop() once the
    // exchange on the line has ended (a setting is then never left half
    // written: output 1 new, output 2 old).
    void cancel();
    void stop();
    bool isRunning() const { return m_running; }

private:
    using Next = std::function<void(const engine::Exchanger::Outcome &)>;
    void step(const QString &what, const std::function<bool()> &start, const Next &next);
    void readFrom(int query);
    void writeFrom(int index);
    void done();

    engine::Exchanger &m_engine;
    bool m_running = false;
    bool m_interrupted = false; // cancelled while a setting was on the line
    bool m_stopping = false;
    int m_step = 0;
    int m_steps = 0;
    QList<protocol::Command> m_queries;
    Profile m_profile;
    QList<PlannedSetting> m_plan;
    Result m_result;
    Next m_next;
};

} // namespace profile
