// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "serial_link.h"

// Windows refuses a COM port that another program holds with "access denied".
QString SerialPortLink::refusal() const
{
    return tr("it is in use by another program.");
}

// QSerialPort itself reports a COM port that vanished while open, at once.
bool SerialPortLink::hasHungUp() const
{
    return false;
}

void SerialPortLink::watchForHangUp() { }
