// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_setting.h"

#include <QSettings>

#include <qt_windows.h>

namespace {

// Where the run-time of the program TALVEN replaces kept every program's
// settings, so that a remembered port and a site's .reg preset carry over.
const QString userKey = QStringLiteral("Software\\VB and VBA Program Settings\\TALVEN");
const QString portNumberKey = QStringLiteral("Startup/Orvcomm");

// QSettings turns a REG_DWORD into a number, which must not pass for text:
// the kind of a value that is there but no REG_SZ, in the registry's words.
QString nonTextKind()
{
    const QString subKey = userKey + QStringLiteral("\\Startup");
    DWORD type = REG_NONE;
    if (::RegGetValueW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(subKey.utf16()), L"Orvcomm",
                       RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr)
            != ERROR_SUCCESS
        || type == REG_SZ)
        return {};
    // A .reg preset's dword:00000003 is the one met in the field.
    return type == REG_DWORD ? QStringLiteral("REG_DWORD") : QStringLiteral("type %1").arg(type);
}

} // namespace

QString PortSetting::location()
{
    return QStringLiteral("HKEY_CURRENT_USER\\") + userKey;
}

bool PortSetting::readText(std::optional<QString> &text)
{
    const QSettings store(location(), QSettings::NativeFormat);
    if (store.status() != QSettings::NoError)
        return fail(tr("The registry key %1 cannot be read. Check that your user may read it.")
                        .arg(location()));
    text.reset();
    if (!store.contains(portNumberKey))
        return true;
    if (const QString kind = nonTextKind(); !kind.isEmpty())
        return fail(tr("The stored serial port number (Orvcomm in section Startup of %1) is a %2 "
                       "value, not text. Choose the port again, or remove the value.")
                        .arg(location(), kind));
    text = store.value(portNumberKey).toString();
    return true;
}

// The registry takes a value whole or not at all; one of another kind than
// text is replaced by the text.
bool PortSetting::writeText(const QString &text)
{
    QSettings store(location(), QSettings::NativeFormat);
    store.setValue(portNumberKey, text);
    store.sync();
    return store.status() == QSettings::NoError
        || fail(tr("The registry key %1 cannot be written. Check that your user may change it.")
                    .arg(location()));
}
