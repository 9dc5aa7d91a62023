// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Resident memory across presses and port changes (one every ten presses)
// against two pseudo-terminals, taken after every tenth of the run; the
// first tenth is the baseline.
//   bench_soak_memory [PRESSES]        # default 10,000
#include "memory.h"
#include "window_on_pseudo_terminals.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    WindowOnPseudoTerminals bench;
    const int presses = argc > 1 ? std::atoi(argv[1]) : 10000;
    qint64 settled = 0;
    PseudoTerminal *current = &bench.com1;
    for (int press = 0; press < presses; ++press) {
        if (press % 10 == 0) {
            current = current == &bench.com1 ? &bench.com2 : &bench.com1;
            bench.window->choosePortEntry(current == &bench.com1 ? 0 : 1);
        }
        if (!bench.pressArrivesAt(*current)) {
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
