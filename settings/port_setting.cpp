#include "port_setting.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace {

const QString portNumberKey = QStringLiteral("Startup/Orvcomm");

std::unique_ptr<QSettings> openStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("TALVEN"), QStringLiteral("TALVEN"));
}

QString unusableStore(const QSettings &store)
{
    if (store.status() == QSettings::FormatError)
        return QCoreApplication::translate(
                   "PortSetting", "The settings file %1 is damaged and cannot be read. "
                                  "Correct or remove it.")
            .arg(store.fileName());
    return QCoreApplication::translate(
               "PortSetting", "The settings file %1 cannot be read or written. "
                              "Check that it is a file you may read and write.")
        .arg(store.fileName());
}

// A hand-edited value holding a comma comes back from the store as a list.
QString storedText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

} // namespace

std::optional<qint16> PortSetting::parsePortNumber(const QString &text)
{
    bool ok = false;
    const short number = text.trimmed().toShort(&ok, 10);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<qint16> PortSetting::read()
{
    const auto store = openStore();
    if (store->status() != QSettings::NoError) {
        m_errorString = unusableStore(*store);
        return std::nullopt;
    }
    const QVariant value = store->value(portNumberKey);
    if (!value.isValid())
        return 1;
    const QString text = storedText(value);
    const std::optional<qint16> number = parsePortNumber(text);
    if (!number) {
        m_errorString = QCoreApplication::translate(
                            "PortSetting", "The stored serial port number \"%1\" in %2 is not "
                                           "a whole number from -32768 to 32767.")
                            .arg(text, store->fileName());
    }
    return number;
}

bool PortSetting::save(qint16 portNumber)
{
    const auto store = openStore();
    // Writing into a store that could not be read would replace whatever the
    // user keeps there with the little that could be parsed.
    if (store->status() == QSettings::NoError) {
        store->setValue(portNumberKey, QString::number(portNumber));
        store->sync();
    }
    if (store->status() != QSettings::NoError) {
        m_errorString = QCoreApplication::translate(
                            "PortSetting", "The serial port number was not saved. %1")
                            .arg(unusableStore(*store));
        return false;
    }
    return true;
}

std::optional<QString> PortSetting::mappedDevice(int portNumber) const
{
    const auto store = openStore();
    const QString device =
        store->value(QStringLiteral("Ports/Com%1").arg(portNumber)).toString().trimmed();
    if (device.isEmpty())
        return std::nullopt;
    return device;
}
