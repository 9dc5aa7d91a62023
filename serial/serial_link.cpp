// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "serial_link.h"

namespace {

// Long enough for the system to take a press's octets into its own buffer,
// short enough that a stalled line does not freeze the window.
constexpr int handOverTimeoutMs = 100;

// The receive buffer the port keeps. Nothing received is ever used, and a
// master clock may send its telegram all day, so more is never held.
constexpr qint64 receiveBufferSize = 1024;

// How QSerialPort reports a device that went away, when the event loop runs
// or at the next write: with whatever errno was left over, so its own text
// would only mislead.
bool reportsGone(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::WriteError
        || error == QSerialPort::ResourceError;
}

} // namespace

SerialPortLink::SerialPortLink(PortDirectory ports)
    : m_ports(std::move(ports))
{
    // Applied by every open(), which fails when the device refuses them.
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    // Dropped at once: with its buffer merely capped QSerialPort would stop
    // reading, and so not see the device go away.
    m_port.setReadBufferSize(receiveBufferSize);
    QObject::connect(&m_port, &QSerialPort::readyRead, &m_port, [this] { m_port.readAll(); });
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) {
                         if (reportsGone(error))
                             letGoLater();
                     });
}

SerialPortLink::~SerialPortLink()
{
    // Octets of the last press still queued must reach the device.
    close();
}

bool SerialPortLink::setPortNumber(qint16 portNumber)
{
    if (portNumber < 1)
        return fail(tr("Com%1 is not a serial port: port numbers start at 1.").arg(portNumber));
    m_portNumber = portNumber;
    return true;
}

bool SerialPortLink::open()
{
    m_gone = false;
    if (m_port.isOpen())
        return fail(tr("%1 is already open.").arg(portLabel()));
    m_device.clear();
    if (!m_ports.deviceFor(m_portNumber, m_device))
        return fail(m_ports.errorString());
    m_port.setPortName(m_device);
    if (!m_port.open(QIODevice::ReadWrite))
        return fail(openFailure());
    watchForHangUp();
    m_identity = m_ports.detailsOf(m_device);
    return true;
}

bool SerialPortLink::close()
{
    if (!m_port.isOpen())
        return true;
    // QSerialPort drops whatever it has not yet handed over when it closes.
    handOver();
    const qint64 dropped = m_port.bytesToWrite();
    m_hangUpWatch.reset();
    m_port.close();
    if (dropped > 0)
        return fail(tr("%1 octets waiting for %2 were not sent before it was closed.")
                        .arg(dropped)
                        .arg(portLabel()));
    return true;
}

bool SerialPortLink::discardInput()
{
    // A closed link has received nothing that could be discarded.
    return !m_port.isOpen() || m_port.clear(QSerialPort::Input)
        || fail(tr("The input of %1 could not be discarded: %2.")
                    .arg(portLabel(), m_port.errorString()));
}

bool SerialPortLink::write(const QByteArray &octets)
{
    if (m_gone && !reopen())
        return false;
    if (!m_port.isOpen())
        return fail(tr("Nothing was sent to %1: the port is not open.").arg(portLabel()));
    m_port.clearError();
    if (m_port.write(octets) == octets.size() && handOver())
        return true;
    const QString reason = m_port.error() == QSerialPort::NoError
        ? tr("the device did not take the octets")
        : m_port.errorString();
    // Octets left queued would otherwise go out ahead of the next press.
    m_port.clear(QSerialPort::Output);
    if (!isGone())
        return fail(tr("Sending to %1 failed: %2.").arg(portLabel(), reason));
    letGo();
    return fail(tr("Sending to %1 failed: the device is no longer there (unplugged, switched off "
                   "or hung up). Plug it back in and press again.")
                    .arg(portLabel()));
}

bool SerialPortLink::handOver()
{
    // write() only fills QSerialPort's buffer: a device gone would be found later.
    while (m_port.bytesToWrite() > 0)
        if (!m_port.waitForBytesWritten(handOverTimeoutMs))
            return m_port.error() == QSerialPort::TimeoutError;
    return true;
}

bool SerialPortLink::isGone() const
{
    return reportsGone(m_port.error()) || hasHungUp();
}

// Let go once QSerialPort's or the watch's own handling is over; by then the
// port may have been opened afresh on a device that is there.
void SerialPortLink::letGoLater()
{
    const auto letGoIfGone = [this] {
        if (m_port.isOpen() && isGone())
            letGo();
    };
    QMetaObject::invokeMethod(&m_port, letGoIfGone, Qt::QueuedConnection);
}

void SerialPortLink::letGo()
{
    m_hangUpWatch.reset();
    m_port.close();
    m_gone = true;
}

// Only the device that went away is taken again, never another that took its
// name; one that is back but refused tells why.
bool SerialPortLink::reopen()
{
    const QString device = m_device, identity = m_identity;
    QString now;
    const bool same = m_ports.deviceFor(m_portNumber, now) && now == device;
    const QString told = same ? m_ports.detailsOf(now) : QString();
    const bool another = !told.isEmpty() && told != identity;
    if (same && !another && open())
        return true;
    m_gone = true;
    m_device = device;
    m_identity = identity;
    if (another)
        return fail(tr("Nothing was sent to %1: another device is there now (%2). Plug the one "
                       "that was there back in, or choose the port again to use this one.")
                        .arg(portLabel(), told));
    if (same && m_port.error() != QSerialPort::DeviceNotFoundError)
        return false;
    return fail(tr("Nothing was sent to %1: the device is no longer there. Plug it back in and "
                   "press again.")
                    .arg(portLabel()));
}

QString SerialPortLink::openFailure() const
{
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return tr("%1 is not there: plug the device in or switch it on, then choose the port "
                  "again.")
                   .arg(portLabel())
            + u' ' + m_ports.presentPorts();
    // A device that is no terminal, such as a plain file, fails with ENOTTY.
    case QSerialPort::UnsupportedOperationError:
        return tr("%1 is not a serial device.").arg(portLabel());
    // The kernel keeps UART nodes for ports that may have no UART behind them.
    case QSerialPort::ResourceError:
        return tr("%1 could not be opened: no serial port hardware answers at this device.")
                   .arg(portLabel())
            + u' ' + m_ports.presentPorts();
    case QSerialPort::PermissionError:
        return tr("%1 could not be opened: %2").arg(portLabel(), refusal());
    default:
        return tr("%1 could not be opened: %2.").arg(portLabel(), m_port.errorString());
    }
}
