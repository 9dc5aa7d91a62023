// Resident memory across 10,000 presses and 1,000 port changes against two
// pseudo-terminals: taken after the first 1,000 presses and at the end.
#include "main_window.h"
#include "memory.h"
#include "pseudo_terminal.h"
#include "settings_folder.h"

#include <QApplication>
#include <QPushButton>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SettingsFolder folder;
    PseudoTerminal com1;
    PseudoTerminal com2;
    folder.write("[Ports]\nCom1=" + com1.deviceName().toUtf8() + "\nCom2="
                 + com2.deviceName().toUtf8() + "\n");
    MainWindow window;
    int warnings = 0;
    window.setShowWarning([&](const QString &) { ++warnings; });
    window.load();
    auto *iniGps = window.findChild<QPushButton *>(QStringLiteral("IniGPS"));

    qint64 settled = 0;
    PseudoTerminal *current = &com1;
    for (int press = 0; press < 10000; ++press) {
        if (press % 10 == 0) {
            current = current == &com1 ? &com2 : &com1;
            window.choosePortEntry(current == &com1 ? 0 : 1);
        }
        iniGps->click();
        if (current->read(46).size() != 46 || warnings) {
            std::fprintf(stderr, "press %d did not arrive\n", press);
            return 1;
        }
        if (press == 999)
            settled = statusKilobytes("VmRSS");
    }
    const qint64 end = statusKilobytes("VmRSS");
    std::printf("resident memory after 1,000 presses %lld kB, after 10,000 presses and 1,000 port"
                " changes %lld kB, growth %lld kB\n",
                settled, end, end - settled);
    return 0;
}
