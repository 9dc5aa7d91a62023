// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "port_directory.h"

#include <QByteArray>
#include <QSerialPort>
#include <QString>

#include <memory>
#include <optional>

// The one way into the serial port. Port numbers follow the operator's names:
// 1 is "Com1", 50 is "Com50". Every operation that can fail returns false (or
// nullopt) and leaves a description for a person in errorString().
class SerialLink
{
public:
    virtual ~SerialLink() = default;

    // The port the next open() uses.
    virtual bool setPortNumber(qint16 portNumber) = 0;
    virtual std::optional<bool> isOpen() = 0;
    // Opens at 9600 baud, 8 data bits, no parity, 1 stop bit.
    virtual bool open() = 0;
    // Hands every octet still queued to the system, then releases the port.
    virtual bool close() = 0;
    // Throws away whatever has been received and not read.
    virtual bool discardInput() = 0;
    // Queues `octets` exactly as they stand and hands them to the system
    // without waiting for the line to send them.
    virtual bool write(const QByteArray &octets) = 0;

    virtual QString errorString() const = 0;
};

// A SerialLink over a real serial device. The device of a port number is
// looked up when the port is opened. What the device sends is dropped as it
// arrives, so that no more than 1024 octets are ever held. A device that
// vanishes while open (an adapter pulled out) is let go at once, so that the
// system can give it its name back when it returns; the next write then
// opens the same device again.
class SerialPortLink final : public SerialLink
{
public:
    explicit SerialPortLink(PortDirectory ports = PortDirectory());
    ~SerialPortLink() override;
    SerialPortLink(const SerialPortLink &) = delete;
    SerialPortLink &operator=(const SerialPortLink &) = delete;

    bool setPortNumber(qint16 portNumber) override;
    std::optional<bool> isOpen() override;
    bool open() override;
    bool close() override;
    bool discardInput() override;
    bool write(const QByteArray &octets) override;
    QString errorString() const override { return m_errorString; }

    // The most received octets held at any moment since the link was made,
    // taken as they arrive: at most 1024.
    qint64 mostReceivedOctetsHeld() const { return m_mostReceivedOctetsHeld; }

private:
    QString portLabel() const;
    QString openFailure() const;
    QString machinePorts() const;
    bool fail(const QString &description);
    bool handQueuedOctetsToSystem();
    bool deviceIsGone() const;
    void letGoIfGoneLater();
    void releaseVanishedDevice();
    bool reopenVanishedDevice();

    PortDirectory m_ports;
    QSerialPort m_port;
    std::unique_ptr<QObject> m_hangUpWatch;
    qint16 m_portNumber = 1;
    QString m_device;
    bool m_deviceVanished = false;
    qint64 m_mostReceivedOctetsHeld = 0;
    QString m_errorString;
};
