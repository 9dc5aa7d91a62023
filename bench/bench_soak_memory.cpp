// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Resident memory across presses and port changes (one every ten presses)
// against two pseudo-terminals, taken after every tenth of the run; the
// first tenth is the baseline.
//   bench_soak_memory [PRESSES]        # default 10,000
#include "main_window.h"
#include "memory.h"
#include "talven_test.h"

#include <QApplication>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FakeMachine machine;
    PseudoTerminal com1;
    PseudoTerminal com2;
    FakeMachine::writeSettings("[Ports]\nCom1=" + com1.name.toUtf8()
                               + "\nCom2=" + com2.name.toUtf8());
    MainWindow window;
    int warnings = 0;
    window.setShowWarning([&](const QString &) { ++warnings; });
    window.load();
    auto *iniGps = window.findChild<QPushButton *>(QStringLiteral("IniGPS"));

    const int presses = argc > 1 ? std::atoi(argv[1]) : 10000;
    qint64 settled = 0;
    PseudoTerminal *current = &com1;
    for (int press = 0; press < presses; ++press) {
        if (press % 10 == 0) {
            current = current == &com1 ? &com2 : &com1;
            window.choosePortEntry(current == &com1 ? 0 : 1);
        }
        iniGps->click();
        if (current->read(46, 1000).size() != 46 || warnings) {
            std::fprintf(stderr, "press %d did not arrive\n", press);
            return 1;
        }
        if ((press + 1) % (presses / 10) == 0) {
            const qint64 now = statusKilobytes("VmRSS");
            if (settled == 0)
                settled = now;
            std::printf("after %6d presses and %5d port changes: resident %lld kB (%+lld kB)\n",
                        press + 1, (press + 10) / 10, now, now - settled);
        }
    }
    return 0;
}
