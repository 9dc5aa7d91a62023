// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "main_window.h"

#include "green_button.h"

#include <QApplication>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStylePainter>

namespace {

constexpr int portCount = 50;

// The port list tells again which device each entry stands for whenever it
// opens, so that an adapter plugged in meanwhile shows up. Its entry is drawn
// by `texts`, which the list does not take as its own style: a list whose
// style changes builds its popup at once, before the window shows.
class PortList final : public QComboBox
{
public:
    PortList(PortDirectory ports, const QStyle *texts, QWidget *parent)
        : QComboBox(parent)
        , m_ports(std::move(ports))
        , m_texts(texts)
    {
    }

    void showPopup() override
    {
        const QStringList descriptions = m_ports.describe(count());
        for (int index = 0; index < count(); ++index)
            setItemData(index, descriptions.at(index), Qt::ToolTipRole);
        QComboBox::showPopup();
    }

protected:
    // As QComboBox paints itself (no placeholder text here), the entry drawn by `texts`.
    void paintEvent(QPaintEvent * /*event*/) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        m_texts->drawControl(QStyle::CE_ComboBoxLabel, &option, &painter, this);
    }

private:
    PortDirectory m_ports;
    const QStyle *m_texts;
};

// One of the program's pictures, read as the PNG it is: no image plugin is
// loaded to be asked whether it knows the format.
QPixmap picture(const QString &name)
{
    QImageReader reader(QStringLiteral(":/pictures/") + name, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// Draws a text that would not fit in the room its control gives it a pixel
// smaller at a time, down to 9 pixels, rather than cut it: the layout was made
// for the window's font, and a machine may give a wider one. The texts are
// measured when drawn, so the fonts are not read before the window maps. Qt's
// own styles draw every text of these controls through drawItemText.
class FittingStyle final : public QProxyStyle
{
public:
    FittingStyle()
        : QProxyStyle(QApplication::style()->name())
    {
    }

    void drawItemText(QPainter *painter, const QRect &room, int flags, const QPalette &palette,
                      bool enabled, const QString &text, QPalette::ColorRole role) const override
    {
        // Counted down here: a font of fixed sizes may give back a larger one.
        QFont font = painter->font();
        for (int size = QFontInfo(font).pixelSize(); size > 9
             && QFontMetrics(font, painter->device()).horizontalAdvance(text) > room.width();)
            font.setPixelSize(--size);
        painter->save();
        painter->setFont(font);
        QProxyStyle::drawItemText(painter, room, flags, palette, enabled, text, role);
        painter->restore();
    }
};

QFont windowFont()
{
    // The first family present wins; all have the proportions the controls
    // were laid out for.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

} // namespace

MainWindow::MainWindow(std::unique_ptr<SerialLink> link, const PortDirectory &ports,
                       QWidget *parent)
    : QWidget(parent)
    , m_msComm1(link ? std::move(link) : std::make_unique<SerialPortLink>(ports))
    , m_portSelection(*m_msComm1, m_portSetting,
                      [this](const QString &description) { m_showWarning(description); })
    , m_showWarning([this](const QString &description) {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), description,
                        QMessageBox::Ok, this);
        box.exec();
    })
{
    setObjectName(QStringLiteral("TALVEN"));
    setWindowTitle(QStringLiteral("GPS Date Initialization"));
    QIcon icon;
    for (const int size : {16, 32, 64})
        icon.addPixmap(picture(QStringLiteral("talven-%1.png").arg(size)));
    setWindowIcon(icon);
    // Positions and sizes are in twips, 1/1440 inch: 15 to a pixel at 96 dots
    // per inch, more where the density is left unscaled.
    const auto pixels
        = [perTwip = logicalDpiY() / 1440.0](int twips) { return qRound(twips * perTwip); };
    setFixedSize(pixels(3375), pixels(2805));
    setFont(windowFont());
    m_fittingStyle = std::make_unique<FittingStyle>();
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(windowPalette);
    setAutoFillBackground(true);

    m_commSel = new PortList(ports, m_fittingStyle.get(), this);
    m_commSel->setObjectName(QStringLiteral("CommSel"));
    m_commSel->setGeometry(pixels(1560), pixels(1320), pixels(975), pixels(315));
    m_commSel->setToolTip(
        QStringLiteral("Sets the Serial Port for communicating with the Master Clock"));
    for (int portNumber = 1; portNumber <= portCount; ++portNumber)
        m_commSel->addItem(QStringLiteral("Com%1").arg(portNumber), portNumber);
    m_commSel->setCurrentIndex(-1);

    m_iniGps = new GreenButton(QStringLiteral("INIT GNSS DATE"), QColor(0, 255, 0), this);
    m_iniGps->setObjectName(QStringLiteral("IniGPS"));
    m_iniGps->setGeometry(pixels(840), pixels(1920), pixels(1695), pixels(375));
    m_iniGps->setStyle(m_fittingStyle.get());
    m_iniGps->setToolTip(QStringLiteral("Initialize GNSS Receiver Date"));

    auto *label2 = new QLabel(QStringLiteral("Serial Port:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(pixels(360), pixels(1320), pixels(1095), pixels(255));
    label2->setStyle(m_fittingStyle.get());

    auto *image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(pixels(240), pixels(120), 80, 60); // the picture at its own size
    const bool scaledUp = devicePixelRatioF() > 1;
    QPixmap emblem
        = picture(scaledUp ? QStringLiteral("emblem@2x.png") : QStringLiteral("emblem.png"));
    emblem.setDevicePixelRatio(scaledUp ? 2 : 1);
    image1->setPixmap(emblem);
    image1->setAccessibleName(tr("TALVEN emblem"));

    label2->setBuddy(m_commSel);
    m_commSel->setAccessibleName(tr("Serial Port"));

    setTabOrder(m_iniGps, m_commSel);
    m_iniGps->setFocus();

    // activated() is the operator's choice, also of the entry already chosen.
    connect(m_commSel, &QComboBox::activated, this, &MainWindow::selectPort);
    connect(m_iniGps, &QPushButton::clicked, this, [this] {
        if (!DateCommand::sendDateInitialisation(*m_msComm1, m_clock))
            m_showWarning(m_msComm1->errorString());
    });
}

void MainWindow::load()
{
    if (qint16 stored = 0; m_portSetting.read(stored))
        m_portSelection.setCommNum(stored);
    else
        m_showWarning(m_portSetting.errorString());

    const int index = m_portSelection.commNum() - 1;
    if (index >= -1 && index < portCount)
        choosePortEntry(index);
    else
        m_showWarning(
            tr("The stored serial port number %1 names no port: choose one from Com1 to Com%2.")
                .arg(m_portSelection.commNum())
                .arg(portCount));

    if (!m_msComm1->discardInput())
        m_showWarning(m_msComm1->errorString());
}

void MainWindow::choosePortEntry(int index)
{
    m_commSel->setCurrentIndex(index);
    if (index >= 0)
        selectPort();
}

void MainWindow::selectPort()
{
    m_portSelection.run(m_commSel->currentData());
}
