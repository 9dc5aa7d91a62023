#include "port_setting.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>
#include <QVariant>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QString portNumberKey = QStringLiteral("Startup/Orvcomm");
const QString portsSection = QStringLiteral("Ports");
// Far above any settings file TALVEN or a person writes.
constexpr qint64 largestSettingsFile = qint64(1) << 20;

QString tr(const char *text)
{
    return QCoreApplication::translate("PortSetting", text);
}

// What a path that is not an ordinary file is, in the operator's words.
QString specialFileKind(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
        if (S_ISFIFO(status.st_mode))
            return tr("a named pipe");
        if (S_ISSOCK(status.st_mode))
            return tr("a socket");
        if (S_ISCHR(status.st_mode))
            return tr("a character device");
        if (S_ISBLK(status.st_mode))
            return tr("a block device");
    }
#endif
    return tr("not an ordinary file");
}

// QSettings reads its file whole and blocks on whatever the path holds, so
// nothing but an ordinary file of a settings file's size is handed to it.
std::optional<QString> unusablePath(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() <= largestSettingsFile))
        return std::nullopt;
    QString kind;
    if (info.isDir())
        kind = tr("a folder");
    else if (info.isFile())
        kind = tr("%1 MiB large, far larger than a settings file")
                   .arg(QString::number(double(info.size()) / largestSettingsFile, 'f', 1));
    else
        kind = specialFileKind(path);
    if (info.isSymLink())
        kind = tr("a link to %1 (%2)").arg(kind, info.symLinkTarget());
    return tr("The settings file %1 is %2. TALVEN neither reads nor writes it; replace it with "
              "an ordinary file or remove it.")
        .arg(path, kind);
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
        return tr("The settings file %1 is damaged and cannot be read. Correct or remove it.")
            .arg(store.fileName());
    if (store.status() == QSettings::AccessError)
        return tr("The settings file %1 cannot be read or written. Check that it is a file you "
                  "may read and write.")
            .arg(store.fileName());
    return std::nullopt;
}

// The settings file, opened only when it is safe to read, or why it is not.
struct Store
{
    std::unique_ptr<QSettings> settings;
    QString problem;
};

Store openStore()
{
    const QString path = PortSetting::filePath();
    if (std::optional<QString> problem = unusablePath(path))
        return {nullptr, *problem};
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (std::optional<QString> problem = storeProblem(*settings))
        return {nullptr, *problem};
    return {std::move(settings), {}};
}

// A hand-edited value holding a comma comes back from the store as a list.
QString storedText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

} // namespace

QString PortSetting::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/TALVEN/TALVEN.conf");
}

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
    const Store store = openStore();
    if (!store.settings) {
        m_errorString = store.problem;
        return std::nullopt;
    }
    const QVariant value = store.settings->value(portNumberKey);
    if (!value.isValid())
        return 1;
    const QString text = storedText(value);
    const std::optional<qint16> number = parsePortNumber(text);
    if (!number) {
        m_errorString = tr("The stored serial port number \"%1\" in %2 is not a whole number "
                           "from -32768 to 32767.")
                            .arg(text, filePath());
    }
    return number;
}

bool PortSetting::save(qint16 portNumber)
{
    const Store store = openStore();
    const QString text = QString::number(portNumber);
    std::optional<QString> problem;
    if (!store.settings)
        problem = store.problem;
    // The number already stored, as at every start, is not written again.
    else if (const QVariant stored = store.settings->value(portNumberKey);
             stored != QVariant(text)) {
        removeAbandonedLock(store.settings->fileName());
        store.settings->setValue(portNumberKey, text);
        store.settings->sync();
        problem = storeProblem(*store.settings);
        // QSettings keeps a change it could not write for every later reader
        // in this process, so a number not saved would pass for saved.
        if (problem && stored.isValid())
            store.settings->setValue(portNumberKey, stored);
        else if (problem)
            store.settings->remove(portNumberKey);
    }
    if (problem) {
        m_errorString = tr("The serial port number was not saved. %1").arg(*problem);
        return false;
    }
    return true;
}

QHash<qint16, QString> PortSetting::pinnedDevices() const
{
    QHash<qint16, QString> pinned;
    const Store store = openStore();
    if (!store.settings)
        return pinned;
    store.settings->beginGroup(portsSection);
    for (const QString &key : store.settings->childKeys()) {
        const std::optional<qint16> number
            = key.startsWith(QLatin1String("Com")) ? parsePortNumber(key.mid(3)) : std::nullopt;
        const QString device = store.settings->value(key).toString().trimmed();
        if (number && !device.isEmpty())
            pinned.insert(*number, device);
    }
    return pinned;
}
