#include "port_setting.h"
#include "settings_folder.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPortSetting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_folder = std::make_unique<SettingsFolder>(); }
    void readsStoredNumber_data();
    void readsStoredNumber();
    void refusesUnreadableText_data();
    void refusesUnreadableText();
    void saveReplacesOnlyTheNumber();
    void saveThatCannotWriteFails_data();
    void saveThatCannotWriteFails();
    void readsDeviceMap();
    void saveAfterAKilledSave();

private:
    std::unique_ptr<SettingsFolder> m_folder;
};

void TestPortSetting::readsStoredNumber_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("number");

    QTest::newRow("first run: nothing stored") << QByteArray() << 1;
    QTest::newRow("other keys only") << QByteArray("[Ports]\nCom1=/dev/ttyUSB0\n") << 1;
    QTest::newRow("7") << QByteArray("[Startup]\nOrvcomm=7\n") << 7;
    QTest::newRow("hand-edited 99") << QByteArray("[Startup]\nOrvcomm=99\n") << 99;
    QTest::newRow("0") << QByteArray("[Startup]\nOrvcomm=0\n") << 0;
    QTest::newRow("-5") << QByteArray("[Startup]\nOrvcomm=-5\n") << -5;
    QTest::newRow("surrounding spaces") << QByteArray("[Startup]\nOrvcomm=\" 12 \"\n") << 12;
    QTest::newRow("lowest 16-bit") << QByteArray("[Startup]\nOrvcomm=-32768\n") << -32768;
}

void TestPortSetting::readsStoredNumber()
{
    QFETCH(QByteArray, file);
    QFETCH(int, number);

    if (!file.isEmpty())
        m_folder->write(file);
    PortSetting setting;
    QCOMPARE(setting.read(), std::optional<qint16>(static_cast<qint16>(number)));
}

void TestPortSetting::refusesUnreadableText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("quoted");

    QTest::newRow("word") << QByteArray("[Startup]\nOrvcomm=abc\n") << "\"abc\"";
    QTest::newRow("above 16 bits") << QByteArray("[Startup]\nOrvcomm=32768\n") << "\"32768\"";
    QTest::newRow("empty text") << QByteArray("[Startup]\nOrvcomm=\n") << "\"\"";
    QTest::newRow("fraction") << QByteArray("[Startup]\nOrvcomm=7.5\n") << "\"7.5\"";
    QTest::newRow("list") << QByteArray("[Startup]\nOrvcomm=1, 2\n") << "\"1, 2\"";
    QTest::newRow("not a settings file")
        << QByteArray("\x01\xff[Startup\n=\x80\x81\0garbage", 20) << "damaged";
}

void TestPortSetting::refusesUnreadableText()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, quoted);

    m_folder->write(file);
    PortSetting setting;
    QCOMPARE(setting.read(), std::nullopt);
    QVERIFY2(setting.errorString().contains(quoted), qPrintable(setting.errorString()));
    QVERIFY(setting.errorString().contains(m_folder->filePath()));
    QCOMPARE(m_folder->contents(), file);
}

void TestPortSetting::saveReplacesOnlyTheNumber()
{
    m_folder->write("[Ports]\nCom3=/dev/ttyUSB0\n\n[Startup]\nOrvcomm=3\n");
    PortSetting setting;
    QVERIFY2(setting.save(7), qPrintable(setting.errorString()));

    QCOMPARE(setting.read(), std::optional<qint16>(7));
    QCOMPARE(setting.mappedDevice(3), std::optional<QString>(QStringLiteral("/dev/ttyUSB0")));
    QVERIFY(m_folder->contents().contains("Orvcomm=7\n"));
}

void TestPortSetting::saveThatCannotWriteFails_data()
{
    QTest::addColumn<QString>("fault");

    QTest::newRow("file is a folder") << "folder";
    QTest::newRow("damaged file") << "damaged";
}

void TestPortSetting::saveThatCannotWriteFails()
{
    QFETCH(QString, fault);

    const QByteArray damaged("\xff\xfe[Startup\n\x80=\x81\n", 14);
    if (fault == u"folder")
        QVERIFY(QDir().mkpath(m_folder->filePath()));
    else
        m_folder->write(damaged);

    PortSetting setting;
    QVERIFY(!setting.save(7));
    QVERIFY2(setting.errorString().contains(m_folder->filePath()),
             qPrintable(setting.errorString()));
    if (fault == u"damaged")
        QCOMPARE(m_folder->contents(), damaged);
}

void TestPortSetting::readsDeviceMap()
{
    m_folder->write("[Ports]\nCom2=/dev/ttyUSB0\nCom3=\"  \"\n");
    const PortSetting setting;
    QCOMPARE(setting.mappedDevice(2), std::optional<QString>(QStringLiteral("/dev/ttyUSB0")));
    QCOMPARE(setting.mappedDevice(3), std::nullopt);
    QCOMPARE(setting.mappedDevice(4), std::nullopt);
}

// A save killed between making the lock file and filling it in leaves an
// empty lock file behind; the next save must not hang on it.
void TestPortSetting::saveAfterAKilledSave()
{
    m_folder->write("[Startup]\nOrvcomm=3\n");
    QFile lock(m_folder->filePath() + u".lock"_s);
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.close();

    QElapsedTimer timer;
    timer.start();
    PortSetting setting;
    QVERIFY2(setting.save(7), qPrintable(setting.errorString()));
    QVERIFY2(timer.elapsed() < 10000, "the save waited on the abandoned lock");
    QCOMPARE(setting.read(), std::optional<qint16>(7));
    QVERIFY(!lock.exists());
}

QTEST_GUILESS_MAIN(TestPortSetting)
#include "tst_port_setting.moc"
