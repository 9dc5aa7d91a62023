#include "date_command.h"

#include <QTest>

using namespace DateCommand;

class TestDateCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workedExample();
    void yearOctets_data();
    void yearOctets();
    void everyDayOfFourCenturies();
};

void TestDateCommand::workedExample()
{
    const QByteArray frame = composeFrame(2023, 11, 30);
    QCOMPARE(transmissionA(frame),
             QByteArray::fromHex("40404762 0B1E07E7 000000000000 D0 0D0A 1BFA85"));
    QCOMPARE(transmissionB(frame),
             QByteArray::fromHex("40404762 0B1E07E7 000000000000 D0 0D0A 1B 244B54 2D 333032 4D"));
}

void TestDateCommand::yearOctets_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QByteArray>("dateOctets");

    QTest::newRow("worked example") << 2023 << 11 << 30 << QByteArray::fromHex("0B1E07E7");
    QTest::newRow("leap day 2024") << 2024 << 2 << 29 << QByteArray::fromHex("021D07E8");
    QTest::newRow("last day of 2047") << 2047 << 12 << 31 << QByteArray::fromHex("0C1F07FF");
    QTest::newRow("first day of 2048") << 2048 << 1 << 1 << QByteArray::fromHex("01010800");
    QTest::newRow("last day of 2303") << 2303 << 12 << 31 << QByteArray::fromHex("0C1F08FF");
    QTest::newRow("first day of 2304") << 2304 << 1 << 1 << QByteArray::fromHex("01010900");
    QTest::newRow("leap day 2400") << 2400 << 2 << 29 << QByteArray::fromHex("021D0960");
}

void TestDateCommand::yearOctets()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QByteArray, dateOctets);

    const QByteArray frame = composeFrame(static_cast<quint16>(year), static_cast<quint8>(month),
                                          static_cast<quint8>(day));
    QCOMPARE(frame, QByteArray("@@Gb") + dateOctets + QByteArray(6, '\0'));
}

// The checksum of every frame reduces to "G" ^ "b" ^ the four date octets,
// and both transmissions carry it right after the frame.
void TestDateCommand::everyDayOfFourCenturies()
{
    for (QDate date(2000, 1, 1); date.year() < 2400; date = date.addDays(1)) {
        const auto high = static_cast<quint8>(date.year() >> 8);
        const auto low = static_cast<quint8>(date.year() & 0xFF);
        const QByteArray frame = composeFrame(date);
        const auto expected
            = static_cast<char>(0x47 ^ 0x62 ^ date.month() ^ date.day() ^ high ^ low);
        const QByteArray a = transmissionA(frame);
        const QByteArray b = transmissionB(frame);
        if (a.size() != 20 || b.size() != 26 || a.at(14) != expected || b.at(14) != expected
            || !a.startsWith(frame) || !b.startsWith(frame) || frame.at(6) != char(high)
            || frame.at(7) != char(low))
            QFAIL(qPrintable(date.toString(Qt::ISODate)));
    }
}

QTEST_GUILESS_MAIN(TestDateCommand)
#include "tst_date_command.moc"
