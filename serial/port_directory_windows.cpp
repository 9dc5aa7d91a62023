// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_directory.h"

#include <QSerialPortInfo>

#include <algorithm>

// "ComN" is COMN, as the system names it.
QList<PortDirectory::Port> PortDirectory::systemPorts(bool withDetails) const
{
    QList<Port> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString name = info.portName();
        bool isNumber = false;
        const qint16 number = name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)
            ? name.mid(3).toShort(&isNumber)
            : qint16(0);
        if (!isNumber || number < 1)
            continue;
        QStringList told;
        for (const QString &part : {info.description(), info.manufacturer()})
            if (withDetails && !part.isEmpty() && !told.contains(part))
                told << part;
        if (withDetails && !info.serialNumber().isEmpty())
            told << tr("serial %1").arg(info.serialNumber());
        ports.append({number, name.toUpper(), told.join(QStringLiteral(", "))});
    }
    std::sort(ports.begin(), ports.end(),
              [](const Port &a, const Port &b) { return a.number < b.number; });
    return ports;
}

QString PortDirectory::detailsOf(const QString &device) const
{
    for (const Port &port : systemPorts(true))
        if (port.device == device)
            return port.details;
    return {};
}

// Windows keeps a COM number with its adapter, so there is nothing to pin.
bool PortDirectory::readPins(QHash<qint16, QString> & /*pins*/)
{
    return true;
}

// A COM port the system does not list may still answer, as it always did.
bool PortDirectory::deviceFor(qint16 portNumber, QString &device)
{
    device = QStringLiteral("COM%1").arg(portNumber);
    return true;
}
