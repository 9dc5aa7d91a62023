// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "main_window.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
#ifdef SIGXFSZ
    // Past the user's file size limit a write is refused and reported, as on
    // a full disk, rather than ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TALVEN"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    MainWindow window;
    window.load();
    window.show();
    return QApplication::exec();
}
