// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// From the button's click to the last of the 46 octets being readable on the
// far end of a pseudo-terminal, over many presses: median and 99th percentile.
//   bench_press_to_wire [PRESSES]
#include "window_on_pseudo_terminals.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>

namespace {

// Reads whatever is there until `count` octets have come.
bool readAll(int controller, qsizetype count)
{
    char buffer[64];
    while (count > 0) {
        pollfd ready{controller, POLLIN, 0};
        if (::poll(&ready, 1, 1000) != 1)
            return false;
        const ssize_t got = ::read(controller, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        count -= got;
    }
    return count == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int presses = argc > 1 ? std::atoi(argv[1]) : 2000;
    WindowOnPseudoTerminals bench;

    std::vector<qint64> nanoseconds;
    nanoseconds.reserve(static_cast<size_t>(presses));
    for (int press = 0; press < presses + 100; ++press) {
        QElapsedTimer timer;
        timer.start();
        bench.iniGps->click();
        if (!readAll(bench.com1.controller, 46) || bench.warnings) {
            std::fprintf(stderr, "press %d did not arrive\n", press);
            return 1;
        }
        if (press >= 100) // the first hundred warm the caches
            nanoseconds.push_back(timer.nsecsElapsed());
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    const auto at = [&](double share) {
        return static_cast<double>(nanoseconds[static_cast<size_t>(share * (presses - 1))]) / 1e6;
    };
    std::printf("press to wire over %d presses: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                presses, at(0.5), at(0.99), at(1.0));
    std::printf("line time for 46 octets at 9600 8N1: 47.917 ms; p99 adds %.2f %%\n",
                at(0.99) / 47.917 * 100);
    return 0;
}
