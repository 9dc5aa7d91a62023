// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QString>

#include <optional>

// TALVEN's settings file on Linux, as people and earlier TALVEN versions write
// it: [Section] and key=value lines (spaces around, values perhaps quoted),
// blank and ';' or '#' comment lines, LF or CR LF, a byte order mark. Anything
// else (a backslash, which Qt reads as an escape, a ';' on a key line, a key
// given twice, no UTF-8 text) refuses the file whole, never rewritten.
class SettingsFile
{
    Q_DECLARE_TR_FUNCTIONS(TALVEN)

public:
    explicit SettingsFile(QString path)
        : m_path(std::move(path))
    {
    }

    // Reads the file anew; a file that is not there holds nothing.
    bool read();
    // "Section/Key" as read last.
    std::optional<QString> value(const QString &key) const
    {
        return m_values.contains(key) ? std::optional(m_values.value(key).text) : std::nullopt;
    }
    QStringList keys() const { return m_values.keys(); }

    // Reads the file anew and sets `key` to `text` in its value's octets, or in
    // a line after its section's first (or the section at the end), in the
    // file's line breaks; all else stays. A failed save leaves the file as it was.
    bool save(const QString &key, const QString &text);

    QString errorString() const { return m_errorString; }

private:
    struct Value
    {
        QString text;
        qsizetype start = 0; // its octets in the file, quotes included
        qsizetype end = 0;
    };

    bool parse();
    bool replace(const QByteArray &contents);
    bool fail(const QString &description)
    {
        m_errorString = description;
        return false;
    }

    QString m_path;
    QByteArray m_contents;
    QHash<QString, Value> m_values;
    QHash<QString, qsizetype> m_sectionStarts; // where the line after its first [Section] begins
    QString m_errorString;
};
