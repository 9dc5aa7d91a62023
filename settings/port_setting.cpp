// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_setting.h"

#include "settings_store.h"

#include <QCoreApplication>

namespace {

const QString portNumberKey = QStringLiteral("Startup/Orvcomm");
const QString portsPrefix = QStringLiteral("Ports/Com");

QString tr(const char *text)
{
    return QCoreApplication::translate("PortSetting", text);
}

} // namespace

QString PortSetting::location()
{
    return SettingsStore::location();
}

std::optional<qint16> PortSetting::parsePortNumber(const QString &text)
{
    bool ok = false;
    const short number = text.trimmed().toShort(&ok, 10);
    return ok ? std::optional<qint16>(number) : std::nullopt;
}

std::optional<qint16> PortSetting::read()
{
    const SettingsStore::Values stored = SettingsStore::read();
    if (stored.problem) {
        m_errorString = *stored.problem;
        return std::nullopt;
    }
    const auto text = stored.texts.constFind(portNumberKey);
    if (text == stored.texts.cend())
        return 1;
    if (const std::optional<QString> kind = SettingsStore::nonTextValue(portNumberKey)) {
        m_errorString = tr("The stored serial port number (Orvcomm in section Startup of %1) "
                           "is %2, not text. Choose the port again, or remove the value.")
                            .arg(location(), *kind);
        return std::nullopt;
    }
    const std::optional<qint16> number = parsePortNumber(*text);
    if (!number) {
        m_errorString = tr("The stored serial port number \"%1\" in %2 is not a whole number "
                           "from -32768 to 32767.")
                            .arg(*text, location());
    }
    return number;
}

// A number already stored, in whatever form a hand gave it ("07"), is not
// written again: the settings may be locked read-only, or on a full disk.
bool PortSetting::save(qint16 portNumber)
{
    const SettingsStore::Values stored = SettingsStore::read();
    const auto text = stored.texts.constFind(portNumberKey);
    if (!stored.problem && text != stored.texts.cend()
        && !SettingsStore::nonTextValue(portNumberKey) && parsePortNumber(*text) == portNumber)
        return true;
    if (const std::optional<QString> problem
        = SettingsStore::save(portNumberKey, QString::number(portNumber))) {
        m_errorString = tr("The serial port number was not saved. %1").arg(*problem);
        return false;
    }
    return true;
}

QHash<qint16, QString> PortSetting::pinnedDevices() const
{
    QHash<qint16, QString> pinned;
    const QHash<QString, QString> texts = SettingsStore::read().texts;
    for (auto entry = texts.cbegin(); entry != texts.cend(); ++entry) {
        const std::optional<qint16> number = entry.key().startsWith(portsPrefix)
            ? parsePortNumber(entry.key().mid(portsPrefix.size()))
            : std::nullopt;
        const QString device = entry.value().trimmed();
        if (number && !device.isEmpty())
            pinned.insert(*number, device);
    }
    return pinned;
}
