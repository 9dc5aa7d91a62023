// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Starts as TALVEN's program does ("talven"), as an empty Qt Widgets window
// of the same size ("empty") or as one that shows a single word of text
// ("text"), and prints "mapped" with the peak resident memory in kB once the
// window is exposed, then "painted" once its first paint is over, and ends
// there, or at "mapped" when that is the finish line asked for.
// bench_startup runs it and takes the time, or the instructions.
//   bench_window talven|empty|text [mapped|painted]
#include "main_window.h"
#include "memory.h"

#include <QApplication>
#include <QLabel>
#include <QWindow>

#include <utility>

#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

void finish(const char *line)
{
    std::printf("%s %lld\n", line, statusKilobytes("VmHWM"));
    std::fflush(stdout);
}

// The finish lines: the window's first expose reaches it (the map), and its
// first paint is over, which it is once the event loop returns.
struct FinishLines : QObject
{
    bool toTheMap = false, mapped = false, painted = false;
    bool eventFilter(QObject * /*watched*/, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !std::exchange(mapped, true)) {
            finish("mapped");
            if (toTheMap)
                ::_exit(0);
        }
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TALVEN"));
    const QByteArray mode = argc > 1 ? argv[1] : "talven";

    std::unique_ptr<QWidget> window;
    if (mode == "talven") {
        auto mainWindow = std::make_unique<MainWindow>();
        mainWindow->load();
        if (mainWindow->portError() != 0 || mainWindow->commNum() != 1)
            return 1;
        window = std::move(mainWindow);
    } else {
        window = std::make_unique<QWidget>();
        window->setFixedSize(225, 187);
        if (mode == "text")
            new QLabel(QStringLiteral("Text"), window.get());
    }
    FinishLines lines;
    lines.toTheMap = argc > 2 && std::strcmp(argv[2], "mapped") == 0;
    window->winId(); // its QWindow, to watch from its first event on
    window->windowHandle()->installEventFilter(&lines);
    window->installEventFilter(&lines);
    window->show();
    while (!lines.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    finish("painted");
    ::_exit(0); // the finish line: nothing after it is counted
}
