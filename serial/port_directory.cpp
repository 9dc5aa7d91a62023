// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_directory.h"

#include <QFileInfo>

#include <algorithm>

QStringList PortDirectory::describe(int count)
{
    QHash<qint16, QString> pins;
    QStringList descriptions;
    if (!readPins(pins))
        return descriptions.fill(m_errorString, count);
    const QList<Port> ports = systemPorts(true);
    for (qint16 number = 1; number <= qint16(count); ++number) {
        // A pinned device may be one of the machine's ports under another
        // name (a /dev/serial/by-id link), whose details it then shows.
        const QString pinned = pins.value(number);
        const QString target = QFileInfo(pinned).canonicalFilePath();
        const auto port = std::find_if(ports.cbegin(), ports.cend(), [&](const Port &each) {
            if (pinned.isEmpty())
                return each.number == number;
            return !target.isEmpty() && QFileInfo(each.device).canonicalFilePath() == target;
        });
        const QString device = pinned.isEmpty() && port != ports.cend() ? port->device : pinned;
        if (port != ports.cend() && !port->details.isEmpty())
            descriptions << tr("%1: %2").arg(device, port->details);
        else if (port != ports.cend() || QFileInfo::exists(device))
            descriptions << device;
        else
            descriptions << (pinned.isEmpty() ? tr("no device")
                                              : tr("%1: not there now").arg(device));
    }
    return descriptions;
}

QString PortDirectory::presentPorts() const
{
    QStringList present;
    for (const Port &port : systemPorts())
        present << label(port.number, port.device);
    if (present.isEmpty())
        return tr("This machine has no serial port now: plug in the USB serial adapter, then "
                  "choose its port.");
    return tr("This machine's serial ports: %1.").arg(present.join(QStringLiteral(", ")));
}

QString PortDirectory::label(qint16 portNumber, const QString &device)
{
    if (device.isEmpty())
        return QStringLiteral("Com%1").arg(portNumber);
    return QStringLiteral("Com%1 (%2)").arg(portNumber).arg(device);
}
