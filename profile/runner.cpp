// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/runner.h"

#include "protocol/codes.h"
#include "protocol/steps.h"

namespace profile {

using engine::Exchanger;
using Outcome = engine::Exchanger::Outcome;
using namespace protocol;

namespace {

// Why the query's values cannot be believed; empty when every one can.
QString problem(const Outcome &o, const QList<PresentedValue> &values)
{
    if (o.answer.raw.isEmpty())
        return QString("No answer to the %1 within %2 ms")
            .arg(commandName(o.command))
            .arg(kResponseWindowMs);
    QStringList garbled, lacking;
    for (const PresentedValue &v : values) {
        if (v.verdict == ValueVerdict::Malformed)
            garbled << v.name + " '" + QString::fromLatin1(v.shown) + "'";
        else if (v.verdict == ValueVerdict::Incomplete)
            lacking << v.name;
    }
    if (!garbled.isEmpty())
        return QString("%1 not understood: %2")
            .arg(answerName(Command(o.command)), garbled.join(", "));
    if (!lacking.isEmpty())
        return QString("No complete answer to the %1 within %2 ms (no %3)")
            .arg(commandName(o.command))
            .arg(kResponseWindowMs)
            .arg(lacking.join(", "));
    return QString();
}

// The values, every one good, into the profile.
void take(Command command, const QList<PresentedValue> &v, Profile *p)
{
    switch (command) {
    case IdentityQuery:
        p->serialNumber = v.at(0).text;
        p->version = v.at(1).text;
        p->productionDate = v.at(2).text;
        break;
    case AnalogQuery:
        p->analog = Analog{v.at(0).range->index, v.at(1).text.toLongLong(),
                           v.at(2).text.toLongLong()};
        break;
    default:
        p->switching = Switching{v.at(0).text.toLongLong(), v.at(1).text.toLongLong(),
                                 v.at(2).text.toLongLong(), v.at(3).text.toLongLong()};
        break;
    }
}

} // namespace

QString settingOutcome(Outcome::Kind kind)
{
    switch (kind) {
    case Outcome::Accepted:
        return "written";
    case Outcome::Refused:
        return "refused";
    case Outcome::NoAnswer:
        return "not answered";
    default:
        return "interrupted; the sensor may hold part of it";
    }
}

Runner::Runner(Exchanger &engine) : m_engine(engine)
{
    m_engine.finished = [this](const Outcome &o) {
        const Next next = m_next;
        m_next = nullptr;
        if (!m_running)
            return;
        if (o.kind == Outcome::Cancelled) {
            m_result.cancelled = true;
            return done();
        }
        if (next)
            next(o);
    };
}

void Runner::step(const QString &what, const std::function<bool()> &start, const Next &next)
{
    if (m_stopping) {
        m_result.cancelled = true;
        return done();
    }
    ++m_step;
    if (progress)
        progress(what, m_step, m_steps);
    m_next = next;
    if (!start()) {
        m_result.failure = "Another exchange is running";
        done();
    }
}

void Runner::read(bool identity)
{
    if (m_running)
        return;
    m_running = true;
    m_result = Result();
    m_queries = {AnalogQuery, SwitchingQuery};
    if (identity)
        m_queries.prepend(IdentityQuery);
    m_step = 0;
    m_steps = int(m_queries.size());
    readFrom(0);
}

void Runner::readFrom(int query)
{
    if (query >= m_queries.size())
        return done();
    const Command command = m_queries.at(query);
    step(commandName(command), [this, command] { return m_engine.query(command); },
         [this, query](const Outcome &o) {
             const auto asked = Command(o.command);
             const QList<PresentedValue> values = presentedValues(asked, o.answer);
             m_result.failure = problem(o, values);
             if (!m_result.failure.isEmpty())
                 return done();
             take(asked, values, &m_result.sensor);
             m_result.read.append({asked, values});
             readFrom(query + 1);
         });
}

void Runner::apply(const Profile &p)
{
    if (m_running)
        return;
    m_running = true;
    m_result = Result();
    m_profile = p;
    m_plan = plan(p);
    m_queries = {AnalogQuery, SwitchingQuery};
    m_step = 0;
    m_steps = int(m_plan.size() + m_queries.size());
    writeFrom(0);
}

void Runner::writeFrom(int index)
{
    if (index >= m_plan.size())
        return readFrom(0);
    const PlannedSetting &s = m_plan.at(index);
    const Profile &p = m_profile;
    std::function<bool()> start;
    switch (s.kind) {
    case PlannedSetting::AutoMeasure:
        start = [this, &p] { return m_engine.setAuto(*p.autoMeasure ? 0 : 1); };
        break;
    case PlannedSetting::AnalogOutput:
        start = [this, &p] {
            return m_engine.setAnalog(p.analog->range, QByteArray::number(p.analog->min),
                                      QByteArray::number(p.analog->max), true);
        };
        break;
    case PlannedSetting::SwitchingOutputs:
        start = [this, &p] {
            const Switching &d = *p.switching;
            return m_engine.setSwitching(*p.switchingMode - 1,
                                         {QByteArray::number(d.on1), QByteArray::number(d.off1),
                                          QByteArray::number(d.on2), QByteArray::number(d.off2)});
        };
        break;
    case PlannedSetting::LinePreset:
        start = [this, &p] { return m_engine.setLinePreset(*p.linePreset); };
        break;
    }
    step(s.name, start, [this, index](const Outcome &o) {
        const PlannedSetting &s = m_plan.at(index);
        m_result.written.append({s.name, settingOutcome(o.kind)});
        m_result.outcomes.append(o);
        if (s.kind == PlannedSetting::LinePreset && o.kind == Outcome::Accepted && presetChanged)
            presetChanged(*m_profile.linePreset);
        writeFrom(index + 1);
    });
}

void Runner::cancel()
{
    if (!m_running)
        return;
    if (m_engine.isRunning()) {
        m_interrupted = m_result.written.size() < m_plan.size();
        m_engine.cancel(); // ends in done() through finished
        return;
    }
    m_result.cancelled = true;
    done();
}

void Runner::stop()
{
    if (!m_engine.isRunning())
        return cancel();
    m_stopping = true;
}

void Runner::done()
{
    m_stopping = false;
    if (m_result.cancelled) {
        // The setting on the line when it stopped may have gone in part
        // (output 1 without output 2); what was never reached is said as such.
        for (int i = int(m_result.written.size()); i < m_plan.size(); ++i) {
            m_result.written.append({m_plan.at(i).name, m_interrupted
                                                            ? settingOutcome(Outcome::Cancelled)
                                                            : QString("not written")});
            m_interrupted = false;
        }
    }
    m_running = false;
    m_plan.clear();
    if (finished)
        finished(m_result);
}

} // namespace profile
