// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/exchanger.h"

namespace engine {

using namespace protocol;

namespace {

QByteArray queryBytes(Command command)
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

bool isQuery(Command command)
{
    return command == IdentityQuery || command == AnalogQuery || command == SwitchingQuery;
}

} // namespace

Exchanger::Exchanger()
    : Exchanger(State{&m_own.command, &m_own.pending, &m_own.text, &m_own.count, &m_own.raw,
                      &m_own.secondCommand, &m_own.window},
                Options())
{
    m_own.window.setSingleShot(true);
    m_own.window.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_own.window, &QTimer::timeout, [this] { endWindow(); });
}

Exchanger::Exchanger(const State &state, Options options) : m_state(state), m_options(options)
{
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
    m_deadline.setInterval(kResponseWindowMs);
    QObject::connect(&m_deadline, &QTimer::timeout, [this] { deadlinePassed(); });
}

Busy Exchanger::busy() const
{
    if (isBusy(Command(*m_state.command)))
        return Busy::Command;
    if (*m_state.pending != NoSetting || m_running)
        return Busy::Setting;
    return Busy::Free;
}

bool Exchanger::mayStart() const
{
    const Busy now = busy();
    return now == Busy::Free || (now == Busy::Setting && !m_options.exclusive);
}

bool Exchanger::begin()
{
    if (!mayStart())
        return false;
    m_running = m_options.exclusive;
    m_settling = false;
    return true;
}

void Exchanger::writeAll(const QList<QByteArray> &writes)
{
    for (const QByteArray &bytes : writes) {
        if (write && !bytes.isEmpty())
            write(bytes);
    }
}

void Exchanger::clearAnswer()
{
    m_state.text->clear();
    m_state.raw->clear();
}

Answer Exchanger::collected() const
{
    return Answer{*m_state.text, *m_state.count, *m_state.raw};
}

Exchanger::Outcome Exchanger::outcome(Outcome::Kind kind, Setting setting,
                                      const Answer &answer) const
{
    Outcome o;
    o.kind = kind;
    o.command = Command(*m_state.command);
    o.setting = setting;
    o.answer = answer;
    return o;
}

void Exchanger::finish(const Outcome &o)
{
    if (!m_running)
        return;
    m_running = false;
    if (finished)
        finished(o);
}

bool Exchanger::query(Command command)
{
    const QByteArray bytes = queryBytes(command);
    if (bytes.isEmpty() || !begin())
        return false;
    beginQuery(command, *m_state.text, *m_state.count);
    m_state.raw->clear();
    *m_state.command = command;
    m_state.window->start(kResponseWindowMs);
    writeAll({bytes});
    return true;
}

bool Exchanger::setLinePreset(int preset)
{
    if (!begin())
        return false;
    *m_state.pending = LineSpeedSetting;
    writeAll({lineSpeedCommand(preset)});
    // After the write: the answer is what comes from here on.
    clearAnswer();
    m_state.window->start(kResponseWindowMs);
    return true;
}

bool Exchanger::setAuto(int index)
{
    if (!begin())
        return false;
    *m_state.pending = AutoMeasureSetting;
    startDeadline(AutoMeasureSetting);
    writeAll({autoMeasureCommand(index)});
    return true;
}

bool Exchanger::setAnalog(int range, const QByteArray &min, const QByteArray &max, bool settle)
{
    if (!begin())
        return false;
    *m_state.pending = AnalogSetting;
    m_typed = FollowUp{{}, min, max};
    m_settle = settle;
    startDeadline(AnalogSetting);
    writeAll({analogCurrentCommand(range)});
    return true;
}

bool Exchanger::setSwitching(int mode, const QList<QByteArray> &d)
{
    if (d.size() != 4 || !begin())
        return false;
    *m_state.pending = SwitchingFirstSetting;
    // The second command is fixed now and sent once the first is acknowledged.
    const QByteArray first =
        switchingCommands(mode, numberField(d.at(0)), numberField(d.at(1)), numberField(d.at(2)),
                          numberField(d.at(3)), *m_state.secondCommand);
    clearAnswer();
    m_state.window->start(kResponseWindowMs);
    writeAll({first});
    return true;
}

void Exchanger::send(Command inFlight, const QByteArray &bytes)
{
    *m_state.command = inFlight;
    writeAll({bytes});
}

void Exchanger::take(const QByteArray &chunk)
{
    collectChunk(*m_state.text, *m_state.count, chunk);
    *m_state.raw += chunk;
    if (!m_state.window->isActive()) {
        trimIdleBuffer(*m_state.text);
        trimIdleBuffer(*m_state.raw);
    }
    if (m_deadline.isActive())
        m_sinceWrite += chunk;
    if (m_settling) {
        // Whatever the sensor says to the distances, its line end closes it.
        if (m_sinceWrite.contains("\r\n")) {
            m_deadline.stop();
            m_settling = false;
            finish(m_settled);
        }
        return;
    }
    decideByChunk();
    if (m_options.endEarly && m_state.window->isActive() && decidedEarly())
        endWindow();
}

bool Exchanger::decidedEarly() const
{
    const Command command = Command(*m_state.command);
    if (isQuery(command))
        return queryAnswerFinal(command, *m_state.raw, *m_state.count);
    const Setting pending = Setting(*m_state.pending);
    const Verdict verdict = settingVerdict(pending, *m_state.raw, *m_state.count);
    switch (pending) {
    case LineSpeedSetting:
    case SwitchingSecondSetting:
        return verdict != Verdict::Undecided;
    case SwitchingFirstSetting:
        // An acceptance still waits out the window: whatever else comes in it
        // must not count as the answer to the second command.
        return verdict == Verdict::Refused;
    default:
        return false;
    }
}

void Exchanger::endWindow()
{
    if (m_state.window->isActive())
        m_state.window->stop();
    const Command inFlight = Command(*m_state.command);
    const Outcome answered = outcome(Outcome::Answered, NoSetting, collected());
    if (windowEnded)
        windowEnded(inFlight);
    Outcome over;
    const bool settingOver = settleTimed(&over);
    *m_state.command = Idle;
    clearAnswer();
    // Last: whoever is told may start the next exchange at once.
    if (isQuery(inFlight))
        finish(answered);
    else if (settingOver)
        finish(over);
}

bool Exchanger::settleTimed(Outcome *over)
{
    const Setting pending = Setting(*m_state.pending);
    if (pending != LineSpeedSetting && pending != SwitchingFirstSetting &&
        pending != SwitchingSecondSetting)
        return false;
    const Answer answer = collected();
    const Verdict verdict = settingVerdict(pending, answer.raw, answer.count);
    const SettingStep step = timedSettingStep(pending, answer.raw, answer.count,
                                              FollowUp{*m_state.secondCommand, {}, {}});
    if (step.action == Action::SendSecond) {
        m_state.window->start(kResponseWindowMs);
        if (followingUp)
            followingUp(step.next, FollowUp{*m_state.secondCommand, {}, {}});
        writeAll(step.writes);
        *m_state.pending = step.next;
        return false;
    }
    if (step.action == Action::None) {
        if (!m_options.exclusive)
            return false;
        *m_state.pending = NoSetting;
        *over = outcome(Outcome::NoAnswer, pending, answer);
        return true;
    }
    *over = outcome(verdict == Verdict::Undecided      ? Outcome::NoAnswer
                    : step.action == Action::Succeeded ? Outcome::Accepted
                                                       : Outcome::Refused,
                    pending, answer);
    if (decided)
        decided(*over);
    // After the verdict has been seen.
    *m_state.pending = step.next;
    return true;
}

void Exchanger::decideByChunk()
{
    const Setting pending = Setting(*m_state.pending);
    if (pending != AnalogSetting && pending != AutoMeasureSetting)
        return;
    const FollowUp typed = pending == AnalogSetting && typedDistances ? typedDistances() : m_typed;
    const SettingStep step = chunkSettingStep(pending, m_sinceWrite, typed);
    if (step.next == pending)
        return;
    Answer answer;
    answer.take(m_sinceWrite);
    m_deadline.stop();
    m_sinceWrite.clear();
    // Before the writes and the verdict.
    *m_state.pending = step.next;
    const bool sendsDistances = step.action == Action::SendDistances;
    if (sendsDistances && followingUp)
        followingUp(pending, typed);
    writeAll(step.writes);
    const Outcome o = outcome(sendsDistances || step.action == Action::Succeeded ? Outcome::Accepted
                                                                                 : Outcome::Refused,
                              pending, answer);
    if (decided)
        decided(o);
    if (sendsDistances && m_settle && m_running) {
        m_settled = o;
        m_settling = true;
        m_deadline.start();
        return;
    }
    finish(o);
}

void Exchanger::startDeadline(Setting setting)
{
    m_deadlineSetting = setting;
    m_sinceWrite.clear();
    m_deadline.start();
}

void Exchanger::deadlinePassed()
{
    if (m_settling) {
        m_settling = false;
        return finish(m_settled);
    }
    // Decided meanwhile, or replaced by another setting: nothing to say.
    const Setting setting = m_deadlineSetting;
    if (*m_state.pending != setting)
        return;
    *m_state.pending = NoSetting;
    const QByteArray instead = sentInstead(setting, m_sinceWrite);
    if (unanswered)
        unanswered(setting, instead);
    Answer answer;
    answer.take(m_sinceWrite);
    finish(outcome(instead.isEmpty() ? Outcome::NoAnswer : Outcome::Refused, setting, answer));
}

void Exchanger::cancel()
{
    if (!m_running)
        return;
    const Outcome o = outcome(Outcome::Cancelled, Setting(*m_state.pending), collected());
    m_deadline.stop();
    m_settling = false;
    m_state.window->stop();
    *m_state.pending = NoSetting;
    *m_state.command = Idle;
    finish(o);
}

Setting Exchanger::forgetSetting()
{
    const Setting dropped = Setting(*m_state.pending);
    *m_state.pending = NoSetting;
    m_deadline.stop();
    m_sinceWrite.clear();
    return dropped;
}

} // namespace engine
