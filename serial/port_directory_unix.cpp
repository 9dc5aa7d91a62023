// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_directory.h"

#include "port_setting.h"
#include "settings_file.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <tuple>

namespace {

QString readAttribute(const QDir &folder, const QString &name)
{
    QFile file(folder.filePath(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).simplified()
                                          : QString();
}

// UARTs first, then USB adapters, then USB modems, then the other families
// by name; within a family by device number.
std::tuple<qsizetype, QString, int> numberingKey(const QString &name)
{
    static const QStringList families{QStringLiteral("ttyS"), QStringLiteral("ttyUSB"),
                                      QStringLiteral("ttyACM")};
    qsizetype digitsStart = name.size();
    while (digitsStart > 0 && name.at(digitsStart - 1).isDigit())
        --digitsStart;
    const QString family = name.left(digitsStart);
    const qsizetype rank = families.contains(family) ? families.indexOf(family) : families.size();
    return {rank, family, name.mid(digitsStart).toInt()};
}

// What /sys tells of the tty whose folder is `tty`: a UART, or a USB
// adapter's product and serial number, a few folders above its tty device.
QString detailsIn(const QDir &tty)
{
    if (!readAttribute(tty, QStringLiteral("type")).isEmpty())
        return PortDirectory::tr("built-in serial port");
    QDir folder(QFileInfo(tty.filePath(QStringLiteral("device"))).canonicalFilePath());
    for (int level = 0; level < 4 && !folder.isRoot(); ++level) {
        const QString product = readAttribute(folder, QStringLiteral("product"));
        if (!product.isEmpty()) {
            const QString serial = readAttribute(folder, QStringLiteral("serial"));
            return serial.isEmpty() ? product
                                    : PortDirectory::tr("%1, serial %2").arg(product, serial);
        }
        folder.cdUp();
    }
    return {};
}

} // namespace

// Read from /sys/class/tty, which anyone may read: QSerialPortInfo opens
// every UART to check it, which fails outside the dialout group, and asks
// udev about every tty, which takes tens of milliseconds.
QList<PortDirectory::Port> PortDirectory::systemPorts(bool withDetails) const
{
    const QDir ttys(m_systemRoot + QStringLiteral("/sys/class/tty"));
    QMap<std::tuple<qsizetype, QString, int>, Port> found; // in the order of their numbers
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
        Port port{0, m_systemRoot + QStringLiteral("/dev/") + name, {}};
        if (withDetails)
            port.details = detailsIn(tty);
        found.insert(numberingKey(name), port);
    }
    QList<Port> ports = found.values();
    for (qsizetype index = 0; index < ports.size(); ++index)
        ports[index].number = static_cast<qint16>(index + 1);
    return ports;
}

// Section "Ports" of the settings file: "Com3=/dev/ttyUSB0" pins port 3.
// One key, one port: a name that is not "Com" and the number as the port
// list writes it ("Com03", "Com 3") is refused rather than guessed at.
bool PortDirectory::readPins(QHash<qint16, QString> &pins)
{
    SettingsFile settings(PortSetting::location());
    if (!settings.read())
        return fail(settings.errorString());
    const QString prefix = QStringLiteral("Ports/Com");
    for (const QString &key : settings.keys()) {
        bool isNumber = false;
        const qint16 number = key.mid(prefix.size()).toShort(&isNumber);
        if (!key.startsWith(u"Ports/"))
            continue;
        if (!isNumber || number < 1 || key != prefix + QString::number(number))
            return fail(tr("Section Ports of the settings file %1 holds \"%2\", which names no "
                           "port: a pin reads Com3=/dev/ttyUSB0. Correct or remove it.")
                            .arg(PortSetting::location(), key.mid(6)));
        if (const QString device = *settings.value(key); !device.isEmpty())
            pins.insert(number, device);
    }
    return true;
}

// Under its own name in /sys, or under that of the device a link such as
// /dev/serial/by-id/... stands for.
QString PortDirectory::detailsOf(const QString &device) const
{
    const QString ttys = m_systemRoot + QStringLiteral("/sys/class/tty/");
    QString name = QFileInfo(device).fileName();
    if (!QFileInfo::exists(ttys + name))
        name = QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
    return QFileInfo::exists(ttys + name) ? detailsIn(QDir(ttys + name)) : QString();
}

bool PortDirectory::deviceFor(qint16 portNumber, QString &device)
{
    QHash<qint16, QString> pins;
    if (!readPins(pins))
        return false;
    device = pins.value(portNumber);
    // The machine's ports are only looked for when the number is not pinned.
    if (device.isEmpty()) {
        const QList<Port> ports = systemPorts();
        if (portNumber < 1 || portNumber > ports.size())
            return fail(tr("%1 has no device on this machine.").arg(label(portNumber, {})) + u' '
                        + presentPorts());
        device = ports.at(portNumber - 1).device;
    }
    return true;
}
