// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "port_directory.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QString>

#include <memory>

// The one way into the serial port. Port numbers follow the operator's names:
// 1 is "Com1", 50 is "Com50". Every operation that can fail returns false and
// leaves a description for a person in errorString().
class SerialLink
{
public:
    virtual ~SerialLink() = default;

    // The port the next open() uses.
    virtual bool setPortNumber(qint16 portNumber) = 0;
    virtual bool isOpen() const = 0;
    // Opens at 9600 baud, 8 data bits, no parity, 1 stop bit.
    virtual bool open() = 0;
    // Hands every octet still queued to the system, then releases the port.
    virtual bool close() = 0;
    // Throws away whatever has been received and not read.
    virtual bool discardInput() = 0;
    // Hands `octets` to the system exactly as they stand, without waiting for
    // the line to send them.
    virtual bool write(const QByteArray &octets) = 0;

    virtual QString errorString() const = 0;
};

// A SerialLink over the device `ports` names when the port is opened. What
// the device sends is dropped as it arrives. A device that goes away while
// open (an adapter pulled out, a line hung up) is let go at once, so that the
// system can give it its name back; the next write opens that same device
// again, never another adapter that the system tells apart from it (by its
// make or serial number). The systems differ in serial_link_unix.cpp, _windows.cpp.
class SerialPortLink final : public SerialLink
{
    Q_DECLARE_TR_FUNCTIONS(TALVEN)

public:
    explicit SerialPortLink(PortDirectory ports = PortDirectory());
    ~SerialPortLink() override;

    bool setPortNumber(qint16 portNumber) override;
    bool isOpen() const override { return m_port.isOpen(); }
    bool open() override;
    bool close() override;
    bool discardInput() override;
    bool write(const QByteArray &octets) override;
    QString errorString() const override { return m_errorString; }

private:
    QString portLabel() const { return PortDirectory::label(m_portNumber, m_device); }
    QString openFailure() const;
    bool fail(const QString &description)
    {
        m_errorString = description;
        return false;
    }
    bool handOver();
    bool isGone() const;
    // Whether the system hung the device up, which Qt 6.8 takes for silence;
    // watched for so that it is let go at once, not at the next write.
    bool hasHungUp() const;
    void watchForHangUp();
    void letGoLater();
    void letGo();
    bool reopen();
    // Why the system refused the device: held by another program, or not the user's.
    QString refusal() const;

    PortDirectory m_ports;
    QSerialPort m_port;
    std::unique_ptr<QSocketNotifier> m_hangUpWatch;
    qint16 m_portNumber = 1;
    QString m_device;
    QString m_identity; // what the system told of the device when it was opened
    bool m_gone = false; // the device went away while open
    QString m_errorString;
};
