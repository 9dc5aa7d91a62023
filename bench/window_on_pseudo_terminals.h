// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "main_window.h"
#include "talven_test.h"

#include <QPushButton>

#include <memory>

// TALVEN's window, loaded, on a machine whose settings pin Com1 and Com2 to
// pseudo-terminals; it counts the warnings it would show.
struct WindowOnPseudoTerminals
{
    FakeMachine machine;
    PseudoTerminal com1, com2;
    std::unique_ptr<MainWindow> window;
    QPushButton *iniGps = nullptr;
    int warnings = 0;

    WindowOnPseudoTerminals()
    {
        FakeMachine::writeSettings("[Ports]\nCom1=" + com1.name.toUtf8()
                                   + "\nCom2=" + com2.name.toUtf8() + "\n");
        window = std::make_unique<MainWindow>();
        window->setShowWarning([this](const QString &) { ++warnings; });
        window->load();
        iniGps = window->findChild<QPushButton *>(QStringLiteral("IniGPS"));
    }
    WindowOnPseudoTerminals(const WindowOnPseudoTerminals &) = delete;
    WindowOnPseudoTerminals &operator=(const WindowOnPseudoTerminals &) = delete;

    // A press whose 46 octets all reach `far` within a second, with no warning.
    bool pressArrivesAt(const PseudoTerminal &far)
    {
        iniGps->click();
        return far.read(46).size() == 46 && warnings == 0;
    }
};
