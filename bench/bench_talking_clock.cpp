// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A master clock that talks all day on the port the window holds. First a
// day of its output at 9600 baud (83 MB) written as fast as the line takes
// it, then a run at the line's own rate, 960 octets a second; for each, the
// window's resident memory before and after and the CPU time of the thread
// that runs the window, against the wall time.
//   bench_talking_clock [MEGABYTES [SECONDS]]      # default 83 and 60
#include "memory.h"
#include "talking_clock.h"
#include "window_on_pseudo_terminals.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace {

double threadCpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the event loop, as the program does, until `done`.
template<typename Done>
void runUntil(Done done)
{
    QTimer wakeUp;
    wakeUp.start(100);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void report(const char *what, qint64 before, double cpu, double wall)
{
    const qint64 after = statusKilobytes("VmRSS");
    std::printf("%s: resident %lld kB before, %lld kB after (%+lld kB); window thread %.3f s of "
                "CPU in %.1f s (%.2f %% of a core)\n",
                what, before, after, after - before, cpu, wall, 100 * cpu / wall);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    WindowOnPseudoTerminals bench;
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 83;
    const qint64 seconds = argc > 2 ? std::atoll(argv[2]) : 60;

    // Settled: the window has taken a first megabyte and sent a first press.
    {
        const TalkingClock clock(bench.com1, 1000000);
        runUntil([&] { return clock.sent == 1000000 || clock.gaveUp; });
    }
    if (!bench.pressArrivesAt(bench.com1))
        return std::fprintf(stderr, "the first press did not arrive\n"), 1;

    qint64 before = statusKilobytes("VmRSS");
    double cpu = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    {
        const TalkingClock clock(bench.com1, megabytes * 1000000);
        runUntil([&] { return clock.sent == megabytes * 1000000 || clock.gaveUp; });
        if (clock.gaveUp)
            return std::fprintf(stderr, "the port stopped taking octets\n"), 1;
    }
    report(qPrintable(QStringLiteral("%1 MB at full speed").arg(megabytes)), before,
           threadCpuSeconds() - cpu, double(wall.elapsed()) / 1000);
    if (!bench.pressArrivesAt(bench.com1))
        return std::fprintf(stderr, "the press after the day did not arrive\n"), 1;

    // 96 octets every 100 ms, as a 9600-baud line delivers them.
    before = statusKilobytes("VmRSS");
    cpu = threadCpuSeconds();
    wall.restart();
    std::atomic<bool> talking = true;
    std::thread line([&] {
        const QByteArray tenth(96, 'T');
        for (auto next = std::chrono::steady_clock::now(); talking;) {
            if (::write(bench.com1.controller, tenth.constData(), size_t(tenth.size()))
                != tenth.size())
                std::fprintf(stderr, "the line did not take a tenth of a second's octets\n");
            std::this_thread::sleep_until(next += std::chrono::milliseconds(100));
        }
    });
    runUntil([&] { return wall.elapsed() >= seconds * 1000; });
    talking = false;
    line.join();
    report(qPrintable(QStringLiteral("%1 s at 960 octets a second").arg(seconds)), before,
           threadCpuSeconds() - cpu, double(wall.elapsed()) / 1000);
    return bench.pressArrivesAt(bench.com1)
        ? 0
        : (std::fprintf(stderr, "the last press did not arrive\n"), 1);
}
