#include "fake_serial_link.h"
#include "main_window.h"
#include "pseudo_terminal.h"
#include "settings_folder.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

// Real faults met while the program runs: each ends with the program still
// running, the right warning boxes, and the stored setting as it should be.
class TestFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void deviceGoesAwayThenAnotherPortWorks_data();
    void deviceGoesAwayThenAnotherPortWorks();
    void secondInstanceHoldsThePort();
    void settingsStoreUnusable_data();
    void settingsStoreUnusable();
    void settingsChangedByHandWhileRunning();
    void killedWhileSavingLeavesOldOrNewValue();

private:
    std::unique_ptr<MainWindow> startWindow();
    void press()
    {
        QTest::mouseClick(m_window->findChild<QPushButton *>(u"IniGPS"_s), Qt::LeftButton);
    }
    QByteArray portsSection() const
    {
        return SettingsFolder::portsSection({m_link1, m_com2->deviceName()});
    }

    std::unique_ptr<SettingsFolder> m_folder;
    std::unique_ptr<PseudoTerminal> m_com1;
    std::unique_ptr<PseudoTerminal> m_com2;
    QTemporaryDir m_devices;
    QString m_link1; // a link to Com1's device, as /dev/serial/by-id has
    std::unique_ptr<MainWindow> m_window;
    QStringList m_warnings;
};

void TestFaults::init()
{
    m_window.reset();
    m_folder = std::make_unique<SettingsFolder>();
    m_com1 = std::make_unique<PseudoTerminal>();
    m_com2 = std::make_unique<PseudoTerminal>();
    m_link1 = m_devices.filePath(u"com1-%1"_s.arg(QRandomGenerator::global()->generate()));
    QVERIFY(QFile::link(m_com1->deviceName(), m_link1));
    m_warnings.clear();
}

// A read-only settings folder must become removable again.
void TestFaults::cleanup()
{
    QFile::setPermissions(m_folder->path() + u"/TALVEN"_s,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

std::unique_ptr<MainWindow> TestFaults::startWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->setShowWarning([this](const QString &text) { m_warnings << text; });
    window->load();
    return window;
}

void TestFaults::deviceGoesAwayThenAnotherPortWorks_data()
{
    QTest::addColumn<bool>("deviceRemoved");
    QTest::newRow("far end hangs up") << false;
    QTest::newRow("device disappears") << true;
}

void TestFaults::deviceGoesAwayThenAnotherPortWorks()
{
    QFETCH(bool, deviceRemoved);
    m_folder->write(portsSection());
    m_window = startWindow();
    QCOMPARE(m_warnings, QStringList());

    m_com1->hangUp();
    if (deviceRemoved)
        QFile::remove(m_link1);
    press();
    QCOMPARE(m_warnings.size(), 1);
    QVERIFY2(m_warnings.first().contains(u"Com1"_s)
                 && m_warnings.first().contains(u"no longer there"_s),
             qPrintable(m_warnings.first()));

    m_window->choosePortEntry(1);
    press();
    QCOMPARE(m_warnings.size(), 1);
    QCOMPARE(m_com2->read(46).size(), 46);
    QCOMPARE(PortSetting().read(), std::optional<qint16>(2));

    // A hung-up or vanished device cannot be opened again.
    m_window->choosePortEntry(0);
    QCOMPARE(m_warnings.size(), 2);
    QVERIFY2(m_warnings.last().startsWith(u"Com1"_s), qPrintable(m_warnings.last()));
    QCOMPARE(PortSetting().read(), std::optional<qint16>(2));
}

void TestFaults::secondInstanceHoldsThePort()
{
    m_folder->write(portsSection());
    QProcess first;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, m_folder->path());
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    first.setProcessEnvironment(environment);
    first.start(QStringLiteral(TALVEN_PROGRAM), {});
    // The first instance stores the port once it holds it.
    QTRY_VERIFY_WITH_TIMEOUT(m_folder->contents().contains("Orvcomm=1"), 10000);
    m_folder->write(portsSection() + "[Startup]\nOrvcomm=1\n");

    m_window = startWindow();

    QCOMPARE(m_warnings.size(), 1);
    QVERIFY2(m_warnings.first().contains(u"Com1"_s)
                 && m_warnings.first().contains(u"in use by another program"_s),
             qPrintable(m_warnings.first()));
    QCOMPARE(m_window->portError(), 1);
    QCOMPARE(m_folder->contents(), portsSection() + "[Startup]\nOrvcomm=1\n");
    first.kill();
    first.waitForFinished();
}

void TestFaults::settingsStoreUnusable_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("startUpWarning");

    // An empty start-up warning: start-up finds the number stored and writes nothing.
    QTest::newRow("file replaced by a folder") << u"folder"_s << u"cannot be read or written"_s;
    QTest::newRow("folder cannot be made") << u"unmakeable"_s << u"not saved"_s;
    QTest::newRow("file read-only") << u"read-only"_s << u""_s;
    QTest::newRow("file holds garbage") << u"garbage"_s << u"damaged"_s;
}

// The link is a fake that opens every port: what is tested is the store.
void TestFaults::settingsStoreUnusable()
{
    QFETCH(QString, fault);
    QFETCH(QString, startUpWarning);

    const QByteArray garbage = QByteArray::fromHex("7f454c46020101000000000000");
    if (fault == u"folder") {
        QVERIFY(QDir().mkpath(m_folder->filePath()));
    } else if (fault == u"unmakeable") {
        // Not even root may make a folder here.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, u"/proc/self/talven"_s);
    } else if (fault == u"read-only") {
        if (::geteuid() == 0)
            QSKIP("root writes read-only files");
        m_folder->write("[Startup]\nOrvcomm=1\n");
        QFile::setPermissions(m_folder->filePath(), QFile::ReadOwner);
        QFile::setPermissions(QFileInfo(m_folder->filePath()).path(),
                              QFile::ReadOwner | QFile::ExeOwner);
    } else {
        m_folder->write(garbage);
    }

    m_window = std::make_unique<MainWindow>(std::make_unique<FakeSerialLink>());
    m_window->setShowWarning([this](const QString &text) { m_warnings << text; });
    m_window->load();
    const int startUpWarnings = startUpWarning.isEmpty() ? 0 : 1;
    QCOMPARE(m_warnings.size(), startUpWarnings);
    QVERIFY2(m_warnings.join(u'\n').contains(startUpWarning), qPrintable(m_warnings.join(u'\n')));

    m_window->choosePortEntry(1);
    QCOMPARE(m_warnings.size(), startUpWarnings + 1);
    QVERIFY2(m_warnings.last().contains(u"not saved"_s), qPrintable(m_warnings.last()));
    QCOMPARE(m_window->commNum(), 2);
    if (fault == u"garbage")
        QCOMPARE(m_folder->contents(), garbage);
}

void TestFaults::settingsChangedByHandWhileRunning()
{
    m_folder->write(portsSection());
    m_window = startWindow();
    QVERIFY(m_folder->contents().contains("Orvcomm=1"));

    // Com3 is mapped by hand after start-up, and a note added.
    m_folder->write(portsSection() + "Com3=" + m_com1->deviceName().toUtf8()
                    + "\n[Startup]\nOrvcomm=9\n\n[Notes]\nbench=left clock\n");
    m_window->choosePortEntry(2);

    QCOMPARE(m_warnings, QStringList());
    press();
    QCOMPARE(m_com1->read(46).size(), 46);
    const QByteArray after = m_folder->contents();
    QVERIFY2(after.contains("Orvcomm=3") && after.contains("bench=left clock"), after.constData());
}

// QSettings writes a new file beside the old one and renames it into place;
// a kill at any moment must leave the old or the new value, readable.
void TestFaults::killedWhileSavingLeavesOldOrNewValue()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, m_folder->path());
    QRandomGenerator random(20261206);
    for (int round = 0; round < 40; ++round) {
        QProcess saver;
        saver.setProcessEnvironment(environment);
        saver.start(QStringLiteral(SETTINGS_SAVER), {});
        QVERIFY(saver.waitForReadyRead(10000));
        QTest::qWait(static_cast<int>(random.bounded(0, 20)));
        saver.kill();
        QVERIFY(saver.waitForFinished());
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

        PortSetting setting;
        const std::optional<qint16> stored = setting.read();
        QVERIFY2(stored && *stored >= 1 && *stored <= 50,
                 qPrintable(u"round %1: %2"_s.arg(round).arg(setting.errorString())));
    }
    QVERIFY(PortSetting().save(7));
    QCOMPARE(PortSetting().read(), std::optional<qint16>(7));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
