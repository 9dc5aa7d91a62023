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
    void readsDeviceMap();
    void saveAfterAKilledSave();

private:
    std::unique_ptr<SettingsFolder> m_folder;
};

// Start-up with stored "abc", "99", "0", "-5", "32768", empty text and a
// damaged file is tested on the window; these are the remaining forms.
void TestPortSetting::readsStoredNumber_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("number");

    QTest::newRow("other keys only") << QByteArray("[Ports]\nCom1=/dev/ttyUSB0\n") << 1;
    QTest::newRow("surrounding spaces") << QByteArray("[Startup]\nOrvcomm=\" 12 \"\n") << 12;
    QTest::newRow("lowest 16-bit") << QByteArray("[Startup]\nOrvcomm=-32768\n") << -32768;
}

void TestPortSetting::readsStoredNumber()
{
    QFETCH(QByteArray, file);
    QFETCH(int, number);

    m_folder->write(file);
    PortSetting setting;
    QCOMPARE(setting.read(), std::optional<qint16>(static_cast<qint16>(number)));
}

void TestPortSetting::refusesUnreadableText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("quoted");

    QTest::newRow("fraction") << QByteArray("[Startup]\nOrvcomm=7.5\n") << "\"7.5\"";
    QTest::newRow("list") << QByteArray("[Startup]\nOrvcomm=1, 2\n") << "\"1, 2\"";
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
