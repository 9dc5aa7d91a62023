// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>

// The one value TALVEN remembers between runs: the number of the serial port
// chosen last, in section "Startup", key "Orvcomm" of the per-user settings,
// as decimal text. Every call reads the settings afresh.
class PortSetting
{
    Q_DECLARE_TR_FUNCTIONS(TALVEN)

public:
    // On Linux the file $XDG_CONFIG_HOME/TALVEN/TALVEN.conf, by default under
    // ~/.config; on Windows the registry key HKEY_CURRENT_USER\Software\VB
    // and VBA Program Settings\TALVEN, where every program of the old
    // run-time kept its settings.
    static QString location();

    // The stored port number, 1 when none is stored. Fails when the settings
    // cannot be read or hold no whole number from -32768 to 32767.
    bool read(qint16 &portNumber);
    // A number already stored, in whatever form a hand wrote it ("07"), is
    // not written again: the settings may be locked read-only.
    bool save(qint16 portNumber);

    QString errorString() const { return m_errorString; }

private:
    // The stored text, nullopt when there is none: port_setting_unix.cpp
    // (a file), port_setting_windows.cpp (the registry).
    bool readText(std::optional<QString> &text);
    bool writeText(const QString &text);
    bool fail(const QString &description)
    {
        m_errorString = description;
        return false;
    }

    QString m_errorString;
};
