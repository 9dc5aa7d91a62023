// Saves the port number over and over, 1 to 50 in turn, into the settings of
// $XDG_CONFIG_HOME, until it is killed. Says "saving" once the first save is
// done, so the killer knows it is in the loop.
#include "port_setting.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PortSetting setting;
    for (qint16 number = 1;; number = static_cast<qint16>(number % 50 + 1)) {
        if (!setting.save(number))
            return 1;
        if (number == 1) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
}
