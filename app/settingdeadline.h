// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QTimer>
#include <QtGlobal>

#include <functional>

// The automatic-measurement and analog settings are decided by the next chunk
// the sensor sends, not by the response window, so a silent sensor would
// leave them pending for ever and a much later chunk, perhaps from another
// device, would decide them. This gives them the response window's deadline:
// when it passes with the setting still pending, `expired` is called with it.
// A timer of its own: the response window's belongs to the timed exchanges.
// It also keeps what came after the setting's command, which decides it
// (protocol::chunkSettingStep) and says what came instead when nothing did.
class SettingDeadline
{
public:
    explicit SettingDeadline(std::function<void(quint8 setting)> expired);

    // (Re)starts the deadline for `setting`, before its command is written.
    void start(quint8 setting);
    // The setting was decided or dropped.
    void cancel();
    bool isActive() const { return m_timer.isActive(); }

    // A chunk received; kept while the deadline runs.
    void take(const QByteArray &chunk);
    // Every byte received since start() (until the deadline passed).
    const QByteArray &sinceWrite() const { return m_sinceWrite; }

private:
    QTimer m_timer;
    quint8 m_setting = 0;
    QByteArray m_sinceWrite;
};
