// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/networkports.h"

#include "serial/portaddress.h"

#ifdef ORV_HAVE_PTY_BRIDGE
#include "network/ptybridge.h"
#endif

NetworkPorts::NetworkPorts() = default;
NetworkPorts::~NetworkPorts() = default;

QString NetworkPorts::deviceFor(const QString &name, int preset, QString *problem)
{
    close();
    serial::PortAddress address;
    if (!serial::parsePortAddress(name, &address, problem))
        return QString();
    if (!address.isNetwork())
        return name;
#ifdef ORV_HAVE_PTY_BRIDGE
    auto bridge = std::make_unique<network::PtyBridge>();
    if (!bridge->open(address, preset, problem))
        return QString();
    m_bridge = std::move(bridge);
    m_address = name;
    return m_bridge->devicePath();
#else
    Q_UNUSED(preset)
    *problem = "network ports are reached here through the device server's virtual COM driver "
               "(open its COM port); orvante-ctl.exe talks to them directly";
    return QString();
#endif
}

void NetworkPorts::followPreset(int preset)
{
#ifdef ORV_HAVE_PTY_BRIDGE
    if (m_bridge)
        m_bridge->followPreset(preset);
#else
    Q_UNUSED(preset)
#endif
}

void NetworkPorts::close()
{
#ifdef ORV_HAVE_PTY_BRIDGE
    m_bridge.reset();
#endif
    m_address.clear();
}

QString NetworkPorts::listedName(const QString &device) const
{
    return m_address.isEmpty() ? device : m_address;
}

QString NetworkPorts::lostReason(const QString &portReason) const
{
#ifdef ORV_HAVE_PTY_BRIDGE
    if (m_bridge && !m_bridge->endReason().isEmpty())
        return m_bridge->endReason();
#endif
    return portReason;
}
