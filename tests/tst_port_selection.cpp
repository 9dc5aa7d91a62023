#include "fake_serial_link.h"
#include "port_selection.h"
#include "port_setting.h"
#include "pseudo_terminal.h"
#include "settings_folder.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Operations = QList<FakeSerialLink::Operation>;

class TestPortSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void stepsRunInOrderAndEachFailureIsShown_data();
    void stepsRunInOrderAndEachFailureIsShown();
    void onlyTheSaveFails();
    void realDeviceIsChosenAndStored();
    void realDeviceThatCannotOpen();

private:
    std::unique_ptr<SettingsFolder> m_folder;
    PortSetting m_setting;
    QStringList m_warnings;
    ShowWarning m_recordWarning = [this](const QString &text) { m_warnings << text; };
};

void TestPortSelection::init()
{
    m_folder = std::make_unique<SettingsFolder>();
    m_folder->write("[Startup]\nOrvcomm=5\n");
    m_warnings.clear();
}

// The link starts on port 3 (CommNum 3); the stored number is 5, as if the
// file had been edited since.
void TestPortSelection::stepsRunInOrderAndEachFailureIsShown_data()
{
    using Link = FakeSerialLink;
    QTest::addColumn<QVariant>("chosen");
    QTest::addColumn<bool>("wasOpen");
    QTest::addColumn<Operations>("failing");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<int>("commNum");
    QTest::addColumn<bool>("endsOpen");

    const QStringList none;
    QTest::newRow("closed link moves and stores")
        << QVariant(7) << false << Operations{}
        << QStringList{u"isOpen"_s, u"setPortNumber 7"_s, u"open Com7"_s} << none << 7 << true;
    QTest::newRow("open link is closed first")
        << QVariant(7) << true << Operations{}
        << QStringList{u"isOpen"_s, u"close"_s, u"setPortNumber 7"_s, u"open Com7"_s} << none << 7
        << true;
    QTest::newRow("open entry chosen again reopens and stores again")
        << QVariant(3) << true << Operations{}
        << QStringList{u"isOpen"_s, u"close"_s, u"setPortNumber 3"_s, u"open Com3"_s} << none << 3
        << true;
    QTest::newRow("port cannot be opened")
        << QVariant(7) << true << Operations{Link::Open}
        << QStringList{u"isOpen"_s, u"close"_s, u"setPortNumber 7"_s, u"open Com7"_s}
        << QStringList{u"Com7 cannot be opened"_s} << 7 << false;
    QTest::newRow("refused number reopens the earlier port")
        << QVariant(7) << true << Operations{Link::SetPortNumber}
        << QStringList{u"isOpen"_s, u"close"_s, u"setPortNumber 7"_s, u"open Com3"_s}
        << QStringList{u"Com7 refused"_s} << 7 << true;
    QTest::newRow("close fails, the rest still runs")
        << QVariant(7) << true << Operations{Link::Close}
        << QStringList{u"isOpen"_s, u"close"_s, u"setPortNumber 7"_s, u"open Com7"_s}
        << QStringList{u"close failed"_s} << 7 << true;
    QTest::newRow("open state unreadable, close tried anyway")
        << QVariant(7) << false << Operations{Link::IsOpen}
        << QStringList{u"isOpen"_s, u"close"_s, u"setPortNumber 7"_s, u"open Com7"_s}
        << QStringList{u"open state unreadable"_s} << 7 << true;
    QTest::newRow("no entry chosen keeps CommNum")
        << QVariant() << false << Operations{}
        << QStringList{u"isOpen"_s, u"setPortNumber 3"_s, u"open Com3"_s}
        << QStringList{u"No serial port is chosen."_s} << 3 << true;
    QTest::newRow("entry datum beyond 16 bits")
        << QVariant(40000) << false << Operations{}
        << QStringList{u"isOpen"_s, u"setPortNumber 3"_s, u"open Com3"_s}
        << QStringList{u"\"40000\" is not a serial port number."_s} << 3 << true;
    QTest::newRow("every step fails, one box each in step order")
        << QVariant() << true
        << Operations{Link::IsOpen, Link::Close, Link::SetPortNumber, Link::Open}
        << QStringList{u"isOpen"_s, u"close"_s, u"setPortNumber 3"_s, u"open Com3"_s}
        << QStringList{u"No serial port is chosen."_s, u"open state unreadable"_s,
                       u"close failed"_s, u"Com3 refused"_s, u"Com3 cannot be opened"_s}
        << 3 << true;
}

void TestPortSelection::stepsRunInOrderAndEachFailureIsShown()
{
    QFETCH(QVariant, chosen);
    QFETCH(bool, wasOpen);
    QFETCH(Operations, failing);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, warnings);
    QFETCH(int, commNum);
    QFETCH(bool, endsOpen);

    FakeSerialLink link;
    link.portNumber = 3;
    link.open_ = wasOpen;
    link.failing = QSet<FakeSerialLink::Operation>(failing.begin(), failing.end());
    PortSelection selection(link, m_setting, m_recordWarning);
    selection.setCommNum(3);

    selection.run(chosen);

    QCOMPARE(link.calls, calls);
    QCOMPARE(m_warnings, warnings);
    QCOMPARE(selection.commNum(), commNum);
    QCOMPARE(selection.portError(), warnings.isEmpty() ? 0 : 1);
    QCOMPARE(link.open_, endsOpen);
    QCOMPARE(m_setting.read(), std::optional<qint16>(warnings.isEmpty() ? commNum : 5));
}

void TestPortSelection::onlyTheSaveFails()
{
    QFile::remove(m_folder->filePath());
    QVERIFY(QDir().mkpath(m_folder->filePath()));
    FakeSerialLink link;
    PortSelection selection(link, m_setting, m_recordWarning);

    selection.run(7);

    QCOMPARE(m_warnings.size(), 1);
    QVERIFY2(m_warnings.first().contains(QStringLiteral("not saved")),
             qPrintable(m_warnings.first()));
    QCOMPARE(selection.portError(), 1);
    QVERIFY(link.open_);
    QCOMPARE(link.portNumber, 7);
}

void TestPortSelection::realDeviceIsChosenAndStored()
{
    PseudoTerminal com7;
    SerialPortLink link([&](qint16 number) {
        return number == 7 ? com7.deviceName() : QStringLiteral("/dev/no-such-tty");
    });
    PortSelection selection(link, m_setting, m_recordWarning);

    selection.run(7);
    selection.run(7);

    QCOMPARE(m_warnings, QStringList());
    QCOMPARE(link.isOpen(), std::optional<bool>(true));
    QVERIFY(m_folder->contents().contains("Orvcomm=7\n"));
}

void TestPortSelection::realDeviceThatCannotOpen()
{
    PseudoTerminal com2;
    SerialPortLink link([&](qint16 number) {
        return number == 2 ? com2.deviceName() : QStringLiteral("/dev/no-such-tty");
    });
    PortSelection selection(link, m_setting, m_recordWarning);
    selection.run(2);
    m_folder->write("[Startup]\nOrvcomm=2\n");

    selection.run(7);

    QCOMPARE(m_warnings.size(), 1);
    QVERIFY2(m_warnings.first().startsWith(QStringLiteral("Com7 (/dev/no-such-tty)")),
             qPrintable(m_warnings.first()));
    QCOMPARE(selection.portError(), 1);
    QCOMPARE(link.isOpen(), std::optional<bool>(false));
    QCOMPARE(m_folder->contents(), QByteArray("[Startup]\nOrvcomm=2\n"));
}

QTEST_GUILESS_MAIN(TestPortSelection)
#include "tst_port_selection.moc"
