#include "date_command.h"
#include "pseudo_terminal.h"
#include "serial_link.h"

#include <QTest>

#include <unistd.h>

using namespace DateCommand;
using namespace Qt::StringLiterals;

namespace {

const QDate workedExampleDate(2023, 11, 30);
const QByteArray expectedA = QByteArray::fromHex("404047620B1E07E7000000000000D00D0A1BFA85");
const QByteArray expectedB
    = QByteArray::fromHex("404047620B1E07E7000000000000D00D0A1B244B54 2D3330324D");

QDate workedExampleClock()
{
    return workedExampleDate;
}

} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void opensAt9600Baud8N1();
    void pressesPutABOnTheWireInOrder();
    void failuresNameThePort_data();
    void failuresNameThePort();

private:
    SerialPortLink::DeviceResolver toTerminal()
    {
        return [this](qint16) { return m_terminal->deviceName(); };
    }

    std::unique_ptr<PseudoTerminal> m_terminal;
};

void TestSerialLink::init()
{
    m_terminal = std::make_unique<PseudoTerminal>();
    QVERIFY(m_terminal->isValid());
}

void TestSerialLink::opensAt9600Baud8N1()
{
    SerialPortLink link(toTerminal());
    QVERIFY2(link.open(), qPrintable(link.errorString()));

    const termios line = m_terminal->lineSettings();
    QCOMPARE(cfgetospeed(&line), speed_t(B9600));
    QCOMPARE(cfgetispeed(&line), speed_t(B9600));
    QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(line.c_cflag & PARENB, tcflag_t(0));
    QCOMPARE(line.c_cflag & CSTOPB, tcflag_t(0));
}

void TestSerialLink::pressesPutABOnTheWireInOrder()
{
    SerialPortLink link(toTerminal());
    QVERIFY2(link.open(), qPrintable(link.errorString()));

    QVERIFY2(sendDateInitialisation(link, &workedExampleClock), qPrintable(link.errorString()));
    QCOMPARE(m_terminal->read(46), expectedA + expectedB);
    QCOMPARE(m_terminal->readRest(), QByteArray());

    QVERIFY(sendDateInitialisation(link, &workedExampleClock));
    QVERIFY(sendDateInitialisation(link, &workedExampleClock));
    QCOMPARE(m_terminal->read(92), expectedA + expectedB + expectedA + expectedB);
    QCOMPARE(m_terminal->readRest(), QByteArray());
}

void TestSerialLink::failuresNameThePort_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing device") << u"missing"_s << u"No such file or directory"_s;
    QTest::newRow("held by another link") << u"held"_s << u"in use by another program"_s;
    QTest::newRow("write on a closed link") << u"closed"_s << u"not open"_s;
    QTest::newRow("far end hung up") << u"hung up"_s << u"no longer there"_s;
    QTest::newRow("no permission")
        << u"denied"_s << u"Permission denied. Your user needs to be in the group"_s;
}

void TestSerialLink::failuresNameThePort()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);

    const QString device
        = fault == u"missing" ? QStringLiteral("/dev/no-such-tty") : m_terminal->deviceName();
    SerialPortLink link([&](qint16) { return device; });
    QVERIFY(link.setPortNumber(7));
    SerialPortLink holder(toTerminal());
    if (fault == u"held")
        QVERIFY(holder.open());
    if (fault == u"denied") {
        if (::geteuid() == 0)
            QSKIP("root may open any device");
        QVERIFY(QFile::setPermissions(device, {}));
    }

    bool succeeded = false;
    if (fault == u"missing" || fault == u"held" || fault == u"denied") {
        succeeded = link.open();
    } else {
        if (fault == u"hung up") {
            QVERIFY(link.open());
            m_terminal->hangUp();
        }
        succeeded = sendDateInitialisation(link, &workedExampleClock);
    }

    QVERIFY(!succeeded);
    QVERIFY2(link.errorString().contains(QStringLiteral("Com7 (%1)").arg(device)),
             qPrintable(link.errorString()));
    QVERIFY2(link.errorString().contains(reason), qPrintable(link.errorString()));
    QVERIFY(!link.errorString().contains(QStringLiteral("Unknown error")));
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_serial_link.moc"
