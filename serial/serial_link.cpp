#include "serial_link.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// Long enough for the system to take a press's octets into its own buffer,
// short enough that a stalled line does not freeze the window.
constexpr int handOverTimeoutMs = 100;

QString tr(const char *text)
{
    return QCoreApplication::translate("SerialLink", text);
}

bool mayReadAndWrite(const QString &device)
{
    const QFileInfo info(device);
    return info.isReadable() && info.isWritable();
}

} // namespace

SerialPortLink::SerialPortLink(DeviceResolver deviceFor)
    : m_deviceFor(std::move(deviceFor))
{
}

SerialPortLink::~SerialPortLink()
{
    // Octets of the last press still queued must reach the device.
    close();
}

QString SerialPortLink::defaultDevice(qint16 portNumber)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

bool SerialPortLink::setPortNumber(qint16 portNumber)
{
    if (portNumber < 1)
        return fail(tr("Com%1 is not a serial port: port numbers start at 1.").arg(portNumber));
    m_portNumber = portNumber;
    return true;
}

std::optional<bool> SerialPortLink::isOpen()
{
    return m_port.isOpen();
}

bool SerialPortLink::open()
{
    if (m_port.isOpen())
        return fail(tr("%1 is already open.").arg(portLabel()));
    m_device = m_deviceFor(m_portNumber);
    m_port.setPortName(m_device);
    if (!m_port.open(QIODevice::ReadWrite))
        return fail(openFailure());
    if (!m_port.setBaudRate(QSerialPort::Baud9600) || !m_port.setDataBits(QSerialPort::Data8)
        || !m_port.setParity(QSerialPort::NoParity) || !m_port.setStopBits(QSerialPort::OneStop)) {
        const QString reason = m_port.errorString();
        m_port.close();
        return fail(tr("%1 does not accept 9600 baud, 8 data bits, no parity, 1 stop bit: %2.")
                        .arg(portLabel(), reason));
    }
    return true;
}

bool SerialPortLink::close()
{
    if (!m_port.isOpen())
        return true;
    // QSerialPort drops whatever it has not yet handed over when it closes.
    const bool handedOver = handQueuedOctetsToSystem();
    const qint64 dropped = m_port.bytesToWrite();
    m_port.close();
    if (!handedOver || dropped > 0)
        return fail(tr("%1 octets waiting for %2 were not sent before it was closed.")
                        .arg(dropped)
                        .arg(portLabel()));
    return true;
}

bool SerialPortLink::discardInput()
{
    // A closed link has received nothing that could be discarded.
    if (!m_port.isOpen())
        return true;
    if (!m_port.clear(QSerialPort::Input))
        return fail(tr("The input of %1 could not be discarded: %2.")
                        .arg(portLabel(), m_port.errorString()));
    return true;
}

bool SerialPortLink::write(const QByteArray &octets)
{
    if (!m_port.isOpen())
        return fail(tr("Nothing was sent to %1: the port is not open.").arg(portLabel()));
    m_port.clearError();
    if (m_port.write(octets) == octets.size() && handQueuedOctetsToSystem())
        return true;
    const QString reason = writeFailure();
    // Octets left queued would otherwise go out ahead of the next press.
    m_port.clear(QSerialPort::Output);
    return fail(tr("Sending to %1 failed: %2.").arg(portLabel(), reason));
}

bool SerialPortLink::handQueuedOctetsToSystem()
{
    // write() only appends to QSerialPort's buffer, so a device that has gone
    // would be noticed only later, outside the operator's action.
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(handOverTimeoutMs))
            return m_port.error() == QSerialPort::TimeoutError;
    }
    return true;
}

QString SerialPortLink::portLabel() const
{
    const QString device = m_port.isOpen() ? m_device : m_deviceFor(m_portNumber);
    return QStringLiteral("Com%1 (%2)").arg(m_portNumber).arg(device);
}

QString SerialPortLink::openFailure() const
{
    const QString cannotOpen = tr("%1 could not be opened: %2.");
    if (m_port.error() != QSerialPort::PermissionError)
        return cannotOpen.arg(portLabel(), m_port.errorString());
    // A device we may use but still cannot open is held by someone else.
    if (mayReadAndWrite(m_device))
        return tr("%1 could not be opened: it is in use by another program.").arg(portLabel());
    return cannotOpen.arg(portLabel(), m_port.errorString()) + QLatin1Char(' ')
        + tr("Your user needs to be in the group \"%1\" that owns the device "
             "(sudo usermod -aG %1 $USER, then log in again).")
              .arg(QFileInfo(m_device).group());
}

QString SerialPortLink::writeFailure() const
{
    switch (m_port.error()) {
    case QSerialPort::NoError:
        return tr("the device did not take the octets");
    // QSerialPort reports a vanished device with whatever errno was left
    // over, which would only mislead.
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        return tr("the device is no longer there (unplugged, switched off or hung up)");
    default:
        return m_port.errorString();
    }
}

bool SerialPortLink::fail(const QString &description)
{
    m_errorString = description;
    return false;
}
