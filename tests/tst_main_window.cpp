#include "date_command.h"
#include "fake_serial_link.h"
#include "main_window.h"
#include "pseudo_terminal.h"
#include "settings_folder.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QDate workedExampleClock()
{
    return {2023, 11, 30};
}

QByteArray transmissionsFor(const QDate &date)
{
    const QByteArray frame = DateCommand::composeFrame(date);
    return DateCommand::transmissionA(frame) + DateCommand::transmissionB(frame);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void window();
    void controls_data();
    void controls();
    void portList_data();
    void portList();
    void textFitsEveryControl();
    void tabOrderAndFirstFocus();
    void accessibleNames();
    void startUp_data();
    void startUp();
    void operatorChoosesPorts();
    void pressSendsTodaysDateAndChangesNothing();
    void pressWithoutOpenPortWarnsOnceAndGoesOn();
    void queuedOctetsSurviveMovingOrClosing_data();
    void queuedOctetsSurviveMovingOrClosing();
    void warningBoxIsModalWithExclamationAndOk();

private:
    // A window on the real serial link, whose Com1 and Com2 are pseudo-terminals.
    std::unique_ptr<MainWindow> realWindow();
    template<typename T>
    T *control(MainWindow &window, const char *name)
    {
        return window.findChild<T *>(QString::fromLatin1(name));
    }

    std::unique_ptr<SettingsFolder> m_folder;
    std::unique_ptr<PseudoTerminal> m_com1;
    std::unique_ptr<PseudoTerminal> m_com2;
    QStringList m_warnings;
    QList<bool> m_visibleAtWarning;
};

void TestMainWindow::initTestCase()
{
    QApplication::setApplicationName(u"TALVEN"_s);
}

void TestMainWindow::init()
{
    m_folder = std::make_unique<SettingsFolder>();
    m_com1 = std::make_unique<PseudoTerminal>();
    m_com2 = std::make_unique<PseudoTerminal>();
    m_warnings.clear();
    m_visibleAtWarning.clear();
}

std::unique_ptr<MainWindow> TestMainWindow::realWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->setShowWarning([this, w = window.get()](const QString &text) {
        m_warnings << text;
        m_visibleAtWarning << w->isVisible();
    });
    return window;
}

void TestMainWindow::window()
{
    MainWindow window(std::make_unique<FakeSerialLink>());

    QCOMPARE(window.windowTitle(), u"GPS Date Initialization"_s);
    QCOMPARE(window.minimumSize(), QSize(225, 187));
    QCOMPARE(window.maximumSize(), QSize(225, 187));
    QCOMPARE(window.palette().color(QPalette::Window), QColor(192, 192, 192));
    QVERIFY(!window.windowIcon().isNull());
    QStringList creationOrder;
    for (const QObject *child : window.children())
        creationOrder << child->objectName();
    QCOMPARE(creationOrder, (QStringList{u"CommSel"_s, u"IniGPS"_s, u"Label2"_s, u"Image1"_s}));

    QVERIFY(!control<QComboBox>(window, "CommSel")->isEditable());
    auto *iniGps = control<QPushButton>(window, "IniGPS");
    QCOMPARE(iniGps->text(), u"INIT GNSS DATE"_s);
    QCOMPARE(iniGps->palette().color(QPalette::Button), QColor(0, 255, 0));
    QCOMPARE(iniGps->x(), window.width() - iniGps->x() - iniGps->width());
    QCOMPARE(control<QLabel>(window, "Label2")->text(), u"Serial Port:"_s);
    QCOMPARE(control<QLabel>(window, "Image1")->pixmap().size(), QSize(80, 60));
    QCOMPARE(control<QLabel>(window, "Image1")->frameShape(), QFrame::NoFrame);
}

void TestMainWindow::controls_data()
{
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("CommSel") << QRect(104, 88, 65, 21)
                             << u"Sets the Serial Port for communicating with the Master Clock"_s;
    QTest::newRow("IniGPS") << QRect(56, 128, 113, 25) << u"Initialize GNSS Receiver Date"_s;
    QTest::newRow("Label2") << QRect(24, 88, 73, 17) << QString();
    QTest::newRow("Image1") << QRect(16, 8, 80, 60) << QString();
}

void TestMainWindow::controls()
{
    QFETCH(QRect, geometry);
    QFETCH(QString, toolTip);

    MainWindow window(std::make_unique<FakeSerialLink>());
    const QWidget *widget = control<QWidget>(window, QTest::currentDataTag());
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(widget->font().pointSizeF(), 8.25);
    QCOMPARE(widget->font().weight(), QFont::Bold);
    QCOMPARE(widget->palette().color(QPalette::Window), QColor(192, 192, 192));
}

void TestMainWindow::portList_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    QTest::newRow("first") << 0 << "Com1";
    QTest::newRow("Com10 follows Com9") << 9 << "Com10";
    QTest::newRow("Com17") << 16 << "Com17";
    QTest::newRow("last") << 49 << "Com50";
}

void TestMainWindow::portList()
{
    QFETCH(int, index);
    QFETCH(QString, text);

    MainWindow window(std::make_unique<FakeSerialLink>());
    auto *commSel = control<QComboBox>(window, "CommSel");
    QCOMPARE(commSel->count(), 50);
    QCOMPARE(commSel->currentIndex(), -1);
    QCOMPARE(commSel->itemText(index), text);
    QCOMPARE(commSel->itemData(index), QVariant(index + 1));
}

void TestMainWindow::textFitsEveryControl()
{
    MainWindow window(std::make_unique<FakeSerialLink>());
    auto *commSel = control<QComboBox>(window, "CommSel");
    commSel->setCurrentIndex(49);

    const QFontInfo used(window.font());
    QVERIFY2(used.bold() && qAbs(used.pointSizeF() - 8.25) < 0.5, qPrintable(used.family()));
    QStyleOptionComboBox option;
    option.initFrom(commSel);
    const QRect field = commSel->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, commSel);
    QVERIFY(commSel->fontMetrics().horizontalAdvance(u"Com50"_s) <= field.width());
    for (const char *name : {"IniGPS", "Label2"}) {
        auto *widget = control<QWidget>(window, name);
        QVERIFY2(widget->sizeHint().width() <= widget->width(), name);
        QVERIFY2(widget->fontMetrics().height() <= widget->height(), name);
    }
}

void TestMainWindow::tabOrderAndFirstFocus()
{
    MainWindow window(std::make_unique<FakeSerialLink>());
    auto *iniGps = control<QPushButton>(window, "IniGPS");
    auto *commSel = control<QComboBox>(window, "CommSel");
    QCOMPARE(control<QLabel>(window, "Label2")->focusPolicy(), Qt::NoFocus);

    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), iniGps);
    QTest::keyClick(&window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), commSel);
    QTest::keyClick(&window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), iniGps);
}

void TestMainWindow::accessibleNames()
{
    MainWindow window(std::make_unique<FakeSerialLink>());
    QCOMPARE(control<QLabel>(window, "Label2")->buddy(), control<QComboBox>(window, "CommSel"));
    for (const auto &[name, accessibleName] :
         {std::pair{"CommSel", u"Serial Port"_s}, std::pair{"IniGPS", u"INIT GNSS DATE"_s},
          std::pair{"Image1", u"TALVEN emblem"_s}}) {
        QAccessibleInterface *accessible
            = QAccessible::queryAccessibleInterface(control<QWidget>(window, name));
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), accessibleName);
    }
}

// Com1 and Com2 are pseudo-terminals, Com3 is a device that does not exist.
void TestMainWindow::startUp_data()
{
    QTest::addColumn<QByteArray>("startup");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("warningNames");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("storedAfter");

    QTest::newRow("first run opens Com1")
        << QByteArray() << 0 << "" << 0 << QByteArray("Orvcomm=1");
    QTest::newRow("stored 2") << QByteArray("Orvcomm=2") << 0 << "" << 1 << QByteArray("Orvcomm=2");
    QTest::newRow("stored device missing")
        << QByteArray("Orvcomm=3") << 1 << "Com3" << 2 << QByteArray("Orvcomm=3");
    QTest::newRow("word") << QByteArray("Orvcomm=abc") << 1 << "abc" << -1
                          << QByteArray("Orvcomm=abc");
    QTest::newRow("99 names no entry")
        << QByteArray("Orvcomm=99") << 1 << "99" << -1 << QByteArray("Orvcomm=99");
    QTest::newRow("0 chooses nothing")
        << QByteArray("Orvcomm=0") << 0 << "" << -1 << QByteArray("Orvcomm=0");
    QTest::newRow("-5 names no entry")
        << QByteArray("Orvcomm=-5") << 1 << "-5" << -1 << QByteArray("Orvcomm=-5");
    QTest::newRow("32768 too big")
        << QByteArray("Orvcomm=32768") << 1 << "32768" << -1 << QByteArray("Orvcomm=32768");
    QTest::newRow("empty text") << QByteArray("Orvcomm=") << 1 << "\"\"" << -1
                                << QByteArray("Orvcomm=\n");
    QTest::newRow("not a settings file")
        << QByteArray("\xff\x01\x02garbage") << 1 << "damaged" << -1 << QByteArray("garbage");
}

void TestMainWindow::startUp()
{
    QFETCH(QByteArray, startup);
    QFETCH(int, warnings);
    QFETCH(QString, warningNames);
    QFETCH(int, index);
    QFETCH(QByteArray, storedAfter);

    const QByteArray ports = SettingsFolder::portsSection(
        {m_com1->deviceName(), m_com2->deviceName(), u"/dev/no-such-tty"_s});
    const QByteArray section
        = startup.startsWith("Orvcomm") ? "\n[Startup]\n" + startup + "\n" : startup;
    m_folder->write(ports + section);
    const QByteArray before = m_folder->contents();

    auto window = realWindow();
    window->load();

    QCOMPARE(m_warnings.size(), warnings);
    if (warnings)
        QVERIFY2(m_warnings.first().contains(warningNames), qPrintable(m_warnings.first()));
    QVERIFY(!m_visibleAtWarning.contains(true));
    QCOMPARE(control<QComboBox>(*window, "CommSel")->currentIndex(), index);
    QVERIFY2(m_folder->contents().contains(storedAfter), m_folder->contents().constData());
    if (warnings)
        QCOMPARE(m_folder->contents(), before);
}

// The keyboard is the operator's choice; choosing the entry already chosen
// selects again, closing and reopening its port.
void TestMainWindow::operatorChoosesPorts()
{
    auto link = std::make_unique<FakeSerialLink>();
    FakeSerialLink *fake = link.get();
    MainWindow window(std::move(link));
    window.setShowWarning([this](const QString &text) { m_warnings << text; });
    window.load();

    QTest::keyClick(control<QComboBox>(window, "CommSel"), Qt::Key_Down);
    QCOMPARE(window.commNum(), 2);
    QCOMPARE(PortSetting().read(), std::optional<qint16>(2));

    window.choosePortEntry(1);
    QCOMPARE(fake->calls.count(u"open Com2"_s), 2);
    QCOMPARE(fake->calls.count(u"close"_s), 2);
    QCOMPARE(m_warnings, QStringList());
}

void TestMainWindow::pressSendsTodaysDateAndChangesNothing()
{
    m_folder->write(SettingsFolder::portsSection({m_com1->deviceName()}));
    auto window = realWindow();
    window->load();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QImage before = window->grab().toImage();
    const QDate today = QDate::currentDate();

    QTest::mouseClick(control<QPushButton>(*window, "IniGPS"), Qt::LeftButton);

    const QByteArray received = m_com1->read(46);
    QVERIFY(received == transmissionsFor(today) || received == transmissionsFor(today.addDays(1)));
    QCOMPARE(m_com1->readRest(), QByteArray());
    QCOMPARE(m_warnings, QStringList());
    QCOMPARE(window->grab().toImage(), before);
}

void TestMainWindow::pressWithoutOpenPortWarnsOnceAndGoesOn()
{
    m_folder->write("[Ports]\nCom1=/dev/no-such-tty\n[Startup]\nOrvcomm=1\n");
    auto window = realWindow();
    window->load();
    m_warnings.clear();
    auto *iniGps = control<QPushButton>(*window, "IniGPS");

    QTest::mouseClick(iniGps, Qt::LeftButton);
    QCOMPARE(m_warnings.size(), 1);
    QVERIFY2(m_warnings.first().contains(u"not open"_s), qPrintable(m_warnings.first()));

    QTest::mouseClick(iniGps, Qt::LeftButton);
    QCOMPARE(m_warnings.size(), 2);
}

void TestMainWindow::queuedOctetsSurviveMovingOrClosing_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::newRow("another port chosen at once") << false;
    QTest::newRow("window closed at once") << true;
}

void TestMainWindow::queuedOctetsSurviveMovingOrClosing()
{
    QFETCH(bool, closeWindow);

    m_folder->write(SettingsFolder::portsSection({m_com1->deviceName(), m_com2->deviceName()}));
    auto window = realWindow();
    window->setClock(&workedExampleClock);
    window->load();

    QTest::mouseClick(control<QPushButton>(*window, "IniGPS"), Qt::LeftButton);
    if (closeWindow)
        window.reset();
    else
        window->choosePortEntry(1);

    QCOMPARE(m_com1->read(46), transmissionsFor(workedExampleClock()));
    QCOMPARE(m_warnings, QStringList());
}

void TestMainWindow::warningBoxIsModalWithExclamationAndOk()
{
    auto link = std::make_unique<FakeSerialLink>();
    link->failing << FakeSerialLink::Write;
    MainWindow window(std::move(link));
    window.show();

    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton *> buttons;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons();
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        box->accept();
    });
    QTest::mouseClick(control<QPushButton>(window, "IniGPS"), Qt::LeftButton);

    QCOMPARE(title, u"TALVEN"_s);
    QCOMPARE(text, u"write failed"_s);
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons.size(), 1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
