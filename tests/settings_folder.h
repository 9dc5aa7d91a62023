#pragma once

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

// The per-user settings store of this process, moved into a temporary folder
// so that tests work on a real file of their own.
class SettingsFolder
{
public:
    SettingsFolder()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_folder.path());
    }

    QString path() const { return m_folder.path(); }
    QString filePath() const { return m_folder.filePath(QStringLiteral("TALVEN/TALVEN.conf")); }

    void write(const QByteArray &contents) const
    {
        QDir().mkpath(m_folder.filePath(QStringLiteral("TALVEN")));
        QFile file(filePath());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(contents);
    }

    QByteArray contents() const
    {
        QFile file(filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_folder;
};
