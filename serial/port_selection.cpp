// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "port_selection.h"

#include "port_setting.h"
#include "serial_link.h"

#include <limits>

PortSelection::PortSelection(SerialLink &link, PortSetting &setting, ShowWarning showWarning)
    : m_link(link)
    , m_setting(setting)
    , m_showWarning(std::move(showWarning))
{
}

void PortSelection::run(const QVariant &chosenEntry)
{
    m_portError = 0;

    bool isNumber = false;
    const int chosenNumber = chosenEntry.toInt(&isNumber);
    if (!chosenEntry.isValid())
        fail(tr("No serial port is chosen."));
    else if (!isNumber || chosenNumber < std::numeric_limits<qint16>::min()
             || chosenNumber > std::numeric_limits<qint16>::max())
        fail(tr("\"%1\" is not a serial port number.").arg(chosenEntry.toString()));
    else
        m_commNum = static_cast<qint16>(chosenNumber);

    if (m_link.isOpen() && !m_link.close())
        fail(m_link.errorString());

    if (!m_link.setPortNumber(m_commNum))
        fail(m_link.errorString());
    if (!m_link.open())
        fail(m_link.errorString());

    if (m_portError == 0 && !m_setting.save(m_commNum))
        fail(m_setting.errorString());
}

void PortSelection::fail(const QString &description)
{
    m_portError = 1;
    m_showWarning(description);
}
