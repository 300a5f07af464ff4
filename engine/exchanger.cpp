// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/exchanger.h"

#include "protocol/commands.h"
#include "protocol/codes.h"

namespace engine {

using namespace protocol;

namespace {

QByteArray queryBytes(quint8 command)
{
    switch (command) {
    case IdentityQuery:
        return kIdentityQuery;
    case AnalogQuery:
        return kAnalogQuery;
    case SwitchingQuery:
        return kSwitchingQuery;
    default:
        return QByteArray();
    }
}

} // namespace

Exchanger::Exchanger()
{
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_deadline, &QTimer::timeout, [this] { end(); });
}

bool Exchanger::begin()
{
    if (m_running)
        return false;
    m_running = true;
    m_answer = Answer();
    m_command = 0;
    return true;
}

void Exchanger::run(const Step &step)
{
    m_step = step;
    m_deadline.start(kResponseWindowMs);
    for (const QByteArray &bytes : step.writes) {
        if (write)
            write(bytes);
    }
}

void Exchanger::end()
{
    m_deadline.stop();
    const std::function<void()> then = m_step.then;
    m_step = Step();
    if (then)
        then();
}

void Exchanger::finish(Outcome::Kind kind, quint8 setting)
{
    m_deadline.stop();
    m_step = Step();
    m_running = false;
    Outcome outcome;
    outcome.kind = kind;
    outcome.command = m_command;
    outcome.setting = setting;
    outcome.answer = m_answer;
    if (finished)
        finished(outcome);
}

void Exchanger::take(const QByteArray &chunk)
{
    if (!m_running)
        return;
    m_answer.take(chunk);
    if (m_step.decided && m_step.decided())
        end();
}

void Exchanger::cancel()
{
    if (m_running)
        finish(Outcome::Cancelled);
}

bool Exchanger::query(quint8 command)
{
    const QByteArray bytes = queryBytes(command);
    if (bytes.isEmpty() || !begin())
        return false;
    m_command = command;
    beginQuery(command, m_answer.text, m_answer.count);
    // The window parses what 1000 ms brought; once nothing more can change
    // that, waiting longer only costs time.
    run({{bytes},
         [this] { return queryAnswerFinal(m_command, m_answer.raw, m_answer.count); },
         [this] { finish(Outcome::Answered); }});
    return true;
}

Exchanger::Step Exchanger::timed(quint8 pending, const QList<QByteArray> &writes)
{
    const auto verdict = [this, pending] {
        return settingVerdict(pending, m_answer.raw, m_answer.count);
    };
    return {writes, [verdict] { return verdict() != Verdict::Undecided; },
            [this, pending, verdict] {
                if (verdict() == Verdict::Undecided)
                    return finish(Outcome::NoAnswer, pending);
                const protocol::SettingStep step =
                    timedSettingStep(pending, m_answer.raw, m_answer.count);
                finish(step.action == Action::Succeeded ? Outcome::Accepted : Outcome::Refused,
                       pending);
            }};
}

bool Exchanger::setLinePreset(int preset)
{
    const QByteArray bytes = lineSpeedCommand(preset);
    if (bytes.isEmpty() || !begin())
        return false;
    run(timed(LineSpeedSetting, {bytes}));
    return true;
}

bool Exchanger::setSwitching(int mode, const QList<QByteArray> &d)
{
    if (d.size() != 4 || !begin())
        return false;
    QByteArray second = kSwitchingSecondTemplate;
    const QByteArray first = switchingCommands(mode, numberField(d.at(0)), numberField(d.at(1)),
                                               numberField(d.at(2)), numberField(d.at(3)), second);
    const quint8 pending = SwitchingFirstSetting;
    // A refusal ends it at once. An acceptance still waits out the window:
    // the window drops whatever else comes in it, which must not count as
    // the answer to the second command.
    run({{first},
         [this] {
             return settingVerdict(pending, m_answer.raw, m_answer.count) == Verdict::Refused;
         },
         [this, second] {
             const protocol::SettingStep step =
                 timedSettingStep(pending, m_answer.raw, m_answer.count, {second, {}, {}});
             if (step.action == Action::Failed)
                 return finish(Outcome::Refused, pending);
             if (step.action != Action::SendSecond)
                 return finish(Outcome::NoAnswer, pending);
             m_answer.restart();
             run(timed(step.next, step.writes));
         }});
    return true;
}

bool Exchanger::setAuto(int index)
{
    const QByteArray bytes = autoMeasureCommand(index);
    if (bytes.isEmpty() || !begin())
        return false;
    const quint8 pending = AutoMeasureSetting;
    // Decided as the window decides it, on what came after the command; the
    // response window is its deadline.
    run({{bytes},
         [this] {
             return settingVerdict(pending, m_answer.raw, m_answer.raw.size()) !=
                    Verdict::Undecided;
         },
         [this] {
             switch (chunkSettingStep(pending, m_answer.raw).action) {
             case Action::Succeeded:
                 return finish(Outcome::Accepted, pending);
             case Action::Failed:
                 return finish(Outcome::Refused, pending);
             default:
                 return finish(Outcome::NoAnswer, pending);
             }
         }});
    return true;
}

bool Exchanger::setAnalog(int range, const QByteArray &min, const QByteArray &max, bool settle)
{
    const QByteArray bytes = analogCurrentCommand(range);
    if (bytes.isEmpty() || !begin())
        return false;
    const FollowUp typed{{}, min, max};
    run({{bytes},
         [this, typed] {
             return chunkSettingStep(AnalogSetting, m_answer.raw, typed).action != Action::None;
         },
         [this, typed, settle] {
             // The window passes over other answers until its deadline, as
             // this does until the end of the response window; what came
             // instead is a refusal.
             const protocol::SettingStep step = chunkSettingStep(AnalogSetting, m_answer.raw, typed);
             if (step.action != Action::SendDistances)
                 return finish(step.action == Action::None &&
                                       sentInstead(AnalogSetting, m_answer.raw).isEmpty()
                                   ? Outcome::NoAnswer
                                   : Outcome::Refused,
                               AnalogSetting);
             // As in the window, the answer to the distances is not examined.
             if (!settle) {
                 for (const QByteArray &part : step.writes)
                     write(part);
                 return finish(Outcome::Accepted, AnalogSetting);
             }
             m_answer.restart();
             run({step.writes, [this] { return m_answer.raw.contains("\r\n"); },
                  [this] { finish(Outcome::Accepted, AnalogSetting); }});
         }});
    return true;
}

} // namespace engine
