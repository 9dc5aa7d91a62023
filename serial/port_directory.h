// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Tells which device serves each port number. A "Ports" entry of the user's
// settings pins a number to a device of the user's choice. Every other
// number follows the serial ports the machine has now, in a fixed order:
// UARTs with hardware behind them by device number, then /dev/ttyUSB*, then
// /dev/ttyACM*, then any other serial port by name. So on a machine with no
// UART and one USB adapter, "Com1" is that adapter, and a number stays with
// its device while the set of devices does not change. On Windows "ComN" is
// "COMN", listed by the system or not.
//
// The ports are looked up afresh on every question, so an adapter plugged in
// while the program runs is found without a restart.
class PortDirectory
{
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
    explicit PortDirectory(QString systemRoot = {});

    // The device of port `portNumber`, or nullopt when this machine has none.
    std::optional<QString> deviceFor(qint16 portNumber) const;

    // What ports 1 to `count` stand for, as the port list shows them: the
    // device and its details, a pinned device that is not there now, or "no
    // device".
    QStringList describe(int count) const;

    // "Com1 (/dev/ttyUSB0), Com2 (/dev/ttyACM0)", or empty when the machine
    // has no serial port.
    QString presentPorts() const;

    // The machine's serial ports in the order of their numbers.
    QList<Port> systemPorts(bool withDetails = false) const;

private:
    QString m_systemRoot;
};
