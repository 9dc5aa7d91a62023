// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_setting.h"

#include "settings_file.h"

#include <QStandardPaths>

#include <csignal>

namespace {

const QString portNumberKey = QStringLiteral("Startup/Orvcomm");

} // namespace

QString PortSetting::location()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/TALVEN/TALVEN.conf");
}

bool PortSetting::readText(std::optional<QString> &text)
{
    SettingsFile settings(location());
    if (!settings.read())
        return fail(settings.errorString());
    text = settings.value(portNumberKey);
    return true;
}

bool PortSetting::writeText(const QString &text)
{
    // Past the user's file size limit a write is refused, and reported as on
    // a full disk, rather than ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    SettingsFile settings(location());
    return settings.save(portNumberKey, text) || fail(settings.errorString());
}
