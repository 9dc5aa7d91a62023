#include "settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>

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

QString cannotReadOrWrite(const QString &fileName)
{
    return tr("The settings file %1 cannot be read or written. Check that it is a file you may "
              "read and write.")
        .arg(fileName);
}

bool writeWhole(const QString &fileName, const QByteArray &contents)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        && file.write(contents) == contents.size();
}

// A write that stops part-way (a full disk, a quota, a file size limit)
// returns a short count and no error, which QSettings takes for a whole
// write. So what it makes of the settings with `key` set to `text` is
// composed in the temporary folder first, then read back from a copy it has
// not cached; nothing when either was cut short.
std::optional<QByteArray> composeSettingsFile(const QByteArray &earlier, const QString &key,
                                              const QString &text)
{
    const QTemporaryDir folder;
    const QString draft = folder.filePath(QStringLiteral("draft.conf"));
    const QString copy = folder.filePath(QStringLiteral("copy.conf"));
    if (!folder.isValid() || !writeWhole(draft, earlier))
        return std::nullopt;
    QSettings meant(draft, QSettings::IniFormat);
    meant.setValue(key, text);
    meant.sync();
    QFile composed(draft);
    if (meant.status() != QSettings::NoError || !composed.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray contents = composed.readAll();
    if (!writeWhole(copy, contents))
        return std::nullopt;
    const QSettings readBack(copy, QSettings::IniFormat);
    const QStringList keys = meant.allKeys();
    if (readBack.allKeys() != keys)
        return std::nullopt;
    for (const QString &each : keys) {
        if (readBack.value(each) != meant.value(each))
            return std::nullopt;
    }
    return contents;
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
        return cannotReadOrWrite(store.fileName());
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

// The file is replaced only by the whole of what was meant, each count
// checked, so a save cut short leaves the earlier file as it was.
std::optional<QString> save(QSettings &store, const QString &key, const QString &text)
{
    const QString fileName = store.fileName();
    // QSettings' own lock. A save killed right after making the lock file
    // leaves it empty, and QSettings would wait 30 seconds before taking it
    // for stale; a real save holds it for milliseconds.
    QLockFile lock(fileName + QStringLiteral(".lock"));
    lock.setStaleLockTime(std::chrono::milliseconds(500));
    if (!QDir().mkpath(QFileInfo(fileName).path()) || !lock.tryLock(std::chrono::seconds(1)))
        return cannotReadOrWrite(fileName);
    QFile current(fileName);
    if (current.exists() && !current.open(QIODevice::ReadOnly))
        return cannotReadOrWrite(fileName);
    const QByteArray earlier = current.isOpen() ? current.readAll() : QByteArray();
    const std::optional<QByteArray> meant = composeSettingsFile(earlier, key, text);
    QSaveFile file(fileName);
    if (meant && !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return cannotReadOrWrite(fileName);
    if (!meant || file.write(*meant) != meant->size() || !file.commit())
        return tr("The settings file %1 could not be written in full: the disk is full or the "
                  "write was cut short. It was left as it was.")
            .arg(fileName);
    return std::nullopt;
}

// A settings file holds nothing but text.
std::optional<QString> nonTextValue(const QString & /*key*/)
{
    return std::nullopt;
}

} // namespace SettingsStore
