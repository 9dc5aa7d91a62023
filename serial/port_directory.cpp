// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_directory.h"

#include "port_setting.h"
#include "system_ports.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PortDirectory", text);
}

const PortDirectory::Port *listed(qint16 portNumber, const QList<PortDirectory::Port> &ports)
{
    const auto found = std::find_if(ports.cbegin(), ports.cend(), [portNumber](const auto &port) {
        return port.number == portNumber;
    });
    return found == ports.cend() ? nullptr : &*found;
}

QString told(const QString &device, const QString &details)
{
    return details.isEmpty() ? device : tr("%1: %2").arg(device, details);
}

// A pinned device may be one of the machine's ports under another name (a
// /dev/serial/by-id link), whose details it then shows.
QString describePort(qint16 portNumber, const QList<PortDirectory::Port> &ports,
                     const QHash<qint16, QString> &pinned)
{
    if (!pinned.contains(portNumber)) {
        const PortDirectory::Port *port = listed(portNumber, ports);
        return port ? told(port->device, port->details) : tr("no device");
    }
    const QString device = pinned.value(portNumber);
    const QString target = QFileInfo(device).canonicalFilePath();
    for (const PortDirectory::Port &port : ports) {
        if (port.device == device
            || (!target.isEmpty() && QFileInfo(port.device).canonicalFilePath() == target))
            return told(device, port.details);
    }
    return QFileInfo::exists(device) ? device : tr("%1: not there now").arg(device);
}

} // namespace

PortDirectory::PortDirectory(QString systemRoot)
    : m_systemRoot(std::move(systemRoot))
{
}

QList<PortDirectory::Port> PortDirectory::systemPorts(bool withDetails) const
{
    return SystemPorts::list(m_systemRoot, withDetails);
}

std::optional<QString> PortDirectory::deviceFor(qint16 portNumber) const
{
    const QHash<qint16, QString> pinned = PortSetting().pinnedDevices();
    // The machine's ports are only looked for when the number is not pinned.
    if (pinned.contains(portNumber))
        return pinned.value(portNumber);
    const QList<Port> ports = systemPorts();
    if (const Port *port = listed(portNumber, ports))
        return port->device;
    const QString device = SystemPorts::unlistedDevice(portNumber);
    if (device.isEmpty())
        return std::nullopt;
    return device;
}

QStringList PortDirectory::describe(int count) const
{
    const QList<Port> ports = systemPorts(true);
    const QHash<qint16, QString> pinned = PortSetting().pinnedDevices();
    QStringList descriptions;
    for (int index = 0; index < count; ++index)
        descriptions.append(describePort(static_cast<qint16>(index + 1), ports, pinned));
    return descriptions;
}

QString PortDirectory::presentPorts() const
{
    QStringList present;
    for (const Port &port : systemPorts())
        present.append(QStringLiteral("Com%1 (%2)").arg(port.number).arg(port.device));
    return present.join(QStringLiteral(", "));
}
