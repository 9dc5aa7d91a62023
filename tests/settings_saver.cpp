// Saves the port number over and over, 1 to 50 in turn, into the settings of
// $XDG_CONFIG_HOME, until it is killed.
#include "port_setting.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PortSetting setting;
    for (qint16 number = 1;; number = static_cast<qint16>(number % 50 + 1)) {
        if (!setting.save(number))
            return 1;
    }
}
