// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "system_ports.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <tuple>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PortDirectory", text);
}

QString readAttribute(const QDir &folder, const QString &name)
{
    QFile file(folder.filePath(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).simplified()
                                          : QString();
}

// UARTs first, then USB adapters, then USB modems, then any other family;
// within a family by device number.
std::tuple<qsizetype, int, QString> numberingKey(const QString &name)
{
    static const QStringList families{QStringLiteral("ttyS"), QStringLiteral("ttyUSB"),
                                      QStringLiteral("ttyACM")};
    qsizetype digitsStart = name.size();
    while (digitsStart > 0 && name.at(digitsStart - 1).isDigit())
        --digitsStart;
    const QString family = name.left(digitsStart);
    const qsizetype rank = families.contains(family) ? families.indexOf(family) : families.size();
    return {rank, name.mid(digitsStart).toInt(), family};
}

// A USB adapter's product and serial number sit a few folders above its tty
// device in /sys.
QString usbDetails(const QString &deviceLink)
{
    QDir folder(QFileInfo(deviceLink).canonicalFilePath());
    for (int level = 0; level < 4 && !folder.isRoot(); ++level) {
        const QString product = readAttribute(folder, QStringLiteral("product"));
        if (!product.isEmpty()) {
            const QString serial = readAttribute(folder, QStringLiteral("serial"));
            return serial.isEmpty() ? product : tr("%1, serial %2").arg(product, serial);
        }
        folder.cdUp();
    }
    return {};
}

} // namespace

namespace SystemPorts {

// Read from /sys/class/tty, which anyone may read: QSerialPortInfo opens
// every UART to check it, which fails outside the dialout group, and asks
// udev about every tty, which takes tens of milliseconds.
QList<PortDirectory::Port> list(const QString &systemRoot, bool withDetails)
{
    const QDir ttys(systemRoot + QStringLiteral("/sys/class/tty"));
    QList<std::pair<std::tuple<qsizetype, int, QString>, PortDirectory::Port>> found;
    for (const QString &name : ttys.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir tty(ttys.filePath(name));
        // Virtual consoles and pseudo-terminals have no device behind them.
        if (!tty.exists(QStringLiteral("device")))
            continue;
        // The kernel makes UART nodes for ports that may not be there; their
        // port type then stays unknown (0).
        const QString uartType = readAttribute(tty, QStringLiteral("type"));
        if (uartType == QLatin1String("0"))
            continue;
        PortDirectory::Port port{0, systemRoot + QStringLiteral("/dev/") + name, {}};
        if (withDetails)
            port.details = uartType.isEmpty() ? usbDetails(tty.filePath(QStringLiteral("device")))
                                              : tr("built-in serial port");
        found.append({numberingKey(name), port});
    }
    std::sort(found.begin(), found.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<PortDirectory::Port> ports;
    for (auto &[key, port] : found) {
        port.number = static_cast<qint16>(ports.size() + 1);
        ports.append(port);
    }
    return ports;
}

QString unlistedDevice(qint16 /*portNumber*/)
{
    return {};
}

} // namespace SystemPorts
