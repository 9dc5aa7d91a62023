// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "main_window.h"
#include "talven_test.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

// The number of a process that has ended.
pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// Runs `script` in sh with `path` as $0 and gives what it printed.
QByteArray shell(const QString &script, const QString &path)
{
    QProcess shell;
    shell.start(u"sh"_s, {u"-c"_s, script, path});
    return shell.waitForFinished() && shell.exitCode() == 0 ? shell.readAll() : "failed";
}

// TALVEN on a machine whose only serial ports are the adapters ttyUSB0 and
// ttyUSB1, pseudo-terminals here; the user pinned Com3 to a device not there.
class TestTalven : public QObject
{
    Q_OBJECT
    std::unique_ptr<FakeMachine> m_machine;
    std::unique_ptr<PseudoTerminal> m_usb[2];
    std::unique_ptr<MainWindow> m_window;
    QComboBox *m_commSel = nullptr;
    QPushButton *m_iniGps = nullptr;
    QStringList m_warnings;
    const DateCommand::Clock m_clock = [] { return QDate(2023, 11, 30); };

    void startWindow(bool load = true, bool recordWarnings = true,
                     std::unique_ptr<SerialLink> link = {})
    {
        m_window = std::make_unique<MainWindow>(std::move(link), m_machine->ports());
        m_commSel = m_window->findChild<QComboBox *>(u"CommSel"_s);
        m_iniGps = m_window->findChild<QPushButton *>(u"IniGPS"_s);
        if (recordWarnings)
            m_window->setShowWarning([this](const QString &text) { m_warnings << text; });
        if (load)
            m_window->load();
        m_window->show();
        m_window->activateWindow(); // X without a window manager needs it
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(u"TALVEN"_s); }
    void init()
    {
        m_window.reset();
        m_machine = std::make_unique<FakeMachine>();
        for (auto &usb : m_usb)
            usb = std::make_unique<PseudoTerminal>();
        m_machine->add(u"ttyUSB0"_s, m_usb[0]->name, {}, "FT232R USB UART");
        m_machine->add(u"ttyUSB1"_s, m_usb[1]->name);
        FakeMachine::writeSettings("[Ports]\nCom3=/dev/no-such-tty\n");
        m_warnings.clear();
    }

    void failuresNamePortAndDevice_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("text"); // %1: the device
        QTest::newRow("held by another link")
            << u"held"_s << u"Com7 (%1) could not be opened: it is in use by another program."_s;
        QTest::newRow("no device for the number")
            << u"unpinned"_s
            << u"Com7 has no device on this machine. This machine's serial ports: Com1 (ttyUSB0), "
               "Com2 (ttyUSB1)."_s;
        QTest::newRow("node with no UART")
            << u"no UART"_s << u"Com7 (%1) could not be opened: no serial port hardware answers"_s;
        QTest::newRow("/dev/null") << u"/dev/null"_s << u"Com7 (%1) is not a serial device."_s;
        QTest::newRow("plain file") << u"file"_s << u"Com7 (%1) is not a serial device."_s;
        if (::geteuid() != 0) // root opens any device; as root, the unprivileged run has this
            QTest::newRow("no permission") << u"denied"_s
                                           << u"Com7 (%1) could not be opened: Permission denied. "
                                              "Your user needs to be in the group"_s;
        else // root may take over any lock file: the device is opened as "nobody" here
            QTest::newRow("lock file of a root program killed")
                << u"stale lock"_s
                << u"Com7 (%1) could not be opened: its lock file %2 was left behind by a program "
                   "that has ended (process %3) and belongs to root, so TALVEN may not take it "
                   "over. Remove it (sudo rm %2), then choose the port again."_s;
    }
    void failuresNamePortAndDevice()
    {
        QFETCH(QString, fault);
        QFETCH(QString, text);
        // The device end of a locked pseudo-terminal answers EIO, as such a node does.
        const PseudoTerminal noUart;
        int lock = 1;
        QVERIFY(::ioctl(noUart.controller, TIOCSPTLCK, &lock) == 0);
        QString device = fault.startsWith(u'/') ? fault : m_usb[1]->name;
        if (fault == u"unpinned")
            device = m_machine->path(u"dev/ttyUSB0"_s);
        if (fault == u"no UART")
            device = noUart.name;
        if (fault == u"file")
            QVERIFY(writeFile(device = m_machine->path(u"Com7"_s), "settings"));
        if (fault == u"denied")
            QVERIFY(QFile::setPermissions(device, {}));
        if (fault != u"unpinned")
            FakeMachine::writeSettings("[Ports]\nCom7=" + device.toUtf8());

        const QString lockFile = u"/var/lock/LCK.."_s + device.mid(5).replace(u'/', u'_');
        const pid_t ended = fault == u"stale lock" ? endedProcess() : 0;
        const auto rootAgain = qScopeGuard([&] {
            if (ended != 0 && ::seteuid(0) == 0)
                QFile::remove(lockFile);
        });
        if (ended != 0) { // as QSerialPort leaves it, owned by root
            QVERIFY(writeFile(lockFile, QByteArray::number(ended) + "\ntalven\nhost\n"));
            QCOMPARE(shell(u"chmod 755 \"$0\""_s, m_machine->path({})), "");
            QVERIFY(::chown(QFile::encodeName(device).constData(), 65534, 65534) == 0);
            QVERIFY(::seteuid(65534) == 0);
        }
        SerialPortLink holder(m_machine->ports()), link(m_machine->ports());
        QVERIFY(fault != u"held" || (holder.setPortNumber(7) && holder.open()));
        const bool opened = link.setPortNumber(7) && link.open();
        QVERIFY(ended == 0 || ::seteuid(0) == 0);
        QVERIFY(!opened);
        const QString told = link.errorString().remove(m_machine->path(u"dev/"_s));
        text.replace(u"%1"_s, device).replace(u"%2"_s, lockFile);
        QVERIFY2(told.startsWith(text.replace(u"%3"_s, QString::number(ended))), qPrintable(told));
        QVERIFY(fault != u"file" || QFileInfo(device).size() == 8);
    }

    // Let go at once, so that the system can give the adapter its name back;
    // once back, the same device opens at 9600 8N1 and takes A then B.
    void vanishedDeviceIsReleasedAndComesBack_data()
    {
        QTest::addColumn<bool>("pinned");
        QTest::addColumn<bool>("reportedFirst"); // by the system, before the press
        QTest::addColumn<bool>("backBeforeThePress");
        QTest::newRow("numbered, found gone by the press") << false << false << false;
        QTest::newRow("pinned, reported by the system") << true << true << false;
        QTest::newRow("back before the press that finds it gone") << false << false << true;
    }
    void vanishedDeviceIsReleasedAndComesBack()
    {
        QFETCH(bool, pinned);
        QFETCH(bool, reportedFirst);
        QFETCH(bool, backBeforeThePress);
        PseudoTerminal second;
        if (pinned)
            FakeMachine::writeSettings("[Ports]\nCom1="
                                       + m_machine->path(u"dev/ttyUSB0"_s).toUtf8());
        SerialPortLink link(m_machine->ports());
        QVERIFY(link.open());

        m_usb[0]->hangUp();
        m_machine->unplug(u"ttyUSB0"_s);
        if (reportedFirst)
            QVERIFY(QTest::qWaitFor([&] { return link.isOpen() == false; }));
        if (backBeforeThePress)
            m_machine->add(u"ttyUSB0"_s, second.name);
        QVERIFY(!DateCommand::sendDateInitialisation(link, m_clock));
        QVERIFY2(link.errorString().contains(u"no longer there"_s)
                     && link.errorString().endsWith(u"Plug it back in and press again."_s),
                 qPrintable(link.errorString()));
        QVERIFY(link.isOpen() == false); // the device is let go
        // Com1 now stands for ttyUSB1, another master clock, which must get nothing.
        if (!backBeforeThePress) {
            QVERIFY(!DateCommand::sendDateInitialisation(link, m_clock));
            QVERIFY2(link.errorString().endsWith(u"Plug it back in and press again."_s),
                     qPrintable(link.errorString()));
        }
        QCOMPARE(m_usb[1]->read(), QByteArray());

        m_machine->add(u"ttyUSB0"_s, second.name);
        QVERIFY(DateCommand::sendDateInitialisation(link, m_clock));
        termios line{};
        ::tcgetattr(second.device, &line);
        QCOMPARE(cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
        QCOMPARE(second.read(), workedExampleAB); // nothing of the failed press comes after
    }

    // A master clock that talks all day on the port the window holds: what
    // it sends is dropped as it arrives, never more than 1024 octets held at
    // once, presses send exactly A then B, and a hang-up in mid-talk is found
    // and let go as ever.
    void talkingMasterClock_data()
    {
        QTest::addColumn<bool>("hangsUp");
        QTest::newRow("presses while it talks") << false;
        QTest::newRow("hangs up mid-talk") << true;
    }
    void talkingMasterClock()
    {
        QFETCH(bool, hangsUp);
        auto owned = std::make_unique<SerialPortLink>(m_machine->ports());
        SerialPortLink *link = owned.get();
        startWindow(true, true, std::move(owned));
        m_window->setClock(m_clock);
        constexpr qint64 total = 6 << 20;
        // The event loop as the program runs it, woken by what arrives;
        // QTest::qWaitFor would sleep between rounds.
        const auto talkUntil = [&](const TalkingClock &clock, qint64 sent) {
            QTimer wakeUp;
            wakeUp.start(100);
            const QDeadlineTimer deadline(60000);
            while (clock.sent < sent && !clock.gaveUp && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            return clock.sent >= sent;
        };
        if (hangsUp) { // two octets short of a telegram's end, while the window takes the rest
            TalkingClock clock(*m_usb[0], total / 3, true);
            QVERIFY2(talkUntil(clock, total / 3), "the port stopped taking what the clock sent");
            QVERIFY2(QTest::qWaitFor([&] { return link->isOpen() == false; }),
                     "the link kept the device the clock hung up");
        } else {
            TalkingClock clock(*m_usb[0], total);
            for (const qint64 sent : {total / 3, 2 * total / 3}) {
                QVERIFY2(talkUntil(clock, sent), "the port stopped taking what the clock sent");
                m_iniGps->click();
                QCOMPARE(m_usb[0]->read(), workedExampleAB);
            }
            QVERIFY2(talkUntil(clock, total), "the port stopped taking what the clock sent");
        }
        const qint64 held = link->mostReceivedOctetsHeld();
        QVERIFY2(held > 0 && held <= 1024, qPrintable(u"%1 octets held at most"_s.arg(held)));
        if (hangsUp) {
            m_machine->unplug(u"ttyUSB0"_s);
            m_iniGps->click();
            const PseudoTerminal back;
            m_machine->add(u"ttyUSB0"_s, back.name);
            m_iniGps->click();
            QCOMPARE(back.read(), workedExampleAB);
            QCOMPARE(m_warnings.size(), 1);
            QVERIFY2(m_warnings.first().contains(u"no longer there"_s),
                     qPrintable(m_warnings.first()));
        } else {
            QCOMPARE(m_warnings, QStringList());
        }
    }

    void window()
    {
        startWindow(false, false);
        QCOMPARE(m_window->windowTitle(), u"GPS Date Initialization"_s);
        QCOMPARE(m_window->minimumSize(), QSize(225, 187));
        QCOMPARE(m_window->maximumSize(), QSize(225, 187));
        QCOMPARE(m_window->palette().color(QPalette::Window), QColor(192, 192, 192));
        QVERIFY(!m_window->windowIcon().isNull());
        const QList<std::tuple<QString, QRect, QString>> controls{
            {u"CommSel"_s,
             {104, 88, 65, 21},
             u"Sets the Serial Port for communicating with the Master Clock"_s},
            {u"IniGPS"_s, {56, 128, 113, 25}, u"Initialize GNSS Receiver Date"_s},
            {u"Label2"_s, {24, 88, 73, 17}, {}},
            {u"Image1"_s, {16, 8, 80, 60}, {}}};
        QCOMPARE(m_window->children().size(), controls.size()); // in creation order
        for (qsizetype index = 0; index < controls.size(); ++index) {
            const auto *widget = qobject_cast<QWidget *>(m_window->children().at(index));
            QCOMPARE(std::tuple(widget->objectName(), widget->geometry(), widget->toolTip()),
                     controls.at(index));
            QVERIFY(widget->font().pointSizeF() == 8.25 && widget->font().bold());
        }
        QCOMPARE(m_iniGps->text(), u"INIT GNSS DATE"_s);
        QCOMPARE(m_window->findChild<QLabel *>(u"Label2"_s)->text(), u"Serial Port:"_s);
        QCOMPARE(m_window->findChild<QLabel *>(u"Image1"_s)->pixmap().size(), QSize(80, 60));
        QVERIFY(!m_commSel->isEditable() && m_commSel->currentIndex() == -1);
        QCOMPARE(m_commSel->count(), 50);
        for (int index = 0; index < 50; ++index)
            QCOMPARE(std::pair(m_commSel->itemText(index), m_commSel->itemData(index)),
                     std::pair(u"Com%1"_s.arg(index + 1), QVariant(index + 1)));
        QCOMPARE(QApplication::focusWidget(), m_iniGps);
        QTest::keyClick(m_window.get(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_commSel);

        // The real box: the warning icon, OK alone, the program's name as title.
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            m_warnings << u"%1 %2 "_s.arg(box->icon()).arg(box->standardButtons())
                    + box->windowTitle() + u": "_s + box->text();
            box->accept();
        });
        m_iniGps->click(); // with no port open
        QCOMPARE(m_warnings,
                 QStringList{u"%1 %2 TALVEN: Nothing was sent to Com1: the port is not "
                             "open."_s.arg(QMessageBox::Warning)
                                 .arg(QMessageBox::Ok)});
    }

    void startUp_data()
    {
        QTest::addColumn<QString>("setup"); // what is stored, or sh making the settings file $0
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("index");
        QTest::newRow("first run, past an abandoned lock") << u": >\"$0.lock\""_s << QString() << 0;
        QTest::newRow("stored 2") << u"Orvcomm=2"_s << QString() << 1;
        QTest::newRow("stored device missing")
            << u"Orvcomm=3"_s << u"Com3 (/dev/no-such-tty) is not there"_s << 2;
        QTest::newRow("quoted, continued, after a note ending in a backslash, CR LF")
            << u"; moved from C:\\TALVEN\\\r\nOrvcomm = \"0\\\r\n2\" ; the site's port\r\n"_s
            << QString() << 1;
        // A save changes the number where a reader takes it, and nothing else.
        QTest::newRow("stored twice, the last holds")
            << u"Orvcomm=2\n[Startup]\nOrvcomm=1"_s << QString() << 0;
        QTest::newRow("section without the number, no last line break")
            << u"printf '[Startup]\\nNote=kept\\n[Ports]\\nCom3=/dev/no-such-tty' >\"$0\""_s
            << QString() << 0;
        QTest::newRow("no section, no last line break")
            << u"printf '[Ports]\\nCom3=/dev/no-such-tty' >\"$0\""_s << QString() << 0;
        QTest::newRow("byte order mark, CR LF")
            << u"printf '\\357\\273\\277[Startup]\\r\\nOrvcomm=1\\r\\n' >\"$0\""_s << QString()
            << 0;
        QTest::newRow("link to a private file")
            << u"printf '[Startup]\\nOrvcomm=1\\n' >\"$0.site\"; chmod 600 \"$0.site\"; "
               "ln -s TALVEN.conf.site \"$0\""_s
            << QString() << 0;
        QTest::newRow("fraction") << u"Orvcomm=7.5"_s << u"\"7.5\" in"_s << -1;
        QTest::newRow("two numbers") << u"Orvcomm=2,3"_s << u"\"2,3\" in"_s << -1;
        QTest::newRow("99") << u"Orvcomm=99"_s << u"number 99 names no port"_s << -1;
        QTest::newRow("0 chooses nothing") << u"Orvcomm=0"_s << QString() << -1;
        QTest::newRow("garbage") << u"printf '\\177ELF\\1' >\"$0\""_s << u"is damaged"_s << -1;
        QTest::newRow("pipe") << u"mkfifo \"$0\""_s << u"is a named pipe."_s << -1;
        QTest::newRow("socket") << u"python3 -c 'import socket, sys; "
                                   "socket.socket(socket.AF_UNIX).bind(sys.argv[1])' \"$0\""_s
                                << u"is a socket."_s << -1;
        QTest::newRow("device") << u"mknod \"$0\" c 1 5"_s << u"is a character device."_s << -1;
        QTest::newRow("link to a device")
            << u"ln -s /dev/zero \"$0\""_s << u"is a link to a character device (/dev/zero)."_s
            << -1;
        QTest::newRow("folder") << u"mkdir \"$0\""_s << u"is a folder."_s << -1;
        QTest::newRow("a file in the settings folder's place")
            << u"rmdir \"${0%/*}\" && : >\"${0%/*}\""_s << u"cannot be read."_s << -1;
        QTest::newRow("oversized file")
            << u"head -c 2M /dev/zero >\"$0\""_s << u"is 2.0 MiB large"_s << -1;
    }
    // At start-up, before the window shows, at once.
    void startUp()
    {
        QFETCH(QString, setup);
        QFETCH(QString, warning);
        QFETCH(int, index);
        const QString path = PortSetting::location();
        const bool stored = !setup.contains(u'$');
        const bool unreadable = warning.startsWith(u"is "_s) || warning.startsWith(u"cannot "_s);
        FakeMachine::writeSettings("[Ports]\nCom3=/dev/no-such-tty\n[Startup]\n" + setup.toUtf8());
        QCOMPARE(shell(stored ? QString() : u"rm \"$0\"; "_s + setup, path), ""); // mknod: root
        // Whatever a change of the path would change: kind, identity, size, time.
        const QByteArray before = shell(u"stat -c '%F %i %s %y' \"$0\""_s, path);
        // What a save keeps: a link stays a link, the file's permissions, the pins.
        const QString keptByASave = u"stat -c %F \"$0\" && stat -L -c %a \"$0\""_s;
        const QByteArray kept = shell(keptByASave, path);
        const QHash<qint16, QString> pinned = PortSetting().pinnedDevices();
        const QDeadlineTimer deadline(5000);

        startWindow();
        QVERIFY2(!deadline.hasExpired(), "start-up waited");
        QCOMPARE(m_warnings.size(), warning.isEmpty() ? 0 : 1);
        QVERIFY2(m_warnings.join(u'\n').contains(unreadable ? path + u' ' + warning : warning),
                 qPrintable(m_warnings.join(u'\n')));
        QCOMPARE(m_commSel->currentIndex(), index);
        if (!warning.isEmpty())
            QCOMPARE(shell(u"stat -c '%F %i %s %y' \"$0\""_s, path), before);
        else if (index >= 0) // that port is open and stored
            QCOMPARE(PortSetting().read(), std::optional<qint16>(index + 1));
        // Then the operator chooses Com2: it opens, and is stored unless the
        // settings path cannot take it.
        m_window->choosePortEntry(1);
        if (unreadable) {
            QCOMPARE(m_warnings.last(),
                     u"The serial port number was not saved. "_s + m_warnings.first());
            QCOMPARE(shell(u"stat -c '%F %i %s %y' \"$0\""_s, path), before);
        } else {
            QCOMPARE(PortSetting().read(), std::optional<qint16>(2));
        }
        if (kept != "failed")
            QCOMPARE(shell(keptByASave, path), kept);
        QCOMPARE(PortSetting().pinnedDevices(), pinned);
        QCOMPARE(m_warnings.size(), warning.isEmpty() ? 0 : (unreadable ? 2 : 1));
        if (!stored && warning.isEmpty()) { // today's date
            m_iniGps->click();
            const QByteArray sent = m_usb[1]->read();
            QVERIFY(sent.startsWith(DateCommand::composeFrame(QDate::currentDate()))
                    || sent.startsWith(DateCommand::composeFrame(QDate::currentDate().addDays(1))));
        }
    }

    void keysAndClicks_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key"); // 0: a click of the mouse
        QTest::addColumn<int>("chosen"); // the entry chosen afterwards
        QTest::newRow("mouse") << u"IniGPS"_s << 0 << 0;
        QTest::newRow("Space") << u"IniGPS"_s << int(Qt::Key_Space) << 0;
        QTest::newRow("Return") << u"IniGPS"_s << int(Qt::Key_Return) << 0;
        QTest::newRow("Enter") << u"IniGPS"_s << int(Qt::Key_Enter) << 0;
        QTest::newRow("Return on the list") << u"CommSel"_s << int(Qt::Key_Return) << 0;
        QTest::newRow("Down on the list") << u"CommSel"_s << int(Qt::Key_Down) << 1;
    }
    // A press sends A then B once, shows nothing and changes no pixel; a
    // choice moves the next press to that port and stores it.
    void keysAndClicks()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, chosen);
        startWindow();
        m_window->setClock(m_clock);
        auto *widget = m_window->findChild<QWidget *>(focus);
        widget->setFocus();
        const QImage before = m_window->grab().toImage();
        if (key == 0)
            QTest::mouseClick(widget, Qt::LeftButton);
        else
            QTest::keyClick(widget, static_cast<Qt::Key>(key));
        QCOMPARE(m_usb[0]->read(), focus == u"IniGPS" ? workedExampleAB : QByteArray());
        QVERIFY(chosen > 0 || m_window->grab().toImage() == before);
        QCOMPARE(m_commSel->currentIndex(), chosen);
        QCOMPARE(PortSetting().read(), std::optional<qint16>(chosen + 1));

        m_iniGps->click();
        QCOMPARE(m_usb[chosen]->read() + '|' + m_usb[1 - chosen]->read(), workedExampleAB + '|');
        QCOMPARE(m_warnings, QStringList());
    }

    // The port chosen last is the port stored, as the file itself says: on a
    // disk whose file times step by whole seconds, whatever the temporary
    // folder is, after a save killed half-way; nothing of a save is left
    // beside the file.
    void savedPortIsTheFilesPort_data()
    {
        QTest::addColumn<QString>("temporary"); // sh making $TMPDIR at "$0", or none
        QTest::newRow("file times of whole seconds") << QString();
        QTest::newRow("no temporary folder") << u":"_s;
        QTest::newRow("temporary folder is a file") << u": >\"$0\""_s;
        if (::geteuid() == 0)
            QTest::newRow("full temporary folder")
                << u"mkdir \"$0\"; mount -t tmpfs -o size=64k tmpfs \"$0\"; "
                   "head -c 1M /dev/zero >\"$0/fill\" 2>/dev/null; true"_s;
    }
    void savedPortIsTheFilesPort()
    {
        QFETCH(QString, temporary);
        const QString folder = m_machine->path(u"tmp"_s), path = PortSetting::location();
        const auto restore = qScopeGuard([&] {
            qunsetenv("TMPDIR");
            shell(u"! mountpoint -q \"$0\" || umount \"$0\""_s, folder);
        });
        if (!temporary.isNull()) {
            QCOMPARE(shell(temporary, folder), "");
            qputenv("TMPDIR", QFile::encodeName(folder));
        }
        const auto sameSecond = [&] {
            const timespec second{1700000000, 0}, times[2] = {second, second};
            return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
        };
        const QByteArray settings = "[Ports]\nCom3=/dev/serial/by-id/"
                                    "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0\n[Startup]\n"
                                    "Orvcomm=1\n";
        FakeMachine::writeSettings(settings);
        // A save killed while it writes, by a file size limit that the longer
        // number passes (and its lock file does not).
        const pid_t saving = ::fork();
        if (saving == 0) {
            const rlimit limit{rlim_t(settings.size()), rlim_t(settings.size())};
            ::signal(SIGXFSZ, SIG_DFL);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            PortSetting().save(10);
            ::_exit(0);
        }
        int status = 0;
        QVERIFY(::waitpid(saving, &status, 0) == saving);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ, "the save was not killed");
        QCOMPARE(shell(u"cat \"$0\""_s, path), settings);
        QVERIFY(sameSecond());
        startWindow();
        for (const int entry : {1, 0, 1}) {
            m_window->choosePortEntry(entry);
            QVERIFY(sameSecond());
            QCOMPARE(std::pair(shell(u"grep Orvcomm \"$0\""_s, path), PortSetting().read()),
                     std::pair("Orvcomm=" + QByteArray::number(entry + 1) + '\n',
                               std::optional<qint16>(entry + 1)));
        }
        QCOMPARE(m_warnings, QStringList());
        QCOMPARE(QDir(QFileInfo(path).path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u"TALVEN.conf"_s});
    }

    // A settings file of two 4 KiB blocks, hand-edited, that the disk cannot
    // take a change of: locked read-only by an administrator, on a full disk,
    // or with room for only part of it. The number already stored opens with
    // no box, as nothing needs writing; the choice of another port opens it,
    // one box names what refused, the file stays as it was byte for byte and
    // the number stored before stays, until the disk has room and the same
    // choice saves it. Root meets a small tmpfs, read-only, full, or with one
    // block left once the lock file has taken its own where the save needs
    // two; another user meets a read-only file in a read-only folder, or a
    // file size limit.
    void refusedSave_data()
    {
        QTest::addColumn<QString>("rootFault"); // sh on the settings folder, a tmpfs
        QTest::addColumn<QString>("rootRoom");
        QTest::addColumn<QString>("userFault"); // or a file size limit:
        QTest::addColumn<int>("userLimit");
        QTest::addColumn<QString>("told"); // %1: the settings file
        const QString cutShort = u"The settings file %1 could not be written in full: the disk "
                                 "is full or the write was cut short. It was left as it was."_s;
        QTest::newRow("locked preset")
            << u"mount -o remount,ro \"$0\""_s << u"mount -o remount,rw \"$0\""_s
            << u"chmod a-w \"$0/TALVEN.conf\" \"$0\""_s << -1
            << u"The settings file %1 cannot be written: it is read-only to you. It was left as "
               "it was."_s;
        if (::geteuid() == 0) // a file size limit would keep the serial port from its lock
            QTest::newRow("full disk") << u"head -c 1M /dev/zero >\"$0/fill\" 2>/dev/null; true"_s
                                       << u"rm \"$0/fill\""_s << QString() << -1 << cutShort;
        QTest::newRow("cut short")
            << u"mount -o remount,size=16k \"$0\""_s << u"mount -o remount,size=64k \"$0\""_s
            << QString() << 500 << cutShort;
    }
    void refusedSave()
    {
        QFETCH(QString, rootFault);
        QFETCH(QString, rootRoom);
        QFETCH(QString, userFault);
        QFETCH(int, userLimit);
        QFETCH(QString, told);
        const bool root = ::geteuid() == 0;
        const QString folder = QFileInfo(PortSetting::location()).path();
        const auto unmount
            = qScopeGuard([&] { shell(u"! mountpoint -q \"$0\" || umount \"$0\""_s, folder); });
        const QString tmpfs = u"mkdir -p \"$0\"; mount -t tmpfs -o size=64k tmpfs \"$0\""_s;
        QCOMPARE(shell(root ? tmpfs : QString(), folder), "");
        QByteArray settings;
        for (int line = 1; line <= 40; ++line)
            settings += "; the site's note " + QByteArray::number(line) + "\n";
        settings += "[Ports]\n";
        for (int number = 3; number <= 52; ++number)
            settings += "Com" + QByteArray::number(number)
                + "=/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller_D_AB12CD"
                + QByteArray::number(number) + "-if00-port0\n";
        settings += "[Startup]\nOrvcomm=01\n"; // the number 1 as a hand may write it
        QVERIFY(settings.size() > 4096 && settings.size() <= 8192);
        FakeMachine::writeSettings(settings);
        QCOMPARE(shell(root ? rootFault : userFault, folder), "");
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const auto unlimited = [limit] { return ::setrlimit(RLIMIT_FSIZE, &limit) == 0; };
        const auto unlimitedAtLast = qScopeGuard(unlimited);
        limit.rlim_cur = rlim_t(userLimit);
        ::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(root || userLimit < 0 || ::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        startWindow();
        QCOMPARE(m_warnings, QStringList()); // Com1 is stored already
        m_window->choosePortEntry(1);
        QVERIFY(unlimited());
        QCOMPARE(shell(root ? rootRoom : u"chmod u+w \"$0\" \"$0/TALVEN.conf\""_s, folder), "");
        QCOMPARE(m_warnings,
                 QStringList{u"The serial port number was not saved. "_s
                             + told.arg(PortSetting::location())});
        QFile file(PortSetting::location());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(std::pair(file.readAll(), PortSetting().read()),
                 std::pair(settings, std::optional<qint16>(1)));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u"TALVEN.conf"_s}); // no draft left taking the disk
        m_iniGps->click();
        QCOMPARE(m_usb[1]->read().size(), 46);
        m_window->choosePortEntry(1);
        QCOMPARE(std::pair(shell(u"cat \"$0\""_s, file.fileName()), m_warnings.size()),
                 std::pair(settings.replace("Orvcomm=01", "Orvcomm=2"), qsizetype(1)));
    }

    // The program itself, its first start past the user's file size limit:
    // the save is refused and reported, and the program goes on rather than
    // ending at the limit.
    void programPastAFileSizeLimit()
    {
        const QByteArray settings
            = "[Ports]\nCom1=" + m_usb[0]->name.toUtf8() + "\n; " + QByteArray(3000, '-') + '\n';
        FakeMachine::writeSettings(settings);
        QProcess talven;
        talven.setChildProcessModifier([] { ::signal(SIGXFSZ, SIG_DFL); }); // as a login gives it
        talven.start(u"sh"_s,
                     {u"-c"_s, u"ulimit -f 2 && exec \"$0\""_s, QStringLiteral(TALVEN_PROGRAM)});
        const bool ended = talven.waitForFinished(3000);
        talven.kill();
        talven.waitForFinished();
        QVERIFY2(!ended, "talven ended at the limit");
        QCOMPARE(shell(u"cat \"$0\""_s, PortSetting::location()), settings);
    }

    // The machine's ports in their order, each entry telling its device when
    // the list opens, ports plugged in while the program runs too.
    void portList()
    {
        FakeMachine::writeSettings("[Ports]\nCom9=/dev/no-such-tty\n");
        startWindow(false);
        for (const QString &port :
             u"ttyS2:4 ttyS1:0 ttyS0:4 ttyACM0 ttyUSB10 ttyUSB2 ttyAMA0:3"_s.split(u' '))
            m_machine->add(port.section(u':', 0, 0), m_usb[1]->name,
                           port.section(u':', 1).toLatin1());
        m_commSel->showPopup();
        m_commSel->hidePopup();
        QStringList told;
        for (int index = 0; index < 10; ++index)
            told << m_commSel->itemData(index, Qt::ToolTipRole)
                        .toString()
                        .remove(m_machine->path(u"dev/"_s));
        QCOMPARE(
            told,
            (QStringList{u"ttyS0: built-in serial port"_s, u"ttyS2: built-in serial port"_s,
                         u"ttyUSB0: FT232R USB UART, serial A1B2C3"_s, u"ttyUSB1"_s, u"ttyUSB2"_s,
                         u"ttyUSB10"_s, u"ttyACM0"_s, u"ttyAMA0: built-in serial port"_s,
                         u"/dev/no-such-tty: not there now"_s, u"no device"_s}));
        m_window->choosePortEntry(8); // not there: nothing is stored
        QCOMPARE(std::pair(m_warnings.size(), PortSetting().read()),
                 std::pair(qsizetype(1), std::optional<qint16>(1)));
    }

    // Inside a raised edge, 70 % of the face, caption and all, is pure green
    // at scale 1 and 2; the focus and the pressed state show.
    void buttonFace()
    {
        startWindow(false);
        const auto grab = [this](int scale) {
            QImage image(m_iniGps->size() * scale, QImage::Format_RGB32);
            image.setDevicePixelRatio(scale);
            m_iniGps->render(&image);
            return image;
        };
        for (const int scale : {1, 2}) {
            const QImage button = grab(scale);
            int green = 0;
            for (int y = 2 * scale; y < button.height() - 2 * scale; ++y)
                for (int x = 2 * scale; x < button.width() - 2 * scale; ++x)
                    green += (button.pixel(x, y) & 0xF8F8F8) == 0x00F800 ? 1 : 0;
            QVERIFY(green * 10 >= (button.width() - 4 * scale) * (button.height() - 4 * scale) * 7);
            QCOMPARE(button.pixel(0, 0), qRgb(255, 255, 255));
            QCOMPARE(button.pixel(button.width() - scale, button.height() - scale), qRgb(0, 0, 0));
        }
        const QImage focused = grab(1);
        m_commSel->setFocus();
        const QImage unfocused = grab(1);
        m_iniGps->setDown(true);
        QVERIFY(unfocused != focused && grab(1) != unfocused);
    }
};

QTEST_MAIN(TestTalven)
#include "tst_talven.moc"
