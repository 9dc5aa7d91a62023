// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The plain logic, without a window: the date command, the port selection
// against a link that fails where a row says, and saves of the settings file.
#include "date_command.h"
#include "port_selection.h"
#include "serial_link.h"
#include "talven_test.h"

#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>

#include <csignal>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

// A link whose steps fail where a row says; it records each step it is asked
// for, with the port number or the octets written.
class ScriptedLink final : public SerialLink
{
public:
    QStringList failing, calls;
    bool opened = false; // before the run
    qint16 portNumber = 3;

    bool setPortNumber(qint16 number) override
    {
        portNumber = step(u"setPortNumber"_s, number) ? number : portNumber;
        return portNumber == number;
    }
    bool isOpen() const override { return opened; }
    bool open() override { return step(u"open"_s, portNumber); }
    bool close() override { return step(u"close"_s, portNumber); }
    bool discardInput() override { return true; }
    bool write(const QByteArray &octets) override { return step(u"write"_s, octets.toHex()); }
    QString errorString() const override { return m_error; }

private:
    bool step(const QString &name, const QVariant &argument)
    {
        calls << name + u' ' + argument.toString();
        m_error = name + u" failed"_s;
        return !failing.contains(name);
    }
    QString m_error;
};

// sh with `path` as $0, where a real shell is the point (mount, chmod).
bool sh(const QString &script, const QString &path)
{
    return QProcess::execute(u"sh"_s, {u"-c"_s, script, path}) == 0;
}

// A save of 2 over `before` (null: no file) leaving `after` (null: refused, saying
// `told`, by a shell `fault` on the folder, a full disk or a size limit).
struct Save
{
    QByteArray before, after;
    QString told, fault;
    bool link = false, drafts = false, fill = false;
    int limit = -1;
};
Q_DECLARE_METATYPE(Save)

class TestLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { sayWhatWasLeftToRoot(); }

    void dateCommand_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("frame"); // and checksum, after the "@@"
        QTest::newRow("30 November 2023") << QDate(2023, 11, 30) << u"47620b1e07e7000000000000d0"_s;
        QTest::newRow("leap day 2024: E8") << QDate(2024, 2, 29) << u"4762021d07e8000000000000d5"_s;
        QTest::newRow("last of 2047") << QDate(2047, 12, 31) << u"47620c1f07ff000000000000ce"_s;
        QTest::newRow("2048: high octet 08")
            << QDate(2048, 1, 1) << u"4762010108000000000000002d"_s;
        QTest::newRow("last of 2303") << QDate(2303, 12, 31) << u"47620c1f08ff000000000000c1"_s;
    }
    // A then B, each in one write; when A fails, B is not attempted.
    void dateCommand()
    {
        QFETCH(QDate, today);
        QFETCH(QString, frame);
        ScriptedLink link;
        QVERIFY(DateCommand::sendDateInitialisation(link, [today] { return today; }));
        const QString head = u"write 4040"_s + frame + u"0d0a1b"_s;
        QCOMPARE(link.calls, (QStringList{head + u"fa85"_s, head + u"244b542d3330324d"_s}));
        link.failing = QStringList{u"write"_s};
        QVERIFY(!DateCommand::sendDateInitialisation(link, [today] { return today; }));
        QCOMPARE(link.calls.mid(2), QStringList{head + u"fa85"_s});
    }

    void portSelection_data()
    {
        QTest::addColumn<QVariant>("entry"); // the chosen entry's port number
        QTest::addColumn<bool>("openBefore"); // on Com3, the number stored
        QTest::addColumn<QStringList>("failing"); // "save": the settings refuse it
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("warnings"); // %1: the settings file
        QTest::addColumn<int>("commNum");
        const QStringList none, to7{u"close 3"_s, u"setPortNumber 7"_s, u"open 7"_s};
        const QVariant com7(7);
        QTest::newRow("Com7") << com7 << true << none << to7 << none << 7;
        QTest::newRow("Com7, nothing open") << com7 << false << none << to7.mid(1) << none << 7;
        QTest::newRow("open fails")
            << com7 << true << QStringList{u"open"_s} << to7 << QStringList{u"open failed"_s} << 7;
        QTest::newRow("refused number: the earlier port opens again")
            << com7 << true << QStringList{u"setPortNumber"_s}
            << QStringList{u"close 3"_s, u"setPortNumber 7"_s, u"open 3"_s}
            << QStringList{u"setPortNumber failed"_s} << 7;
        QTest::newRow("two boxes in order")
            << com7 << true << QStringList{u"close"_s, u"open"_s} << to7
            << QStringList{u"close failed"_s, u"open failed"_s} << 7;
        QTest::newRow("no entry chosen")
            << QVariant() << true << none
            << QStringList{u"close 3"_s, u"setPortNumber 3"_s, u"open 3"_s}
            << QStringList{u"No serial port is chosen."_s} << 3;
        QTest::newRow("beyond 16 bits")
            << QVariant(40000) << false << none << QStringList{u"setPortNumber 3"_s, u"open 3"_s}
            << QStringList{u"\"40000\" is not a serial port number."_s} << 3;
        QTest::newRow("save refused: the port stays open")
            << com7 << true << QStringList{u"save"_s} << to7
            << QStringList{u"The serial port number was not saved. The settings file %1 is not "
                           "understood at line 3 (Orvcomm=4), so TALVEN neither uses nor changes "
                           "it. Correct or remove that line."_s}
            << 7;
    }
    // Each failing step shows its box and the run goes on; nothing is stored
    // after a failure.
    void portSelection()
    {
        QFETCH(QVariant, entry);
        QFETCH(bool, openBefore);
        QFETCH(QStringList, failing);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, warnings);
        QFETCH(int, commNum);
        const FakeMachine machine;
        const QByteArray settings = failing.contains(u"save"_s)
            ? "[Startup]\nOrvcomm=3\nOrvcomm=4\n"
            : "[Startup]\nOrvcomm=3\n";
        FakeMachine::writeSettings(settings);
        ScriptedLink link;
        link.opened = openBefore;
        link.failing = failing;
        PortSetting setting;
        QStringList shown;
        PortSelection selection(link, setting, [&](const QString &text) { shown << text; });
        selection.setCommNum(3);
        selection.run(entry);
        for (QString &warning : warnings)
            warning = warning.arg(PortSetting::location());
        QFile file(PortSetting::location());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(std::tuple(link.calls, shown, selection.portError(), selection.commNum(),
                            file.readAll()),
                 std::tuple(calls, warnings, qint16(warnings.isEmpty() ? 0 : 1), qint16(commNum),
                            warnings.isEmpty() ? "[Startup]\nOrvcomm=7\n"_ba : settings));
    }

    void save_data()
    {
        QTest::addColumn<Save>("row");
        const QByteArray startup = "[Startup]\nOrvcomm=1\n", saved = "[Startup]\nOrvcomm=2\n";
        QTest::newRow("first run") << Save{.after = saved};
        QTest::newRow("CR LF, a line after the section's first")
            << Save{"[Startup]\r\nNote=kept\r\n", "[Startup]\r\nOrvcomm=2\r\nNote=kept\r\n"};
        QTest::newRow("the number where it stands, in quotes")
            << Save{"; a note\n[Startup]\nOrvcomm = \"07\"\nNote=kept\n",
                    "; a note\n[Startup]\nOrvcomm = 2\nNote=kept\n"};
        QTest::newRow("a key that names its section")
            << Save{"Startup/Orvcomm=5\n", "Startup/Orvcomm=2\n"};
        QTest::newRow("no such section, no last line break") << Save{
            "[Ports]\nCom3=/dev/ttyUSB0", "[Ports]\nCom3=/dev/ttyUSB0\n[Startup]\nOrvcomm=2\n"};
        QTest::newRow("a section given twice") << Save{
            "[Startup]\nA=1\n[Startup]\nB=2\n", "[Startup]\nOrvcomm=2\nA=1\n[Startup]\nB=2\n"};
        QTest::newRow("the section last, no line break") << Save{"[Startup]", saved};
        QTest::newRow("byte order mark") << Save{"\xEF\xBB\xBF[Startup]\r\nOrvcomm=1\r\n",
                                                 "\xEF\xBB\xBF[Startup]\r\nOrvcomm=2\r\n"};
        QTest::newRow("through a link to a private file")
            << Save{.before = startup, .after = saved, .link = true};
        QTest::newRow("through a link to a file not there yet")
            << Save{.after = saved, .link = true};
        QTest::newRow("beside a killed save's draft and another save under way")
            << Save{.before = startup, .after = saved, .drafts = true};
        // What the disk refuses. Root is refused nothing but by a read-only mount.
        const bool root = ::geteuid() == 0;
        QByteArray notes = "[Startup]\nOrvcomm=01\n"; // the number 1 as a hand may write it
        for (int line = 1; line <= 40; ++line)
            notes.prepend("; the site's note " + QByteArray::number(line) + '\n');
        const QString cutShort = u"could not be written in full: the disk is full or the write was "
                                 "cut short. It was left as it was."_s;
        QTest::newRow("locked preset") << Save{
            notes,
            {},
            u"cannot be written: it is read-only to you. It was left as it was."_s,
            root ? u"mount -o remount,ro \"$0\""_s : u"chmod a-w \"$0/TALVEN.conf\" \"$0\""_s};
        if (asRoot("full disk"))
            QTest::newRow("full disk") << Save{.before = notes, .told = cutShort, .fill = true};
        if (asRoot("no file left on the disk"))
            QTest::newRow("no file left on the disk")
                << Save{notes, {}, cutShort, u"mount -o remount,nr_inodes=2 \"$0\""_s};
        QTest::newRow("past a file size limit")
            << Save{.before = notes, .told = cutShort, .limit = 600};
    }
    // TALVEN's next read gives the number saved, every other octet stays, and so
    // does a link and the permissions; a refused save says why and leaves the file
    // and no draft, though the number stored needs no write; the program goes on.
    void save()
    {
        QFETCH(Save, row);
        const FakeMachine machine;
        const QString path = PortSetting::location(), folder = QFileInfo(path).path();
        const QString site = path + u".site"_s, fill = folder + u"/fill"_s;
        const bool refused = row.after.isNull();
        const auto unmount
            = qScopeGuard([&] { sh(u"! mountpoint -q \"$0\" || umount \"$0\""_s, folder); });
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(::geteuid() != 0 || !refused
                || sh(u"mount -t tmpfs -o size=64k tmpfs \"$0\""_s, folder));
        QVERIFY(row.before.isNull() || writeFile(row.link ? site : path, row.before));
        QVERIFY(!row.link
                || ((row.before.isNull()
                     || QFile::setPermissions(site, QFile::ReadOwner | QFile::WriteOwner))
                    && QFile::link(u"TALVEN.conf.site"_s, path)));
        // An earlier TALVEN's save under way holds its lock file, this one's its draft.
        QLockFile lock(path + u".lock"_s);
        QFile saving(folder + u"/.TALVEN.conf.Saving.draft"_s);
        QVERIFY(!row.drafts
                || (writeFile(folder + u"/.TALVEN.conf.Killed.draft"_s, "[Sta") && lock.lock()
                    && saving.open(QIODevice::WriteOnly)
                    && ::flock(saving.handle(), LOCK_EX) == 0));
        // Two saves within a second, as a disk of whole-second file times shows them.
        const auto sameSecond = [&] {
            const timespec second{1700000000, 0}, times[2] = {second, second};
            ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
        };
        sameSecond();
        QVERIFY(row.fault.isNull() || sh(row.fault, folder));
        QVERIFY(!row.fill || !writeFile(fill, QByteArray(1 << 20, '\0')));
        const QFile::Permissions permissions = QFileInfo(path).permissions();
        rlimit unlimited{};
        ::getrlimit(RLIMIT_FSIZE, &unlimited);
        const rlimit limited{rlim_t(row.limit), unlimited.rlim_max};
        ::signal(SIGXFSZ, SIG_DFL); // as a login gives it
        QVERIFY(row.limit < 0 || ::setrlimit(RLIMIT_FSIZE, &limited) == 0);
        PortSetting setting;
        const bool kept = refused ? setting.save(1) : true, saved = setting.save(2);
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        sameSecond();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString told = u"The serial port number was not saved. The settings file "_s + path
            + u' ' + row.told;
        QCOMPARE(std::tuple(kept, saved, saved ? QString() : setting.errorString(), file.readAll(),
                            stored()),
                 std::tuple(true, !refused, refused ? told : QString(),
                            refused ? row.before : row.after, qint16(refused ? 1 : 2)));
        QCOMPARE(QFileInfo(path).isSymLink(), row.link);
        QVERIFY(row.before.isNull() || QFileInfo(path).permissions() == permissions);
        // The draft of a save under way stays; that of a killed one is gone.
        const auto drafts
            = [&] { return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(u"draft"_s); };
        QCOMPARE(drafts(),
                 row.drafts ? QStringList{u".TALVEN.conf.Saving.draft"_s} : QStringList());
        saving.close();
        QVERIFY(sh(u"chmod -R u+w \"$0\"; ! mountpoint -q \"$0\" || mount -o remount,rw,"
                   "nr_inodes=99 \"$0\"; rm -f \"$0/fill\""_s,
                   folder));
        QVERIFY2(setting.save(3) && stored() == 3, qPrintable(setting.errorString()));
        QCOMPARE(drafts(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestLogic)
#include "tst_logic.moc"
