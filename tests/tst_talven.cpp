// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window and the serial link on a machine in a folder whose serial ports
// are real pseudo-terminals, with a real settings file.
#include "main_window.h"
#include "talven_test.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTimer>

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// What a change of the path would change: its kind, identity, size and time.
QList<qint64> stateOf(const QString &path)
{
    struct stat s = {};
    ::lstat(QFile::encodeName(path).constData(), &s);
    return {s.st_mode, qint64(s.st_ino), s.st_size, s.st_mtim.tv_sec, s.st_mtim.tv_nsec};
}

// A start: what stands at the settings path, the one box (%1: the settings file),
// the entry chosen, and whether the settings cannot be used, so no port opens.
struct StartUp
{
    QByteArray settings;
    QString warning;
    int index = -1;
    bool refused = false;
    QString path = u"file"_s;

    bool make(const QString &device) const
    {
        const QString file = PortSetting::location(), folder = QFileInfo(file).path();
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        return path == u"none" || (path == u"file" && writeFile(file, settings))
            || (path == u"pipe" && ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0)
            || (path == u"link to a device" && QFile::link(device, file))
            || (path == u"folder" && QDir().mkdir(file))
            || (path == u"file for the folder" && QDir().rmdir(folder) && writeFile(folder, {}))
            || (path == u"oversized" && writeFile(file, QByteArray(2 << 20, '\n')));
    }
};

// A device gone while open: pinned or not, let go before the press, back then
// ("held" by another program, or "another" adapter there) or later; the first press.
struct Vanished
{
    bool pinned = false, reportedFirst = false;
    QString back, told;
};

} // namespace

Q_DECLARE_METATYPE(StartUp)
Q_DECLARE_METATYPE(Vanished)

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

    void startWindow(bool load = true)
    {
        m_window = std::make_unique<MainWindow>(nullptr, m_machine->ports());
        m_commSel = m_window->findChild<QComboBox *>(u"CommSel"_s);
        m_iniGps = m_window->findChild<QPushButton *>(u"IniGPS"_s);
        m_window->setShowWarning([this](const QString &text) { m_warnings << text; });
        m_window->setClock(m_clock);
        if (load)
            m_window->load();
        m_window->show();
        m_window->activateWindow(); // X without a window manager needs it
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    QString said(const SerialLink &link) const
    {
        return link.errorString().remove(m_machine->path(u"dev/"_s));
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(u"TALVEN"_s); }
    void cleanupTestCase() { sayWhatWasLeftToRoot(); }
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

    void window()
    {
        startWindow(false);
        // Positions and sizes at 96 dpi, in proportion at the density left unscaled.
        const auto at = [f = m_window->logicalDpiY() / 96.0](QRect r) {
            return QRect((QPointF(r.topLeft()) * f).toPoint(), (QSizeF(r.size()) * f).toSize());
        };
        QCOMPARE(std::tuple(m_window->windowTitle(), m_window->minimumSize(),
                            m_window->maximumSize(), m_window->palette().color(QPalette::Window),
                            m_window->windowIcon().isNull()),
                 std::tuple(u"GPS Date Initialization"_s, at({0, 0, 225, 187}).size(),
                            at({0, 0, 225, 187}).size(), QColor(192, 192, 192), false));
        const QString list = u"Sets the Serial Port for communicating with the Master Clock"_s;
        const QList<std::tuple<QString, QRect, QString>> controls{
            {u"CommSel"_s, at({104, 88, 65, 21}), list},
            {u"IniGPS"_s, at({56, 128, 113, 25}), u"Initialize GNSS Receiver Date"_s},
            {u"Label2"_s, at({24, 88, 73, 17}), {}},
            {u"Image1"_s, QRect(at({16, 8, 0, 0}).topLeft(), QSize(80, 60)), {}}}; // its own size
        QCOMPARE(m_window->children().size(), controls.size()); // in creation order
        for (qsizetype index = 0; index < controls.size(); ++index) {
            const auto *widget = qobject_cast<QWidget *>(m_window->children().at(index));
            QCOMPARE(
                std::tuple(widget->objectName(), widget->geometry(), widget->toolTip(),
                           widget->font().families().value(0), widget->font().pointSizeF(),
                           widget->font().bold()),
                std::tuple_cat(controls.at(index), std::tuple(u"MS Sans Serif"_s, 8.25, true)));
        }
        QCOMPARE(
            std::tuple(m_iniGps->text(), m_window->findChild<QLabel *>(u"Label2"_s)->text(),
                       m_window->findChild<QLabel *>(u"Image1"_s)->pixmap().deviceIndependentSize(),
                       m_commSel->isEditable(), m_commSel->currentIndex(), m_commSel->count()),
            std::tuple(u"INIT GNSS DATE"_s, u"Serial Port:"_s, QSize(80, 60), false, -1, 50));
        for (int index = 0; index < 50; ++index)
            QCOMPARE(std::pair(m_commSel->itemText(index), m_commSel->itemData(index)),
                     std::pair(u"Com%1"_s.arg(index + 1), QVariant(index + 1)));
        QCOMPARE(QApplication::focusWidget(), m_iniGps);
        QTest::keyClick(m_window.get(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_commSel);
        // The real box: the warning icon, OK alone, the program's name as title.
        MainWindow window(nullptr, m_machine->ports());
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            m_warnings << u"%1 %2 "_s.arg(box->icon()).arg(box->standardButtons())
                    + box->windowTitle() + u": "_s + box->text();
            box->accept();
        });
        window.findChild<QPushButton *>()->click(); // with no port open
        QCOMPARE(m_warnings,
                 QStringList{u"%1 %2 TALVEN: Nothing was sent to Com1: the port is not open."_s
                                 .arg(QMessageBox::Warning)
                                 .arg(QMessageBox::Ok)});
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
            QCOMPARE(std::pair(button.pixel(0, 0),
                               button.pixel(button.width() - scale, button.height() - scale)),
                     std::pair(qRgb(255, 255, 255), qRgb(0, 0, 0)));
        }
        m_iniGps->setFocus();
        const QImage focused = grab(1);
        m_commSel->setFocus();
        const QImage unfocused = grab(1);
        m_iniGps->setDown(true);
        // Pressed, the caption moves down and right with the sunken face.
        const QRect caption(8, 6, m_iniGps->width() - 18, m_iniGps->height() - 13);
        QVERIFY(unfocused != focused
                && grab(1).copy(caption.translated(1, 1)) == unfocused.copy(caption));
    }

    // Every text of the window whole in this process's font and density: its ink lies
    // in the room its control gives it, in the shape it has in the control made 200
    // pixels wider; smaller where TALVEN_EXPECTED says (tests/CMakeLists.txt).
    void textsWhole()
    {
        const QStringList expected
            = qEnvironmentVariable("TALVEN_EXPECTED", u"Liberation Sans|0|^$"_s).split(u'|');
        startWindow(false);
        QFont font = m_window->font(); // a larger one, where TALVEN_EXPECTED says
        if (const int pixels = expected.at(1).toInt())
            font.setPixelSize(pixels);
        m_window->setFont(font);
        QCOMPARE(QFontInfo(m_window->font()).family(), expected.at(0));
        // Where the text `shown` darkens the control `wider`, drawn `smaller`, and how.
        const auto inkOf = [&](QWidget *control, const auto &shown, int wider, int smaller) {
            QFont sized = m_window->font();
            sized.setPixelSize(QFontInfo(sized).pixelSize() - smaller);
            control->setFont(smaller ? sized : QFont());
            control->resize(control->size() + QSize(wider, 0));
            const auto grab = [&](bool on) { return shown(on), control->grab().toImage(); };
            const QImage blank = grab(false), drawn = grab(true);
            control->setFont({});
            control->resize(control->size() - QSize(wider, 0));
            QRect ink;
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    ink |= qGray(drawn.pixel(x, y)) < qGray(blank.pixel(x, y)) ? QRect(x, y, 1, 1)
                                                                               : QRect();
            return std::pair(ink, drawn.copy(ink));
        };
        // The label's and the button's texts, or the list's entry `index` (cut: another shape).
        const auto check = [&](QWidget *control, QRectF room, const QString &text, int index) {
            const auto shown = [&](bool on) {
                index < 0 ? void(control->setProperty("text", on ? text : QString()))
                          : m_commSel->setCurrentIndex(on ? index : -1);
            };
            int smaller = 0; // the first pattern names the texts a pixel smaller, and so on
            for (int at = 2; at < expected.size() && smaller == 0; ++at)
                smaller = QRegularExpression(expected.at(at)).match(text).hasMatch() ? at - 1 : 0;
            const auto ink = inkOf(control, shown, 0, 0),
                       whole = inkOf(control, shown, 200, smaller);
            const qreal scale = control->devicePixelRatioF();
            QVERIFY2(QRectF(room.topLeft() * scale, room.size() * scale).contains(ink.first)
                         && ink.second == whole.second,
                     qPrintable(text));
        };
        auto *label = m_window->findChild<QLabel *>(u"Label2"_s);
        check(label, label->rect(), label->text(), -1);
        check(m_iniGps, QRectF(m_iniGps->rect()).adjusted(2, 2, -2, -2), m_iniGps->text(), -1);
        for (int index = 0; index < m_commSel->count(); ++index)
            check(m_commSel, m_commSel->rect(), m_commSel->itemText(index), index);
    }

    void startUp_data()
    {
        QTest::addColumn<StartUp>("row");
        const QByteArray startup = "[Startup]\nOrvcomm=", two = startup + "2\n";
        const auto notUnderstood = [](int line, const QString &text) {
            return u"The settings file %1 is not understood at line "_s + QString::number(line)
                + u" ("_s + text
                + u"), so TALVEN neither uses nor changes it. Correct or remove that line."_s;
        };
        const auto unusable = [](const QString &kind) {
            return u"The settings file %1 is "_s + kind
                + u". TALVEN neither reads nor writes it; replace it with an ordinary file or remove it."_s;
        };
        const QString other = u"a device, a pipe or a socket"_s;
        QTest::newRow("first run") << StartUp{.index = 0, .path = u"none"_s};
        QTest::newRow("stored 2") << StartUp{.settings = startup + '2', .index = 1};
        QTest::newRow("stored device missing") << StartUp{
            "[Ports]\nCom3=/dev/no-such-tty\n" + startup + '3',
            u"Com3 (/dev/no-such-tty) is not there: plug the device in or switch it on, then "
            "choose the port again. This machine's serial ports: Com1 (ttyUSB0), Com2 (ttyUSB1)."_s,
            2};
        QTest::newRow("byte order mark, comments, spaces, quotes, CR LF") << StartUp{
            .settings = "\xEF\xBB\xBF; the site's\r\n#\r\n[Startup]\r\n Orvcomm = \"2\" \r\n",
            .index = 1};
        QTest::newRow("a key of no section, as Qt programs write it")
            << StartUp{.settings = "[General]\nStartup/Orvcomm=2\n", .index = 1};
        QTest::newRow("fraction") << StartUp{
            startup + "7.5",
            u"The stored serial port number \"7.5\" in %1 is not a whole "
            "number from -32768 to 32767."_s};
        QTest::newRow("99") << StartUp{startup + "99",
                                       u"The stored serial port number 99 names no "
                                       "port: choose one from Com1 to Com50."_s};
        QTest::newRow("0") << StartUp{startup + '0'};
        QTest::newRow("a backslash, no last line break") << StartUp{
            two + "LogDir=C:\\Logs\\", notUnderstood(3, u"LogDir=C:\\Logs\\"_s), -1, true};
        QTest::newRow("a note after the number")
            << StartUp{startup + "2 ; left\n", notUnderstood(2, u"Orvcomm=2 ; left"_s), -1, true};
        QTest::newRow("a quote inside a value")
            << StartUp{two + "Note=\"a\"b\"\n", notUnderstood(3, u"Note=\"a\"b\""_s), -1, true};
        QTest::newRow("a line break of old")
            << StartUp{two + "Note=a\rb\n", notUnderstood(3, u"Note=a\rb"_s), -1, true};
        QTest::newRow("a line of another form")
            << StartUp{two + "Orvcomm 3\n", notUnderstood(3, u"Orvcomm 3"_s), -1, true};
        QTest::newRow("a key given twice")
            << StartUp{two + "[Startup]\nOrvcomm=1\n", notUnderstood(4, u"Orvcomm=1"_s), -1, true};
        const QString noText
            = u"The settings file %1 is not text and cannot be read. Correct or remove it."_s;
        QTest::newRow("ends inside a UTF-8 character")
            << StartUp{two + "Note=caf\xC3", noText, -1, true};
        QTest::newRow("a NUL") << StartUp{two + QByteArray("Note=\0\n", 7), noText, -1, true};
        const auto refused = [](const QString &warning, const QString &path) {
            return StartUp{.warning = warning, .refused = true, .path = path};
        };
        QTest::newRow("pipe") << refused(unusable(other), u"pipe"_s);
        QTest::newRow("link to a device")
            << refused(unusable(u"a link to "_s + other + u" (%2)"_s), u"link to a device"_s);
        QTest::newRow("folder") << refused(unusable(u"a folder"_s), u"folder"_s);
        QTest::newRow("oversized") << refused(
            unusable(u"2.0 MiB large, far larger than a settings file"_s), u"oversized"_s);
        QTest::newRow("a file for the folder") << refused(
            u"The settings file %1 cannot be read. Check that it is a file you may read."_s,
            u"file for the folder"_s);
    }
    // Before the window shows: the stored port, or one box; then Com2 is chosen and
    // stored, unless the settings cannot be used: that box again, nothing changed.
    void startUp()
    {
        QFETCH(StartUp, row);
        const QString file = PortSetting::location();
        QVERIFY(row.make(m_usb[1]->name));
        const QList<qint64> before = stateOf(file);
        startWindow();
        const QString warning
            = QString(row.warning).replace(u"%1"_s, file).replace(u"%2"_s, m_usb[1]->name);
        QCOMPARE(QStringList(m_warnings).replaceInStrings(m_machine->path(u"dev/"_s), QString()),
                 warning.isEmpty() ? QStringList() : QStringList{warning});
        QCOMPARE(m_commSel->currentIndex(), row.index);
        QVERIFY(!row.warning.isEmpty() || row.index < 0 || stored() == row.index + 1); // and stored
        m_window->choosePortEntry(1);
        if (row.refused)
            QCOMPARE(std::tuple(m_warnings.size(), m_warnings.last(), stateOf(file)),
                     std::tuple(2, m_warnings.first(), before));
        else
            QCOMPARE(std::pair(stored(), m_warnings.size()),
                     std::pair(qint16(2), qsizetype(row.warning.isEmpty() ? 0 : 1)));
        if (row.path == u"none") { // today's date, or tomorrow's after midnight
            m_window->setClock(&QDate::currentDate);
            m_iniGps->click();
            const QByteArray sent = m_usb[1]->read(46);
            QCOMPARE(sent.size(), 46);
            const QDate day(quint8(sent[6]) * 256 + quint8(sent[7]), sent[4], sent[5]);
            QVERIFY(day == QDate::currentDate() || day == QDate::currentDate().addDays(1));
        }
    }

    void keysAndClicks_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key"); // 0: a click of the mouse
        QTest::addColumn<int>("chosen"); // the entry chosen afterwards
        QTest::newRow("mouse") << u"IniGPS"_s << 0 << 0;
        QTest::newRow("Return") << u"IniGPS"_s << int(Qt::Key_Return) << 0;
        QTest::newRow("Enter") << u"IniGPS"_s << int(Qt::Key_Enter) << 0;
        QTest::newRow("Down on the list") << u"CommSel"_s << int(Qt::Key_Down) << 1;
    }
    // A press sends A then B once, shows nothing and changes no pixel; a
    // choice moves the next presses to that port and stores it.
    void keysAndClicks()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, chosen);
        startWindow();
        auto *widget = m_window->findChild<QWidget *>(focus);
        widget->setFocus();
        const QImage before = m_window->grab().toImage();
        key == 0 ? QTest::mouseClick(widget, Qt::LeftButton)
                 : QTest::keyClick(widget, Qt::Key(key));
        const bool pressed = focus == u"IniGPS";
        QCOMPARE(m_usb[0]->read(pressed ? 46 : 0), pressed ? workedExampleAB : QByteArray());
        QVERIFY(chosen > 0 || m_window->grab().toImage() == before);
        QCOMPARE(std::pair(m_commSel->currentIndex(), stored()),
                 std::pair(chosen, qint16(chosen + 1)));
        m_iniGps->click();
        m_iniGps->click();
        QCOMPARE(m_usb[chosen]->read(92) + '|' + m_usb[1 - chosen]->read(),
                 workedExampleAB + workedExampleAB + '|');
        QCOMPARE(m_warnings, QStringList());
    }

    void failuresNamePortAndDevice_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QByteArray>("pins"); // %1: the device
        // %1: the device, %2 its lock file, %3 a process, %4 the settings, %5 the device's group
        QTest::addColumn<QString>("text");
        const QByteArray pin = "Com3=%1";
        const QString noPin
            = u"Section Ports of the settings file %4 holds \"%6\", which names no port: "
              "a pin reads Com3=/dev/ttyUSB0. Correct or remove it."_s;
        QTest::newRow("held by another link")
            << u"held"_s << pin
            << u"Com3 (%1) could not be opened: it is in use by another program."_s;
        QTest::newRow("the first number past the machine's ports")
            << QString() << QByteArray()
            << u"Com3 has no device on this machine. This machine's serial ports: Com1 (ttyUSB0), "
               "Com2 (ttyUSB1)."_s;
        QTest::newRow("no serial port on the machine")
            << u"no ports"_s << QByteArray()
            << u"Com3 has no device on this machine. This machine has no serial port now: plug in "
               "the USB serial adapter, then choose its port."_s;
        QTest::newRow("node with no UART")
            << u"no UART"_s << pin
            << u"Com3 (%1) could not be opened: no serial port hardware answers at this device. "
               "This machine's serial ports: Com1 (ttyUSB0), Com2 (ttyUSB1)."_s;
        QTest::newRow("plain file") << u"file"_s << pin << u"Com3 (%1) is not a serial device."_s;
        QTest::newRow("Com03 beside Com3") << u"refused pins"_s << "Com03=%1\nCom3=%1"_ba
                                           << QString(noPin).replace(u"%6"_s, u"Com03"_s);
        QTest::newRow("Com0") << u"refused pins"_s << "Com0=%1\nCom3=%1"_ba
                              << QString(noPin).replace(u"%6"_s, u"Com0"_s);
        if (::geteuid() != 0) // root opens any device; the run as "nobody" has this
            QTest::newRow("no permission")
                << u"denied"_s << pin
                << u"Com3 (%1) could not be opened: Permission denied. Your user needs to be "
                   "in the group \"%5\" that owns the device (sudo usermod -aG %5 $USER, then "
                   "log in again)."_s;
        if (asRoot("lock file of a root program killed")) // root may take over any lock file
            QTest::newRow("lock file of a root program killed")
                << u"stale lock"_s << pin
                << u"Com3 (%1) could not be opened: its lock file %2 was left behind by a program "
                   "that has ended (process %3) and belongs to root, so TALVEN may not take it "
                   "over. Remove it (sudo rm %2), then choose the port again."_s;
    }
    void failuresNamePortAndDevice()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, pins);
        QFETCH(QString, text);
        // The device end of a locked pseudo-terminal answers EIO, as such a node does.
        const PseudoTerminal noUart;
        int lock = 1;
        QVERIFY(::ioctl(noUart.controller, TIOCSPTLCK, &lock) == 0);
        QString device = fault == u"no UART" ? noUart.name : m_usb[1]->name;
        if (fault == u"file")
            QVERIFY(writeFile(device = m_machine->path(u"Com3"_s), "settings"));
        QVERIFY(fault != u"denied" || QFile::setPermissions(device, {}));
        if (fault == u"no ports")
            m_machine->unplug(u"ttyUSB0"_s), m_machine->unplug(u"ttyUSB1"_s);
        FakeMachine::writeSettings("[Ports]\n" + pins.replace("%1", device.toUtf8()) + '\n');
        const QString lockFile = u"/var/lock/LCK.."_s + device.mid(5).replace(u'/', u'_');
        pid_t ended = 0;
        const auto rootAgain = qScopeGuard([&] {
            if (ended != 0 && ::seteuid(0) == 0)
                QFile::remove(lockFile);
        });
        if (fault == u"stale lock") { // as QSerialPort leaves it, owned by root
            if ((ended = ::fork()) == 0)
                ::_exit(0);
            QVERIFY(::waitpid(ended, nullptr, 0) == ended);
            QVERIFY(writeFile(lockFile, QByteArray::number(ended) + "\ntalven\nhost\n"));
            QVERIFY(QFile::setPermissions(m_machine->path({}), QFile::Permissions(0x7755)));
            QVERIFY(::chown(QFile::encodeName(device).constData(), 65534, 65534) == 0);
            QVERIFY(::seteuid(65534) == 0);
        }
        SerialPortLink holder(m_machine->ports()), link(m_machine->ports());
        QVERIFY(fault != u"held" || (holder.setPortNumber(3) && holder.open()));
        const bool opened = link.setPortNumber(3) && link.open();
        QVERIFY(!opened && (ended == 0 || ::seteuid(0) == 0));
        text.replace(u"%1"_s, device)
            .replace(u"%2"_s, lockFile)
            .replace(u"%3"_s, QString::number(ended));
        text.replace(u"%4"_s, PortSetting::location()).replace(u"%5"_s, QFileInfo(device).group());
        QCOMPARE(said(link), text);
        QVERIFY(fault != u"file" || QFileInfo(device).size() == 8);
        // Pins that cannot be used are what the list tells of every entry.
        QCOMPARE(m_machine->ports().describe(2).value(1) == text, fault == u"refused pins");
    }

    void vanishedDeviceIsReleasedAndComesBack_data()
    {
        QTest::addColumn<Vanished>("row");
        const QString gone = u"the device is no longer there"_s,
                      again = u"Plug it back in and press again."_s;
        QTest::newRow("numbered, found gone by the press")
            << Vanished{.told = u"Sending to Com1 (ttyUSB0) failed: "_s + gone
                            + u" (unplugged, switched off or hung up). "_s + again};
        QTest::newRow("pinned, reported by the system") << Vanished{
            true, true, {}, u"Nothing was sent to Com1 (ttyUSB0): "_s + gone + u". "_s + again};
        QTest::newRow("back, but held by another program")
            << Vanished{false, true, u"held"_s,
                        u"Com1 (ttyUSB0) could not be opened: it is in use by another program."_s};
        QTest::newRow("another adapter in its place") << Vanished{
            false, true, u"another"_s,
            u"Nothing was sent to Com1 (ttyUSB0): another device is there now (CP2102 USB to "
            "UART, serial A1B2C3). Plug the one that was there back in, or choose the port "
            "again to use this one."_s};
    }
    // Let go at once, to get its name back; once back, the same device opens at
    // 9600 8N1 and takes A then B, and no other device ever gets them.
    void vanishedDeviceIsReleasedAndComesBack()
    {
        QFETCH(Vanished, row);
        PseudoTerminal second;
        if (row.pinned)
            FakeMachine::writeSettings("[Ports]\nCom1="
                                       + m_machine->path(u"dev/ttyUSB0"_s).toUtf8());
        SerialPortLink link(m_machine->ports()), holder(m_machine->ports());
        // The clock talks up to the hang-up, and the port takes what it sends.
        QVERIFY(link.open() && m_usb[0]->talk(256 << 10));
        m_usb[0]->hangUp();
        m_machine->unplug(u"ttyUSB0"_s);
        QVERIFY(!row.reportedFirst || QTest::qWaitFor([&] { return !link.isOpen(); }));
        const auto back = [&](const QByteArray &product) {
            m_machine->add(u"ttyUSB0"_s, second.name, {}, product);
        };
        if (!row.back.isEmpty())
            back(row.back == u"another" ? "CP2102 USB to UART" : "FT232R USB UART");
        QVERIFY(row.back != u"held" || holder.open());
        QVERIFY(!DateCommand::sendDateInitialisation(link, m_clock));
        QCOMPARE(said(link), row.told);
        QVERIFY(!link.isOpen()); // let go
        if (row.back != u"held") { // ttyUSB1, or the other adapter: neither gets anything
            QVERIFY(!DateCommand::sendDateInitialisation(link, m_clock));
            m_machine->unplug(u"ttyUSB0"_s);
            back("FT232R USB UART");
        }
        holder.close();
        QVERIFY2(DateCommand::sendDateInitialisation(link, m_clock), qPrintable(said(link)));
        termios line{};
        ::tcgetattr(second.device, &line);
        QCOMPARE(std::tuple(cfgetospeed(&line), line.c_cflag & (CSIZE | PARENB | CSTOPB),
                            second.read(46) + '|' + m_usb[1]->read()),
                 std::tuple(speed_t(B9600), tcflag_t(CS8), workedExampleAB + '|'));
    }

    // A line that takes nothing: what a press queued and the line never took
    // is told when the port is closed, not dropped unsaid.
    void stalledLine()
    {
        SerialPortLink link(m_machine->ports());
        QVERIFY(link.open() && link.write(QByteArray(1 << 20, 'x')) && !link.close());
        const QRegularExpression told(
            u"^\\d+ octets waiting for Com1 \\(ttyUSB0\\) were not sent before it was closed\\.$"_s);
        QVERIFY2(told.match(said(link)).hasMatch(), qPrintable(said(link)));
    }

    // A master clock that talks all day on the port the window holds: the
    // window takes all it sends, and presses in between send exactly A then B.
    void talkingMasterClock()
    {
        startWindow();
        for (const qint64 megabytes : {2, 4, 6}) {
            QVERIFY2(m_usb[0]->talk(megabytes << 20),
                     "the port stopped taking what the clock sent");
            m_iniGps->click();
            QCOMPARE(m_usb[0]->read(46), workedExampleAB);
        }
        QCOMPARE(m_warnings, QStringList());
    }

    // The machine's ports in their order, each entry telling its device when
    // the list opens, ports plugged in while the program runs too.
    void portList()
    {
        // Com12 pinned to a /dev/serial/by-id link to ttyUSB0, which tells its details.
        const QString byId = m_machine->path(u"serial-by-id-usb-FTDI"_s);
        QVERIFY(QFile::link(m_machine->path(u"dev/ttyUSB0"_s), byId));
        FakeMachine::writeSettings("[Ports]\nCom11=/dev/no-such-tty\nCom12=" + byId.toUtf8()
                                   + '\n');
        startWindow(false);
        for (const QString &port :
             u"ttyS2:4 ttyS1:0 ttyS0:4 ttyACM0 ttyUSB10 ttyUSB2 ttyXRUSB0 ttyAMA1:3 ttyAMA0:3"_s
                 .split(u' '))
            m_machine->add(port.section(u':', 0, 0), m_usb[1]->name,
                           port.section(u':', 1).toLatin1());
        m_commSel->showPopup();
        m_commSel->hidePopup();
        QStringList told;
        for (int index = 0; index < 13; ++index)
            told << m_commSel->itemData(index, Qt::ToolTipRole)
                        .toString()
                        .remove(m_machine->path(u"dev/"_s))
                        .remove(m_machine->path({}));
        const QString uart = u": built-in serial port"_s;
        QCOMPARE(
            told,
            (QStringList{
                u"ttyS0"_s + uart, u"ttyS2"_s + uart, u"ttyUSB0: FT232R USB UART, serial A1B2C3"_s,
                u"ttyUSB1"_s, u"ttyUSB2"_s, u"ttyUSB10"_s, u"ttyACM0"_s, u"ttyAMA0"_s + uart,
                u"ttyAMA1"_s + uart, u"ttyXRUSB0"_s, u"/dev/no-such-tty: not there now"_s,
                u"/serial-by-id-usb-FTDI: FT232R USB UART, serial A1B2C3"_s, u"no device"_s}));
        m_window->choosePortEntry(10); // not there: nothing is stored
        QCOMPARE(std::pair(m_warnings.size(), stored()), std::pair(qsizetype(1), qint16(1)));
    }
};

QTEST_MAIN(TestTalven)
#include "tst_talven.moc"
