// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_setting.h"

#include "settings_store.h"

#include <QCoreApplication>
#include <QStringList>
#include <QVariant>

namespace {

const QString portNumberKey = QStringLiteral("Startup/Orvcomm");
const QString portsSection = QStringLiteral("Ports");

QString tr(const char *text)
{
    return QCoreApplication::translate("PortSetting", text);
}

// A hand-edited value holding a comma comes back from the store as a list.
QString storedText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
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
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<qint16> PortSetting::read()
{
    const SettingsStore::Store store = SettingsStore::open();
    if (!store.settings) {
        m_errorString = store.problem;
        return std::nullopt;
    }
    const QVariant value = store.settings->value(portNumberKey);
    if (!value.isValid())
        return 1;
    if (const std::optional<QString> kind = SettingsStore::nonTextValue(portNumberKey)) {
        m_errorString = tr("The stored serial port number (Orvcomm in section Startup of %1) "
                           "is %2, not text. Choose the port again, or remove the value.")
                            .arg(location(), *kind);
        return std::nullopt;
    }
    const QString text = storedText(value);
    const std::optional<qint16> number = parsePortNumber(text);
    if (!number) {
        m_errorString = tr("The stored serial port number \"%1\" in %2 is not a whole number "
                           "from -32768 to 32767.")
                            .arg(text, location());
    }
    return number;
}

bool PortSetting::save(qint16 portNumber)
{
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
    const SettingsStore::Store store = SettingsStore::open();
    if (!store.settings)
        return pinned;
    store.settings->beginGroup(portsSection);
    for (const QString &key : store.settings->childKeys()) {
        const std::optional<qint16> number
            = key.startsWith(QLatin1String("Com")) ? parsePortNumber(key.mid(3)) : std::nullopt;
        const QString device = store.settings->value(key).toString().trimmed();
        if (number && !device.isEmpty())
            pinned.insert(*number, device);
    }
    return pinned;
}
