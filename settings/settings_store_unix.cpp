// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <atomic>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
bool isDamaged(const QByteArray &contents)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(contents);
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

QString damaged(const QString &fileName)
{
    return tr("The settings file %1 is damaged and cannot be read. Correct or remove it.")
        .arg(fileName);
}

QString cutShort(const QString &fileName)
{
    return tr("The settings file %1 could not be written in full: the disk is full or the write "
              "was cut short. It was left as it was.")
        .arg(fileName);
}

// The file's contents (none when there is no file yet), or why they may not
// be used.
std::optional<QString> readSettingsFile(const QString &fileName, QByteArray &contents)
{
    if (std::optional<QString> unusable = unusablePath(fileName))
        return unusable;
    QFile file(fileName);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        return cannotReadOrWrite(fileName);
    contents = file.readAll();
    if (isDamaged(contents))
        return damaged(fileName);
    return std::nullopt;
}

// QSettings keeps every file it has read in a cache of the whole process and
// reads it again only when its size or its time has changed, so a file
// rewritten within the same second at the same size passes for the one
// before. What is read is therefore always handed to QSettings afresh, as a
// file in memory with a time no other such file has had. Nothing when the
// system cannot make one (a file size limit below the file's size, say).
std::unique_ptr<QSettings> parsed(const QByteArray &contents)
{
    static std::atomic<time_t> lastTime = 0;
    const int memory = ::memfd_create("TALVEN.conf", MFD_CLOEXEC);
    if (memory < 0)
        return nullptr;
    const auto closeMemory = qScopeGuard([memory] { ::close(memory); });
    const timespec time{++lastTime, 0};
    const timespec times[2] = {time, time};
    const QString path = QStringLiteral("/proc/self/fd/%1").arg(memory);
    if (::write(memory, contents.constData(), size_t(contents.size())) != contents.size()
        || ::futimens(memory, times) != 0 || !QFileInfo::exists(path))
        return nullptr;
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
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
// composed in `folder` first, then read back from a copy it has not cached;
// nothing when either was cut short.
std::optional<QByteArray> composeSettingsFile(const QTemporaryDir &folder,
                                              const QByteArray &earlier, const QString &key,
                                              const QString &text)
{
    const QString draft = folder.filePath(QStringLiteral("draft.conf"));
    const QString copy = folder.filePath(QStringLiteral("copy.conf"));
    if (!writeWhole(draft, earlier))
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

Store open()
{
    const QString fileName = location();
    QByteArray contents;
    if (std::optional<QString> problem = readSettingsFile(fileName, contents))
        return {nullptr, *problem};
    std::unique_ptr<QSettings> settings = parsed(contents);
    if (!settings)
        return {nullptr, cannotReadOrWrite(fileName)};
    if (settings->status() != QSettings::NoError)
        return {nullptr, damaged(fileName)};
    return {std::move(settings), {}};
}

// The file is replaced only by the whole of what was meant, each count
// checked, so a save cut short leaves the earlier file as it was.
std::optional<QString> save(const QString &key, const QString &text)
{
    const QString fileName = location();
    const QString folder = QFileInfo(fileName).path();
    // QSettings' own lock. A save killed right after making the lock file
    // leaves it empty, and QSettings would wait 30 seconds before taking it
    // for stale; a real save holds it for milliseconds.
    QLockFile lock(fileName + QStringLiteral(".lock"));
    lock.setStaleLockTime(std::chrono::milliseconds(500));
    if (!QDir().mkpath(folder) || !lock.tryLock(std::chrono::seconds(1)))
        return cannotReadOrWrite(fileName);
    QByteArray earlier;
    if (std::optional<QString> problem = readSettingsFile(fileName, earlier))
        return problem;
    const std::unique_ptr<QSettings> stored = parsed(earlier);
    if (!stored)
        return cutShort(fileName);
    if (stored->status() != QSettings::NoError)
        return damaged(fileName);
    // The number already stored, as at every start, is not written again.
    if (stored->value(key) == QVariant(text))
        return std::nullopt;
    // The draft goes beside the file, on the disk that is to take it.
    const QTemporaryDir drafts(folder + QStringLiteral("/.TALVEN.conf-XXXXXX"));
    if (!drafts.isValid())
        return tr("The settings folder %1 cannot be written. Check that it is a folder you may "
                  "write in.")
            .arg(folder);
    const std::optional<QByteArray> meant = composeSettingsFile(drafts, earlier, key, text);
    if (!meant)
        return cutShort(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return cannotReadOrWrite(fileName);
    if (file.write(*meant) != meant->size() || !file.commit())
        return cutShort(fileName);
    return std::nullopt;
}

// A settings file holds nothing but text.
std::optional<QString> nonTextValue(const QString & /*key*/)
{
    return std::nullopt;
}

} // namespace SettingsStore
