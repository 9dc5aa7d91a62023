// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up of TALVEN's window against an empty Qt Widgets window of the same
// size, both from the same build, to two finish lines: the window mapped
// (exposed), and its first paint over. Time: the medians of RUNS runs of
// each, run alternately from starting the process; instructions: those
// callgrind counts to each finish line, the same from run to run, however
// busy the machine. A window with one word of text shows what drawing any
// text costs. TALVEN's start-up opens the stored port, a pseudo-terminal.
//   bench_startup [RUNS]
#include "talven_test.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

const QStringList windows{QStringLiteral("talven"), QStringLiteral("empty"),
                          QStringLiteral("text")};
const QStringList finishLines{QStringLiteral("mapped"), QStringLiteral("painted")};

// Nanoseconds to each finish line, and the peak resident memory in kB.
std::map<QString, qint64> runOnce(const QString &window, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(BENCH_WINDOW), {window, QStringLiteral("painted")});
    std::map<QString, qint64> run;
    while (!run.contains(QStringLiteral("painted")) && process.waitForReadyRead(30000)) {
        while (process.canReadLine()) {
            const QList<QByteArray> words = process.readLine().trimmed().split(' ');
            run[QString::fromLatin1(words.first())] = timer.nsecsElapsed();
            run[QStringLiteral("peak")] = words.value(1).toLongLong();
        }
    }
    process.waitForFinished();
    return process.exitCode() == 0 && run.size() == 3 ? run : std::map<QString, qint64>{};
}

// What callgrind counts from the start of `window` to `finishLine`, or -1.
qint64 instructions(const QString &window, const QString &finishLine,
                    const QProcessEnvironment &environment)
{
    QProcess valgrind;
    valgrind.setProcessEnvironment(environment);
    valgrind.start(QStringLiteral("valgrind"),
                   {QStringLiteral("--tool=callgrind"),
                    QStringLiteral("--callgrind-out-file=/dev/null"),
                    QStringLiteral("--child-silent-after-fork=yes"), QStringLiteral(BENCH_WINDOW),
                    window, finishLine});
    valgrind.waitForFinished(600000);
    const QRegularExpression collected(QStringLiteral("Collected : (\\d+)"));
    const auto match = collected.match(QString::fromLatin1(valgrind.readAllStandardError()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

double median(std::vector<qint64> values)
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
    const QByteArray platform = environment.value(QStringLiteral("QT_QPA_PLATFORM")).toLatin1();

    std::map<QString, std::map<QString, std::vector<qint64>>> measured; // window, finish line
    for (int run = 0; run < runs + 2; ++run) {
        for (const QString &window : windows) {
            const std::map<QString, qint64> once = runOnce(window, environment);
            if (once.empty())
                return std::fprintf(stderr, "the %s window did not show\n", qPrintable(window)), 1;
            for (const auto &[what, value] : once)
                if (run >= 2) // the first runs fill the system's caches
                    measured[window][what].push_back(value);
        }
    }
    for (const QString &line : finishLines) {
        const double talven = median(measured[windows[0]][line]) / 1e6,
                     empty = median(measured[windows[1]][line]) / 1e6;
        std::printf("to %s, median of %d runs on %s: TALVEN %.1f ms, empty window %.1f ms, ratio "
                    "%.3f; a window with one word of text %.1f ms\n",
                    qPrintable(line), runs, platform.constData(), talven, empty, talven / empty,
                    median(measured[windows[2]][line]) / 1e6);
    }
    const double talvenKb = median(measured[windows[0]][QStringLiteral("peak")]),
                 emptyKb = median(measured[windows[1]][QStringLiteral("peak")]);
    std::printf("peak resident memory, median: TALVEN %.0f kB, empty window %.0f kB, ratio %.3f\n",
                talvenKb, emptyKb, talvenKb / emptyKb);
    for (const QString &line : finishLines) {
        const qint64 talven = instructions(windows[0], line, environment),
                     empty = instructions(windows[1], line, environment);
        if (talven < 0 || empty < 0)
            return std::fprintf(stderr, "valgrind did not count: apt-get install valgrind\n"), 1;
        std::printf(
            "to %s, instructions on %s: TALVEN %lld, empty window %lld (%+lld), ratio %.3f\n",
            qPrintable(line), platform.constData(), talven, empty, talven - empty,
            double(talven) / double(empty));
    }
    // A port number not pinned is looked up among the machine's serial ports
    // at start-up (the window above has Com1 pinned); what each entry stands
    // for is told only when the list opens.
    PortDirectory machine;
    std::printf("finding the machine's serial ports, median of 200: %.3f ms\n",
                medianMilliseconds(200, [&] { return machine.systemPorts(); }));
    std::printf("telling the 50 entries' devices as the list opens, median of 200: %.3f ms\n",
                medianMilliseconds(200, [&] { return machine.describe(50); }));
    return 0;
}
