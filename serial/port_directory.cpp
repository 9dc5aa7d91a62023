#include "port_directory.h"

#include "port_setting.h"

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

// The device of a port number, with what the system tells of it: a pinned
// device first, which may be one of the machine's ports under another name
// (a /dev/serial/by-id link), then the machine's port of that number.
PortDirectory::Port portOf(qint16 portNumber, const QHash<qint16, QString> &pinned,
                           const QList<PortDirectory::Port> &ports)
{
    if (pinned.contains(portNumber)) {
        const QString device = pinned.value(portNumber);
        const QString target = QFileInfo(device).canonicalFilePath();
        for (const PortDirectory::Port &port : ports) {
            if (QFileInfo(port.device).canonicalFilePath() == target)
                return {device, port.details};
        }
        return {device, {}};
    }
#ifdef Q_OS_WIN
    return {QStringLiteral("COM%1").arg(portNumber), {}};
#else
    return portNumber >= 1 && portNumber <= ports.size() ? ports.at(portNumber - 1)
                                                         : PortDirectory::Port{};
#endif
}

} // namespace

PortDirectory::PortDirectory(QString systemRoot)
    : m_systemRoot(std::move(systemRoot))
{
}

QList<PortDirectory::Port> PortDirectory::systemPorts(bool withDetails) const
{
    const QDir ttys(m_systemRoot + QStringLiteral("/sys/class/tty"));
    QList<std::pair<std::tuple<qsizetype, int, QString>, Port>> found;
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
        Port port{m_systemRoot + QStringLiteral("/dev/") + name, {}};
        if (withDetails)
            port.details = uartType.isEmpty() ? usbDetails(tty.filePath(QStringLiteral("device")))
                                              : tr("built-in serial port");
        found.append({numberingKey(name), port});
    }
    std::sort(found.begin(), found.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<Port> ports;
    for (const auto &[key, port] : found)
        ports.append(port);
    return ports;
}

std::optional<QString> PortDirectory::deviceFor(qint16 portNumber) const
{
    const QHash<qint16, QString> pinned = PortSetting().pinnedDevices();
    // The machine's ports are only looked for when the number is not pinned.
    const QString device
        = portOf(portNumber, pinned, pinned.contains(portNumber) ? QList<Port>() : systemPorts())
              .device;
    if (device.isEmpty())
        return std::nullopt;
    return device;
}

QStringList PortDirectory::describe(int count) const
{
    const QList<Port> ports = systemPorts(true);
    const QHash<qint16, QString> pinned = PortSetting().pinnedDevices();
    QStringList descriptions;
    for (int index = 0; index < count; ++index) {
        const auto [device, details] = portOf(static_cast<qint16>(index + 1), pinned, ports);
        if (device.isEmpty())
            descriptions.append(tr("no device"));
        else if (!QFileInfo::exists(device))
            descriptions.append(tr("%1: not there now").arg(device));
        else
            descriptions.append(details.isEmpty() ? device : tr("%1: %2").arg(device, details));
    }
    return descriptions;
}

QString PortDirectory::presentPorts() const
{
    QStringList present;
    const QList<Port> ports = systemPorts();
    for (qsizetype index = 0; index < ports.size(); ++index)
        present.append(QStringLiteral("Com%1 (%2)").arg(index + 1).arg(ports.at(index).device));
    return present.join(QStringLiteral(", "));
}
