// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QString>
#include <QVariant>

#include <functional>

class PortSetting;
class SerialLink;

// Shows a failure's description to the operator, modally.
using ShowWarning = std::function<void(const QString &description)>;

// Moves the serial link to the port chosen in the port list and, when every
// step went well, remembers that port. A failing step shows its own warning
// box and the other steps still run, so one selection can show several boxes,
// in step order; after any failure nothing is stored.
class PortSelection
{
    Q_DECLARE_TR_FUNCTIONS(TALVEN)

public:
    PortSelection(SerialLink &link, PortSetting &setting, ShowWarning showWarning);

    // `chosenEntry` is the item datum of the chosen list entry: its port
    // number, or an invalid QVariant when no entry is chosen.
    void run(const QVariant &chosenEntry);

    // The port number the link is to use (CommNum): 0 until start-up sets it.
    qint16 commNum() const { return m_commNum; }
    void setCommNum(qint16 commNum) { m_commNum = commNum; }
    // 1 when a step of the latest selection failed (PortError), else 0.
    qint16 portError() const { return m_portError; }

private:
    void fail(const QString &description);

    SerialLink &m_link;
    PortSetting &m_setting;
    ShowWarning m_showWarning;
    qint16 m_commNum = 0;
    qint16 m_portError = 0;
};
