// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_setting.h"

namespace {

std::optional<qint16> portNumberIn(const QString &text)
{
    bool isNumber = false;
    const short number = text.trimmed().toShort(&isNumber, 10);
    return isNumber ? std::optional<qint16>(number) : std::nullopt;
}

} // namespace

bool PortSetting::read(qint16 &portNumber)
{
    std::optional<QString> text;
    if (!readText(text))
        return false;
    const std::optional<qint16> number = text ? portNumberIn(*text) : qint16(1);
    if (!number)
        return fail(tr("The stored serial port number \"%1\" in %2 is not a whole number from "
                       "-32768 to 32767.")
                        .arg(*text, location()));
    portNumber = *number;
    return true;
}

bool PortSetting::save(qint16 portNumber)
{
    std::optional<QString> text;
    if (readText(text) && text && portNumberIn(*text) == portNumber)
        return true;
    return writeText(QString::number(portNumber))
        || fail(tr("The serial port number was not saved. %1").arg(m_errorString));
}
