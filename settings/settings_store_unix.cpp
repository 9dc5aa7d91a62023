// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Far above any settings file TALVEN or a person writes.
constexpr qint64 largestSettingsFile = qint64(1) << 20;

QString tr(const char *text)
{
    return QCoreApplication::translate("PortSetting", text);
}

// Reading blocks on whatever the path holds, so nothing but an ordinary file
// of a settings file's size is opened.
std::optional<QString> unusablePath(const QString &path, const struct stat &status)
{
    if (S_ISREG(status.st_mode) && status.st_size <= largestSettingsFile)
        return std::nullopt;
    const QHash<mode_t, QString> kinds{{S_IFDIR, tr("a folder")},
                                       {S_IFIFO, tr("a named pipe")},
                                       {S_IFSOCK, tr("a socket")},
                                       {S_IFCHR, tr("a character device")},
                                       {S_IFBLK, tr("a block device")}};
    QString kind = kinds.value(
        status.st_mode & S_IFMT,
        tr("%1 MiB large, far larger than a settings file")
            .arg(QString::number(double(status.st_size) / largestSettingsFile, 'f', 1)));
    if (const QFileInfo info(path); info.isSymLink())
        kind = tr("a link to %1 (%2)").arg(kind, info.symLinkTarget());
    return tr("The settings file %1 is %2. TALVEN neither reads nor writes it; replace it with "
              "an ordinary file or remove it.")
        .arg(path, kind);
}

// One value of a settings file, and the octets of its line.
struct Entry
{
    QString key; // "Section/Name"
    QString text;
    qsizetype start = 0;
    qsizetype end = 0;
};

// A settings file as read, or why it may not be used.
struct IniFile
{
    QByteArray contents;
    QList<Entry> entries; // in the order of the file; the last of a key holds
    QHash<QString, qsizetype> sectionEnds; // where each section's last line ends
    std::optional<QString> problem;
};

// Octets the backslash at `at` escapes: the next, or a CR LF (LF CR) line break.
qsizetype escapedLength(QByteArrayView text, qsizetype at)
{
    const QByteArrayView next = text.sliced(at + 1);
    return next.startsWith("\r\n") || next.startsWith("\n\r") ? 2 : 1;
}

// A value as Qt programs read it: spaces around it dropped, double quotes
// keeping what they enclose, and a backslash escaping the character after it
// (\n, \t, \", \\ ...) or the line break that continues the value (a line
// break left in a value is the second octet of such a CR LF).
QString valueText(QByteArrayView value)
{
    static constexpr QByteArrayView escapes("a\ab\bf\fn\nr\rt\tv\v\"\"?\?''\\\\");
    QByteArray text;
    for (qsizetype at = 0; at < value.size(); ++at) {
        if (value[at] == '\\' && at + 1 < value.size()) {
            const qsizetype escape = escapes.indexOf(value[++at]);
            if (escape >= 0 && escape % 2 == 0)
                text += escapes[escape + 1];
        } else if (value[at] != '"' && value[at] != '\n' && value[at] != '\r') {
            text += value[at];
        }
    }
    return QString::fromUtf8(text);
}

// Reads `ini.contents` as Qt programs read an INI file: [Section] lines, then
// name=value lines; ';' begins a comment, which runs to its line break
// whatever it holds, and a backslash ending any other line continues it.
// False when the file is no UTF-8 text or a line is none of these.
bool parse(IniFile &ini)
{
    const QByteArrayView contents = ini.contents;
    QStringDecoder utf8(QStringDecoder::Utf8);
    if (const QString text = utf8(contents); utf8.hasError() || text.contains(QChar::Null))
        return false;
    QString section;
    for (qsizetype start = contents.startsWith("\xEF\xBB\xBF") ? 3 : 0, end = start;
         start < contents.size(); start = ++end) {
        // The line ends at a line break, its text at a ';', unless quoted or
        // escaped.
        qsizetype comment = -1;
        for (bool quoted = false;
             end < contents.size() && contents[end] != '\n' && contents[end] != '\r'; ++end) {
            if (contents[end] == '\\' && comment < 0)
                end += escapedLength(contents, end);
            else if (contents[end] == '"')
                quoted = !quoted;
            else if (contents[end] == ';' && !quoted && comment < 0)
                comment = end;
        }
        end = std::min(end, contents.size());
        const QByteArrayView line
            = contents.sliced(start, (comment < 0 ? end : comment) - start).trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']'))
            section = QString::fromUtf8(line.sliced(1, line.size() - 2).trimmed());
        else if (equals >= 0)
            ini.entries.append({(section.isEmpty() ? QString() : section + u'/')
                                    + QString::fromUtf8(line.first(equals).trimmed()),
                                valueText(line.sliced(equals + 1).trimmed()), start, end});
        else
            return false;
        ini.sectionEnds.insert(section, end);
    }
    return true;
}

// The file with `key` set to `text`: the key's line rewritten, or a line
// added at the end of its section, or the section added at the end. All else
// stays as it was, comment lines included (a note on the key's own line goes
// with it). TALVEN stores numbers, which need no quoting.
QByteArray withValue(const IniFile &ini, const QString &key, const QString &text)
{
    const QString section = key.section(u'/', 0, 0);
    const QByteArray line = (key.section(u'/', 1) + u'=' + text).toUtf8();
    QByteArray contents = ini.contents;
    const auto entry = std::find_if(ini.entries.crbegin(), ini.entries.crend(),
                                    [&](const Entry &each) { return each.key == key; });
    if (entry != ini.entries.crend())
        return contents.replace(entry->start, entry->end - entry->start, line);
    if (const auto end = ini.sectionEnds.constFind(section); end != ini.sectionEnds.cend())
        return contents.insert(*end, '\n' + line);
    if (!contents.isEmpty())
        contents += contents.endsWith('\n') ? "\n" : "\n\n";
    return contents + '[' + section.toUtf8() + "]\n" + line + '\n';
}

// A write that the disk cuts short takes what fits, and only the next one
// tells why it stopped.
bool writeAll(int file, QByteArrayView octets)
{
    while (!octets.isEmpty()) {
        const ssize_t written = ::write(file, octets.data(), size_t(octets.size()));
        if (written <= 0)
            return false;
        octets = octets.sliced(written);
    }
    return true;
}

// The file as it is now, read afresh; empty when there is none yet.
IniFile readFile(const QString &fileName)
{
    IniFile ini;
    struct stat status = {};
    const bool there = ::stat(QFile::encodeName(fileName).constData(), &status) == 0;
    if (!there && errno == ENOENT)
        return ini;
    if (there && (ini.problem = unusablePath(fileName, status)))
        return ini;
    QFile file(fileName);
    if (there && file.open(QIODevice::ReadOnly))
        ini.contents = file.read(largestSettingsFile);
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
        ini.problem = tr("The settings file %1 cannot be read. Check that it is a file you may "
                         "read.")
                          .arg(fileName);
    else if (!parse(ini))
        ini.problem = tr("The settings file %1 is damaged and cannot be read. Correct or remove "
                         "it.")
                          .arg(fileName);
    return ini;
}

// Puts `contents` in the place of `fileName` whole (of the file a link there
// points to), or says why not: written first as a draft beside it, every
// octet counted and on the disk, then renamed over it. The draft always has
// the same name, so a save killed half-way leaves nothing that the next save
// does not replace; QSettings' lock keeps two saves from writing it at once.
std::optional<QString> replaceWhole(const QString &fileName, const QByteArray &contents)
{
    const QFileInfo info(fileName);
    const QString target = info.exists() ? info.canonicalFilePath()
        : info.isSymLink()               ? info.symLinkTarget()
                                         : fileName;
    const QString folder = QFileInfo(target).path();
    const QString folderRefused = tr("The settings folder %1 cannot be written. Check that it is "
                                     "a folder you may write in.")
                                      .arg(folder);
    const QString cutShort = tr("The settings file %1 could not be written in full: the disk is "
                                "full or the write was cut short. It was left as it was.")
                                 .arg(fileName);
    if (info.exists() && !info.isWritable())
        return tr("The settings file %1 cannot be written: it is read-only to you. It was left "
                  "as it was.")
            .arg(fileName);
    // A save killed right after making the lock file leaves it empty, which
    // would count as held for 30 seconds; a save holds it for milliseconds.
    QLockFile lock(fileName + QStringLiteral(".lock"));
    lock.setStaleLockTime(std::chrono::milliseconds(500));
    if (!QDir().mkpath(folder)
        || (!lock.tryLock(std::chrono::seconds(1)) && lock.error() == QLockFile::PermissionError))
        return folderRefused;
    if (!lock.isLocked())
        return cutShort;
    const QByteArray draft = QFile::encodeName(
        folder + QStringLiteral("/.") + QFileInfo(target).fileName() + QStringLiteral(".draft"));
    const int file = ::open(draft.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file < 0)
        return errno == EACCES || errno == EROFS ? folderRefused : cutShort;
    struct stat earlier = {};
    const bool whole = (::stat(QFile::encodeName(target).constData(), &earlier) != 0
                        || ::fchmod(file, earlier.st_mode & 07777) == 0)
        && writeAll(file, contents) && ::fsync(file) == 0;
    if (::close(file) != 0 || !whole
        || ::rename(draft.constData(), QFile::encodeName(target).constData()) != 0) {
        ::unlink(draft.constData());
        return cutShort;
    }
    return std::nullopt;
}

} // namespace

namespace SettingsStore {

QString location()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/TALVEN/TALVEN.conf");
}

Values read()
{
    const IniFile ini = readFile(location());
    Values values{{}, ini.problem};
    for (const Entry &entry : ini.entries)
        values.texts.insert(entry.key, entry.text);
    return values;
}

std::optional<QString> save(const QString &key, const QString &text)
{
    const IniFile ini = readFile(location());
    if (ini.problem)
        return ini.problem;
    return replaceWhole(location(), withValue(ini, key, text));
}

// A settings file holds nothing but text.
std::optional<QString> nonTextValue(const QString & /*key*/)
{
    return std::nullopt;
}

} // namespace SettingsStore
