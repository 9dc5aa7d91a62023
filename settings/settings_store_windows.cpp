// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings_store.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

#include <qt_windows.h>

namespace {

// Where the run-time of the program TALVEN replaces kept every program's
// settings, so that a remembered port and a site's .reg preset carry over.
const QString userKey = QStringLiteral("Software\\VB and VBA Program Settings\\TALVEN");
const QString registryKey = QStringLiteral("HKEY_CURRENT_USER\\") + userKey;

QString tr(const char *text)
{
    return QCoreApplication::translate("PortSetting", text);
}

// Why the key could not be read, or a write to it was refused.
std::optional<QString> problem(const QSettings &store)
{
    if (store.status() != QSettings::NoError)
        return tr("The registry key %1 cannot be read or written. Check that your user may "
                  "change it.")
            .arg(registryKey);
    return std::nullopt;
}

// A value of several strings (REG_MULTI_SZ) comes back as a list.
QString valueText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

} // namespace

namespace SettingsStore {

QString location()
{
    return registryKey;
}

Values read()
{
    const QSettings store(registryKey, QSettings::NativeFormat);
    if (std::optional<QString> refused = problem(store))
        return {{}, refused};
    Values values;
    for (const QString &key : store.allKeys())
        values.texts.insert(key, valueText(store.value(key)));
    return values;
}

// The registry takes a value whole or not at all. A value of another type
// than text is replaced by the text.
std::optional<QString> save(const QString &key, const QString &text)
{
    QSettings store(registryKey, QSettings::NativeFormat);
    store.setValue(key, text);
    store.sync();
    return problem(store);
}

// QSettings turns a REG_DWORD into a number, which must not pass for text.
std::optional<QString> nonTextValue(const QString &key)
{
    const QString section = key.section(u'/', 0, 0);
    const QString value = key.section(u'/', 1);
    const QString subKey = userKey + u'\\' + section;
    DWORD type = REG_NONE;
    if (::RegGetValueW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(subKey.utf16()),
                       reinterpret_cast<LPCWSTR>(value.utf16()), RRF_RT_ANY | RRF_NOEXPAND, &type,
                       nullptr, nullptr)
            != ERROR_SUCCESS
        || type == REG_SZ)
        return std::nullopt;
    const QHash<DWORD, QString> names{{REG_DWORD, QStringLiteral("REG_DWORD")},
                                      {REG_QWORD, QStringLiteral("REG_QWORD")},
                                      {REG_EXPAND_SZ, QStringLiteral("REG_EXPAND_SZ")},
                                      {REG_MULTI_SZ, QStringLiteral("REG_MULTI_SZ")},
                                      {REG_BINARY, QStringLiteral("REG_BINARY")}};
    if (const QString name = names.value(type); !name.isEmpty())
        return tr("a %1 value").arg(name);
    return tr("a registry value of type %1").arg(type);
}

} // namespace SettingsStore
