// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QtGlobal>

#include <functional>

// The automatic-measurement and analog settings are decided by the next chunk
// the sensor sends, not by the response window, so a silent sensor would
// leave them pending for ever and a much later chunk, perhaps from another
// device, would decide them. This gives them the response window's deadline:
// when it passes with the setting still pending, `expired` is called with it.
// A timer of its own: the response window's belongs to the timed exchanges.
class SettingDeadline
{
public:
    explicit SettingDeadline(std::function<void(quint8 setting)> expired);

    // (Re)starts the deadline for `setting`.
    void start(quint8 setting);
    // The setting was decided or dropped.
    void cancel();
    bool isActive() const { return m_timer.isActive(); }

private:
    QTimer m_timer;
    quint8 m_setting = 0;
};
