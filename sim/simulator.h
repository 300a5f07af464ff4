// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/line.h"
#include "sim/sensormodel.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace sim {

// Runs the model against the wall clock and moves bytes between it and the
// line. With `verbose`, every byte received, sent, lost or unheard is logged
// on stderr.
class Simulator
{
public:
    Simulator(const SensorModel::Options &options, Line *line, bool verbose);

    void start() { pump(); }

    // The model has dropped the line (a --drop-after fault); the line is closed.
    std::function<void()> dropped;

private:
    void syncClock() { m_model.advance(m_clock.elapsed() - m_model.now()); }
    void pump();
    void log(const char *what, const QByteArray &bytes) const;

    SensorModel m_model;
    Line *m_line;
    bool m_verbose;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

} // namespace sim
