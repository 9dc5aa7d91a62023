// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QString>

#include <optional>

// The one value TALVEN remembers between runs: the number of the serial port
// chosen last, kept in the per-user settings (location()) as section
// "Startup", key "Orvcomm", value the port number as decimal text. The same
// settings may pin a port number to a device of the user's choice in section
// "Ports" ("Com3=/dev/ttyUSB0"); TALVEN reads that section but never writes
// it. Every operation reads the settings afresh (SettingsStore), so a change
// made by hand while the program runs is seen by the next read.
class PortSetting
{
public:
    // On Linux the file $XDG_CONFIG_HOME/TALVEN/TALVEN.conf, by default under
    // ~/.config; on Windows the registry key HKEY_CURRENT_USER\Software\VB
    // and VBA Program Settings\TALVEN, where every program of the old
    // run-time kept its settings.
    static QString location();

    // The stored port number, or 1 when none is stored. Fails (nullopt, with
    // errorString()) when the settings cannot be read or the stored value is
    // not the text of a 16-bit integer.
    std::optional<qint16> read();

    // Replaces the stored port number with the decimal text of `portNumber`.
    bool save(qint16 portNumber);

    // The "Ports" section: the devices the user pinned to port numbers. Empty
    // when the settings cannot be read.
    QHash<qint16, QString> pinnedDevices() const;

    QString errorString() const { return m_errorString; }

    // Stored port numbers are read as the decimal text of a 16-bit integer
    // with an optional sign; spaces around it are ignored, anything else
    // (fractions, exponents, words, digits out of range) is refused.
    static std::optional<qint16> parsePortNumber(const QString &text);

private:
    QString m_errorString;
};
