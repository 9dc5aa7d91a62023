// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Starts as TALVEN's program does ("talven"), as an empty Qt Widgets window
// ("empty") or as one that shows a single word of text ("text"), waits until
// the window is shown, and prints "shown" with the peak resident memory in
// kB. bench_startup runs it and takes the time.
#include "main_window.h"
#include "memory.h"

#include <QApplication>
#include <QLabel>
#include <QWindow>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TALVEN"));
    const bool talven = argc > 1 && std::strcmp(argv[1], "talven") == 0;

    std::unique_ptr<QWidget> window;
    if (talven) {
        auto mainWindow = std::make_unique<MainWindow>();
        mainWindow->load();
        if (mainWindow->portError() != 0 || mainWindow->commNum() != 1)
            return 1;
        window = std::move(mainWindow);
    } else {
        window = std::make_unique<QWidget>();
        window->setFixedSize(225, 187);
        if (argc > 1 && std::strcmp(argv[1], "text") == 0)
            new QLabel(QStringLiteral("Text"), window.get());
    }
    window->show();
    while (!window->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

    std::printf("shown %lld\n", statusKilobytes("VmHWM"));
    return 0;
}
