// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings_store.h"

#include <QCoreApplication>

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

// Why the key could not be read, or the last write to it was refused.
std::optional<QString> problem(const QSettings &store)
{
    if (store.status() != QSettings::NoError)
        return tr("The registry key %1 cannot be read or written. Check that your user may "
                  "change it.")
            .arg(registryKey);
    return std::nullopt;
}

} // namespace

namespace SettingsStore {

QString location()
{
    return registryKey;
}

Store open()
{
    auto settings = std::make_unique<QSettings>(registryKey, QSettings::NativeFormat);
    if (std::optional<QString> refused = problem(*settings))
        return {nullptr, *refused};
    return {std::move(settings), {}};
}

// The registry takes a value whole or not at all.
std::optional<QString> save(const QString &key, const QString &text)
{
    const Store opened = open();
    if (!opened.settings)
        return opened.problem;
    QSettings &store = *opened.settings;
    const QVariant stored = store.value(key);
    if (stored == QVariant(text) && !nonTextValue(key))
        return std::nullopt;
    store.setValue(key, text);
    store.sync();
    const std::optional<QString> refused = problem(store);
    // QSettings keeps a change it could not write for every later reader in
    // this process, so a number not saved would pass for saved.
    if (refused && stored.isValid())
        store.setValue(key, stored);
    else if (refused)
        store.remove(key);
    return refused;
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
    switch (type) {
    case REG_DWORD:
        return tr("a REG_DWORD value");
    case REG_QWORD:
        return tr("a REG_QWORD value");
    case REG_EXPAND_SZ:
        return tr("a REG_EXPAND_SZ value");
    case REG_MULTI_SZ:
        return tr("a REG_MULTI_SZ value");
    case REG_BINARY:
        return tr("a REG_BINARY value");
    default:
        return tr("a registry value of type %1").arg(type);
    }
}

} // namespace SettingsStore
