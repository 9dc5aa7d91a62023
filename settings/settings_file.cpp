// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Far above any settings file TALVEN or a person writes.
constexpr qint64 largestSettingsFile = qint64(1) << 20;

const QByteArray byteOrderMark("\xEF\xBB\xBF");

// What stands at the settings path instead of a settings file.
QString kindOf(const QString &path, const struct stat &status)
{
    QString kind = S_ISDIR(status.st_mode) ? SettingsFile::tr("a folder")
        : !S_ISREG(status.st_mode)
        ? SettingsFile::tr("a device, a pipe or a socket")
        : SettingsFile::tr("%1 MiB large, far larger than a settings file")
              .arg(QString::number(double(status.st_size) / largestSettingsFile, 'f', 1));
    if (const QFileInfo info(path); info.isSymLink())
        kind = SettingsFile::tr("a link to %1 (%2)").arg(kind, info.symLinkTarget());
    return kind;
}

// A draft that no save holds locked is one of a save that was killed.
void removeDraftsOfKilledSaves(const QFileInfo &target)
{
    const QDir folder(target.absolutePath(),
                      u'.' + target.fileName() + QStringLiteral(".??????.draft"), QDir::NoSort,
                      QDir::Files | QDir::Hidden);
    for (const QString &name : folder.entryList()) {
        QFile draft(folder.filePath(name));
        if (draft.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)
            && ::flock(draft.handle(), LOCK_EX | LOCK_NB) == 0)
            draft.remove();
    }
}

} // namespace

bool SettingsFile::read()
{
    m_contents.clear();
    m_values.clear();
    m_sectionStarts.clear();
    const QString unreadable = tr("The settings file %1 cannot be read. Check that it is a file "
                                  "you may read.")
                                   .arg(m_path);
    // Reading blocks on all else, so only an ordinary file of up to 1 MiB is opened.
    struct stat status = {};
    if (::stat(QFile::encodeName(m_path).constData(), &status) != 0)
        return errno == ENOENT || fail(unreadable);
    if (!S_ISREG(status.st_mode) || status.st_size > largestSettingsFile)
        return fail(tr("The settings file %1 is %2. TALVEN neither reads nor writes it; replace "
                       "it with an ordinary file or remove it.")
                        .arg(m_path, kindOf(m_path, status)));
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(unreadable);
    m_contents = file.readAll();
    return (file.error() == QFileDevice::NoError || fail(unreadable)) && parse();
}

bool SettingsFile::parse()
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    if (const QString text = utf8(m_contents); utf8.hasError() || text.contains(QChar::Null))
        return fail(tr("The settings file %1 is not text and cannot be read. Correct or remove it.")
                        .arg(m_path));
    const QByteArrayView contents = m_contents;
    QString section;
    int lineNumber = 0;
    for (qsizetype start = contents.startsWith(byteOrderMark) ? byteOrderMark.size() : 0;
         start < contents.size();) {
        const qsizetype lineBreak = m_contents.indexOf('\n', start);
        const qsizetype end = lineBreak < 0 ? contents.size() : lineBreak;
        QByteArrayView line = contents.sliced(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        const auto notUnderstood = [&] {
            return fail(tr("The settings file %1 is not understood at line %2 (%3), so TALVEN "
                           "neither uses nor changes it. Correct or remove that line.")
                            .arg(m_path)
                            .arg(lineNumber)
                            .arg(QString::fromUtf8(line)));
        };
        if (line.indexOf('\\') >= 0 || line.indexOf('\r') >= 0 || line.indexOf(';') >= 0)
            return notUnderstood();
        if (line.startsWith('[') && line.endsWith(']')) {
            section = QString::fromUtf8(line.sliced(1, line.size() - 2).trimmed());
            if (section == u"General") // Qt programs' keys of no section
                section.clear();
            if (!m_sectionStarts.contains(section))
                m_sectionStarts.insert(section, std::min(start, contents.size()));
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        const QString key = (section.isEmpty() ? QString() : section + u'/')
            + QString::fromUtf8(line.first(std::max(equals, qsizetype(0))).trimmed());
        const QByteArrayView stored = line.sliced(equals + 1).trimmed();
        const bool quoted = stored.size() >= 2 && stored.startsWith('"') && stored.endsWith('"');
        const QByteArrayView text = quoted ? stored.sliced(1, stored.size() - 2) : stored;
        if (equals <= 0 || text.indexOf('"') >= 0 || m_values.contains(key))
            return notUnderstood();
        m_values.insert(key,
                        {QString::fromUtf8(text), stored.data() - contents.data(),
                         stored.data() + stored.size() - contents.data()});
    }
    return true;
}

bool SettingsFile::save(const QString &key, const QString &text)
{
    if (!read())
        return false;
    QByteArray contents = m_contents;
    if (const auto stored = m_values.constFind(key); stored != m_values.cend())
        return replace(contents.replace(stored->start, stored->end - stored->start, text.toUtf8()));
    const qsizetype firstBreak = contents.indexOf('\n');
    const QByteArray lineBreak
        = firstBreak > 0 && contents.at(firstBreak - 1) == '\r' ? "\r\n" : "\n";
    const QString section = key.section(u'/', 0, 0);
    QByteArray added = (key.section(u'/', 1) + u'=' + text).toUtf8() + lineBreak;
    qsizetype at = m_sectionStarts.value(section, -1);
    if (at < 0) {
        at = contents.size();
        added.prepend('[' + section.toUtf8() + ']' + lineBreak);
    }
    if (at == contents.size() && !contents.isEmpty() && !contents.endsWith('\n'))
        added.prepend(lineBreak);
    return replace(contents.insert(at, added));
}

// Puts `contents` whole in the place of the file a link there points to, with
// its permissions. Unlike QSaveFile's without /proc or on vfat or NFS, a draft
// here has a name no copy of the user's has, and is locked while its save
// runs, so that each save removes the drafts of killed saves, and no other.
bool SettingsFile::replace(const QByteArray &contents)
{
    const QFileInfo link(m_path);
    const QFileInfo target(link.exists()          ? link.canonicalFilePath()
                               : link.isSymLink() ? link.symLinkTarget()
                                                  : m_path);
    if (target.exists() && !target.isWritable())
        return fail(
            tr("The settings file %1 cannot be written: it is read-only to you. It was left "
               "as it was.")
                .arg(m_path));
    const QString cutShort = tr("The settings file %1 could not be written in full: the disk is "
                                "full or the write was cut short. It was left as it was.")
                                 .arg(m_path);
    QByteArray draft = QFile::encodeName(target.absolutePath() + QStringLiteral("/.")
                                         + target.fileName() + QStringLiteral(".XXXXXX.draft"));
    const int descriptor
        = QDir().mkpath(target.absolutePath()) ? ::mkostemps(draft.data(), 6, O_CLOEXEC) : -1;
    if (descriptor < 0)
        return fail(errno == ENOSPC || errno == EDQUOT
                        ? cutShort
                        : tr("The settings folder %1 cannot be written. Check that it is a folder "
                             "you may write in.")
                              .arg(target.absolutePath()));
    ::flock(descriptor, LOCK_EX);
    removeDraftsOfKilledSaves(target);
    QFile file;
    const bool whole = file.open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)
        && (!target.exists() || file.setPermissions(target.permissions()))
        && file.write(contents) == contents.size() && file.flush() && ::fsync(descriptor) == 0
        && ::rename(draft.constData(), QFile::encodeName(target.absoluteFilePath()).constData())
            == 0;
    if (!whole)
        ::unlink(draft.constData());
    return whole || fail(cutShort);
}
