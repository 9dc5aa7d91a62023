// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "main_window.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TALVEN"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    // The fonts the program carries, where it carries any (on Windows).
    for (const QFileInfo &font : QDir(QStringLiteral(":/fonts")).entryInfoList(QDir::Files))
        QFontDatabase::addApplicationFont(font.filePath());

    MainWindow window;
    window.load();
    window.show();
    return QApplication::exec();
}
