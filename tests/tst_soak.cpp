#include "date_command.h"
#include "main_window.h"
#include "pseudo_terminal.h"
#include "settings_folder.h"

#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// Many presses and port changes against real pseudo-terminals: every press
// puts its exact 46 octets on the port chosen, and nothing is ever warned.
// Run under the sanitizers, this is also the leak and memory-error soak.
class TestSoak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pressesAndPortChanges();
};

void TestSoak::pressesAndPortChanges()
{
    constexpr int presses = 10000;
    constexpr int portChanges = 1000;
    SettingsFolder folder;
    PseudoTerminal com1;
    PseudoTerminal com2;
    folder.write(SettingsFolder::portsSection({com1.deviceName(), com2.deviceName()}));
    const QDate date(2024, 2, 29);
    const QByteArray frame = DateCommand::composeFrame(2024, 2, 29);
    const QByteArray expected
        = DateCommand::transmissionA(frame) + DateCommand::transmissionB(frame);

    QStringList warnings;
    MainWindow window;
    window.setShowWarning([&](const QString &text) { warnings << text; });
    window.setClock([date] { return date; });
    window.load();
    auto *iniGps = window.findChild<QPushButton *>(u"IniGPS"_s);

    PseudoTerminal *current = &com1;
    for (int press = 0; press < presses; ++press) {
        if (press % (presses / portChanges) == 0) {
            const bool toCom2 = current == &com1;
            window.choosePortEntry(toCom2 ? 1 : 0);
            current = toCom2 ? &com2 : &com1;
        }
        iniGps->click();
        if (current->read(46) != expected)
            QFAIL(qPrintable(u"press %1 sent other octets"_s.arg(press)));
    }

    QCOMPARE(warnings, QStringList());
    QCOMPARE(com1.readRest(0), QByteArray());
    QCOMPARE(com2.readRest(0), QByteArray());
    QCOMPARE(PortSetting().read(), std::optional<qint16>(current == &com1 ? 1 : 2));
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
