#pragma once

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
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

    // A "Ports" section that maps Com1, Com2, ... to `devices`, in order.
    static QByteArray portsSection(const QStringList &devices)
    {
        QByteArray section = "[Ports]\n";
        for (qsizetype index = 0; index < devices.size(); ++index)
            section += "Com" + QByteArray::number(index + 1) + '=' + devices[index].toUtf8() + '\n';
        return section;
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
