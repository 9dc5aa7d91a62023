#include "settings_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <sys/stat.h>

namespace {

// Far above any settings file TALVEN or a person writes.
constexpr qint64 largestSettingsFile = qint64(1) << 20;

QString tr(const char *text)
{
    return QCoreApplication::translate("PortSetting", text);
}

// What a path that is not an ordinary file is, in the operator's words.
QString specialFileKind(const QString &path)
{
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

} // namespace

namespace SettingsStore {

// $XDG_CONFIG_HOME/TALVEN/TALVEN.conf, by default under ~/.config.
QString location()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/TALVEN/TALVEN.conf");
}

std::optional<QString> problem(const QSettings &store)
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

Store open()
{
    const QString path = location();
    if (std::optional<QString> unusable = unusablePath(path))
        return {nullptr, *unusable};
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (std::optional<QString> damaged = problem(*settings))
        return {nullptr, *damaged};
    return {std::move(settings), {}};
}

void prepareWrite(const QSettings &store)
{
    removeAbandonedLock(store.fileName());
}

// A settings file holds nothing but text.
std::optional<QString> nonTextValue(const QString & /*key*/)
{
    return std::nullopt;
}

} // namespace SettingsStore
