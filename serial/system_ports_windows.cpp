// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "system_ports.h"

#include <QCoreApplication>
#include <QSerialPortInfo>

#include <algorithm>

namespace SystemPorts {

// "ComN" is COMN, as the system names it.
QList<PortDirectory::Port> list(const QString & /*systemRoot*/, bool withDetails)
{
    QList<PortDirectory::Port> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString name = info.portName();
        bool isNumber = false;
        const qint16 number = name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)
            ? name.mid(3).toShort(&isNumber)
            : qint16(0);
        if (!isNumber || number < 1)
            continue;
        QString details;
        if (withDetails) {
            QStringList told;
            for (const QString &part : {info.description(), info.manufacturer()})
                if (!part.isEmpty() && !told.contains(part))
                    told.append(part);
            if (!info.serialNumber().isEmpty())
                told.append(QCoreApplication::translate("PortDirectory", "serial %1")
                                .arg(info.serialNumber()));
            details = told.join(QStringLiteral(", "));
        }
        ports.append({number, name.toUpper(), details});
    }
    std::sort(ports.begin(), ports.end(),
              [](const auto &a, const auto &b) { return a.number < b.number; });
    return ports;
}

// A COM port the system does not list may still answer, as it always did.
QString unlistedDevice(qint16 portNumber)
{
    return QStringLiteral("COM%1").arg(portNumber);
}

} // namespace SystemPorts
