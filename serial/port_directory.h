// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Tells which device serves each port number, looked up afresh at every
// question. On Linux section "Ports" of the settings file may pin a number
// to a device ("Com3=/dev/serial/by-id/..."); every other number follows the
// machine's serial ports: UARTs with hardware behind them, /dev/ttyUSB*,
// /dev/ttyACM*, then the other families by name, each family by number. On
// Windows "ComN" is "COMN" (port_directory_unix.cpp, _windows.cpp).
class PortDirectory
{
    Q_DECLARE_TR_FUNCTIONS(TALVEN)

public:
    // A serial port of the machine, and what the system tells of it.
    struct Port
    {
        qint16 number = 0; // 1 for "Com1"
        QString device; // "/dev/ttyUSB0", "COM3"
        QString details; // "FT232R USB UART, serial A1B2C3", or empty
    };

    // `systemRoot` is where the machine's /sys and /dev are found: the root
    // folder, or a folder that stands for it in tests.
    explicit PortDirectory(QString systemRoot = {})
        : m_systemRoot(std::move(systemRoot))
    {
    }

    // Fails when the machine has no device for the number, or the pins
    // cannot be read.
    bool deviceFor(qint16 portNumber, QString &device);
    // What ports 1 to `count` stand for, as the port list tells them.
    QStringList describe(int count);
    // "This machine's serial ports: Com1 (/dev/ttyUSB0).", or that it has none.
    QString presentPorts() const;
    // The machine's serial ports in the order of their numbers.
    QList<Port> systemPorts(bool withDetails = false) const;
    // What the system tells of `device` ("FT232R USB UART, serial A1B2C3").
    QString detailsOf(const QString &device) const;
    // "Com3 (/dev/ttyUSB0)", or "Com3" when the device is not known.
    static QString label(qint16 portNumber, const QString &device);

    QString errorString() const { return m_errorString; }

private:
    // The devices the user pinned to port numbers.
    bool readPins(QHash<qint16, QString> &pins);
    bool fail(const QString &description)
    {
        m_errorString = description;
        return false;
    }

    QString m_systemRoot;
    QString m_errorString;
};
