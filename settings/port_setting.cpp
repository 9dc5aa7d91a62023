#include "port_setting.h"

#include <QCoreApplication>
#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QStringDecoder>
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

// QSettings reads almost any file as settings, and a later write would
// replace it with the little it made of it. A settings file is UTF-8 text
// whose lines are blank, comments, [sections] or key=value pairs; a line
// ending in a backslash continues on the next.
bool isDamaged(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(file.readAll());
    if (utf8.hasError() || text.contains(QChar::Null))
        return true;
    bool continued = false;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        const QStringView trimmed = line.trimmed();
        const bool wellFormed = continued || trimmed.isEmpty() || trimmed.startsWith(u';')
            || trimmed.startsWith(u'#') || trimmed.contains(u'=')
            || (trimmed.startsWith(u'[') && trimmed.endsWith(u']'));
        if (!wellFormed)
            return true;
        continued = trimmed.endsWith(u'\\');
    }
    return false;
}

// QSettings locks the file while it writes. A save killed right after
// making the lock file leaves it empty, and QSettings would then wait 30
// seconds before taking it for stale; a real save holds it for milliseconds.
void removeAbandonedLock(const QString &fileName)
{
    QLockFile lock(fileName + QStringLiteral(".lock"));
    lock.setStaleLockTime(std::chrono::milliseconds(500));
    if (lock.tryLock(std::chrono::seconds(1)))
        lock.unlock();
}

// Why the store cannot be used, if it cannot.
std::optional<QString> storeProblem(const QSettings &store)
{
    if (store.status() == QSettings::FormatError || isDamaged(store.fileName()))
        return QCoreApplication::translate("PortSetting",
                                           "The settings file %1 is damaged and cannot be read. "
                                           "Correct or remove it.")
            .arg(store.fileName());
    if (store.status() == QSettings::AccessError)
        return QCoreApplication::translate("PortSetting",
                                           "The settings file %1 cannot be read or written. "
                                           "Check that it is a file you may read and write.")
            .arg(store.fileName());
    return std::nullopt;
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
    if (const std::optional<QString> problem = storeProblem(*store)) {
        m_errorString = *problem;
        return std::nullopt;
    }
    const QVariant value = store->value(portNumberKey);
    if (!value.isValid())
        return 1;
    const QString text = storedText(value);
    const std::optional<qint16> number = parsePortNumber(text);
    if (!number) {
        m_errorString
            = QCoreApplication::translate("PortSetting",
                                          "The stored serial port number \"%1\" in %2 is not "
                                          "a whole number from -32768 to 32767.")
                  .arg(text, store->fileName());
    }
    return number;
}

bool PortSetting::save(qint16 portNumber)
{
    const auto store = openStore();
    const QString text = QString::number(portNumber);
    std::optional<QString> problem = storeProblem(*store);
    // The number already stored, as at every start, is not written again.
    if (!problem && store->value(portNumberKey) != QVariant(text)) {
        removeAbandonedLock(store->fileName());
        store->setValue(portNumberKey, text);
        store->sync();
        problem = storeProblem(*store);
    }
    if (problem) {
        m_errorString
            = QCoreApplication::translate("PortSetting", "The serial port number was not saved. %1")
                  .arg(*problem);
        return false;
    }
    return true;
}

std::optional<QString> PortSetting::mappedDevice(int portNumber) const
{
    const auto store = openStore();
    const QString device
        = store->value(QStringLiteral("Ports/Com%1").arg(portNumber)).toString().trimmed();
    if (device.isEmpty())
        return std::nullopt;
    return device;
}
