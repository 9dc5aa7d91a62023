// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up time and peak memory of TALVEN's window against an empty Qt
// Widgets window, both from the same build, run alternately in one run; a
// window with one word of text shows what drawing any text costs.
// Time runs from starting the process to the window being shown with the
// stored port (a pseudo-terminal) open.
//   bench_startup [RUNS]
#include "talven_test.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

struct Run
{
    qint64 nanoseconds = 0;
    qint64 peakKilobytes = 0;
};

Run runOnce(const QString &mode, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(BENCH_WINDOW), {mode});
    if (!process.waitForReadyRead(30000))
        return {};
    Run run{timer.nsecsElapsed(), 0};
    const QList<QByteArray> words = process.readLine().trimmed().split(' ');
    if (words.size() == 2 && words[0] == "shown")
        run.peakKilobytes = words[1].toLongLong();
    process.waitForFinished();
    return process.exitCode() == 0 ? run : Run{};
}

template<typename Value>
double median(std::vector<Value> values)
{
    std::sort(values.begin(), values.end());
    return static_cast<double>(values[values.size() / 2]);
}

// Median time of `runs` calls of `work`, in ms.
template<typename Work>
double medianMilliseconds(int runs, Work work)
{
    std::vector<qint64> nanoseconds;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        nanoseconds.push_back(timer.nsecsElapsed());
    }
    return median(nanoseconds) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 30;
    const FakeMachine home; // the settings of this process and of the windows it starts
    PseudoTerminal com1;
    FakeMachine::writeSettings("[Ports]\nCom1=" + com1.name.toUtf8() + "\n[Startup]\nOrvcomm=1\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    std::vector<qint64> talvenTime, emptyTime, textTime, talvenPeak, emptyPeak;
    for (int run = 0; run < runs + 2; ++run) {
        const Run talven = runOnce(QStringLiteral("talven"), environment);
        const Run empty = runOnce(QStringLiteral("empty"), environment);
        const Run text = runOnce(QStringLiteral("text"), environment);
        if (!talven.nanoseconds || !empty.nanoseconds || !text.nanoseconds) {
            std::fprintf(stderr, "a window did not show\n");
            return 1;
        }
        if (run < 2) // the first runs fill the system's caches
            continue;
        talvenTime.push_back(talven.nanoseconds);
        emptyTime.push_back(empty.nanoseconds);
        textTime.push_back(text.nanoseconds);
        talvenPeak.push_back(talven.peakKilobytes);
        emptyPeak.push_back(empty.peakKilobytes);
    }
    const double talvenMs = median(talvenTime) / 1e6, emptyMs = median(emptyTime) / 1e6;
    const double talvenKb = median(talvenPeak), emptyKb = median(emptyPeak);
    std::printf("start-up to shown, median of %d runs on %s: TALVEN %.1f ms, empty window %.1f ms,"
                " ratio %.3f\n",
                runs, qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"))), talvenMs,
                emptyMs, talvenMs / emptyMs);
    std::printf("a window with one word of text: %.1f ms, ratio of TALVEN to it %.3f\n",
                median(textTime) / 1e6, talvenMs / (median(textTime) / 1e6));
    // A port number not pinned in the settings is looked up among the
    // machine's serial ports at start-up (the window above has Com1 pinned);
    // what each entry stands for is told only when the list opens.
    PortDirectory machine;
    const double lookupMs = medianMilliseconds(200, [&] { return machine.systemPorts(); });
    std::printf("finding the machine's serial ports, median of 200: %.3f ms, %.3f of the empty "
                "window's start-up\n",
                lookupMs, lookupMs / emptyMs);
    std::printf("telling the 50 entries' devices as the list opens, median of 200: %.3f ms\n",
                medianMilliseconds(200, [&] { return machine.describe(50); }));
    std::printf("peak resident memory, median: TALVEN %.0f kB, empty window %.0f kB, ratio %.3f\n",
                talvenKb, emptyKb, talvenKb / emptyKb);
    return 0;
}
