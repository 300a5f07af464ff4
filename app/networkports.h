// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's way to a port named by a device server's address: the
// window's QSerialPort opens a pseudo-terminal that a bridge joins to the
// server (network/ptybridge.h), so every slot works on it as on a local port.
// Where there are no pseudo-terminals (Windows) such a port is reached
// through the server's own virtual COM driver instead.

#include <QString>

#include <memory>

namespace network {
class PtyBridge;
}

class NetworkPorts
{
public:
    NetworkPorts();
    ~NetworkPorts();

    // The device to open for the port listed as `name`: `name` itself for a
    // device path; for an address, a new bridge's pseudo-terminal, connecting
    // with line preset `preset`. Empty, with `problem`, when it cannot be had.
    QString deviceFor(const QString &name, int preset, QString *problem);
    // The port object was just set to line preset `preset`.
    void followPreset(int preset);
    void close();

    // The name the open port is listed under: the address while bridging,
    // else `device`.
    QString listedName(const QString &device) const;
    // Why the device went away: the connection's reason while bridging,
    // else `portReason`.
    QString lostReason(const QString &portReason) const;

private:
#ifdef ORV_HAVE_PTY_BRIDGE
    std::unique_ptr<network::PtyBridge> m_bridge;
#endif
    QString m_address; // while bridging

};
