// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// TALVEN is one window driven by three events. Loading it reads the stored
// port number (PortSetting) and selects that entry of the port list;
// selecting an entry, by the operator or by the load, runs PortSelection,
// which moves the serial link MSComm1 to that port and remembers it; the link
// asks PortDirectory which device the port number is. Pressing "INIT GNSS
// DATE" sends today's date through the link (DateCommand). Every part says
// what failed in its errorString(), and every failure reaches the operator
// through one seam, the warning box.

#include "date_command.h"
#include "port_directory.h"
#include "port_selection.h"
#include "port_setting.h"
#include "serial_link.h"

#include <QCoreApplication>
#include <QStyle>
#include <QWidget>

#include <memory>

class QComboBox;
class QPushButton;

class MainWindow : public QWidget
{
    Q_DECLARE_TR_FUNCTIONS(TALVEN)

public:
    // Without a link, the window opens the serial devices `ports` gives for
    // the port numbers. The port list shows what each entry stands for.
    explicit MainWindow(std::unique_ptr<SerialLink> link = {},
                        const PortDirectory &ports = PortDirectory(), QWidget *parent = nullptr);
    // The controls go before the style that draws their texts.
    ~MainWindow() override { qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly)); }

    // Brings back the port of the previous run, once, before the window shows.
    void load();
    // Chooses entry `index` as the operator does: the port selection runs
    // before this returns. -1 leaves no entry chosen.
    void choosePortEntry(int index);
    // Replaces the modal warning box, for tests.
    void setShowWarning(ShowWarning showWarning) { m_showWarning = std::move(showWarning); }
    void setClock(DateCommand::Clock clock) { m_clock = std::move(clock); }

    qint16 commNum() const { return m_portSelection.commNum(); }
    qint16 portError() const { return m_portSelection.portError(); }

private:
    void selectPort();

    std::unique_ptr<QStyle> m_fittingStyle; // draws the controls' texts
    QComboBox *m_commSel = nullptr;
    QPushButton *m_iniGps = nullptr;
    std::unique_ptr<SerialLink> m_msComm1;

    PortSetting m_portSetting;
    PortSelection m_portSelection;
    ShowWarning m_showWarning;
    DateCommand::Clock m_clock = &QDate::currentDate;
};
