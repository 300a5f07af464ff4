// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settingdeadline.h"

#include "protocol/codes.h"

SettingDeadline::SettingDeadline(std::function<void(quint8)> expired)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(protocol::kResponseWindowMs);
    QObject::connect(&m_timer, &QTimer::timeout,
                     [this, expired = std::move(expired)] { expired(m_setting); });
}

void SettingDeadline::start(quint8 setting)
{
    m_setting = setting;
    m_sinceWrite.clear();
    m_timer.start();
}

void SettingDeadline::cancel()
{
    m_timer.stop();
    m_sinceWrite.clear();
}

void SettingDeadline::take(const QByteArray &chunk)
{
    if (m_timer.isActive())
        m_sinceWrite += chunk;
}
