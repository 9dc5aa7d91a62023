// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QString>

#include <optional>

// Where TALVEN's settings live, read and written afresh at every call; each
// platform has its own (settings_store_unix.cpp, settings_store_windows.cpp).
//
// On Linux the store is an INI file that TALVEN reads and writes itself,
// in the form Qt programs give such files, so nothing is ever taken from a
// cache and reading needs nothing but the file. Only an ordinary file of a
// settings file's size is read; a folder, a device or a damaged file is
// refused. On Windows the store is a registry key, reached through QSettings,
// which reads and writes the registry at every call.
namespace SettingsStore {

// Where the operator finds the settings: a file's path, or a registry key.
QString location();

// What the store holds now: the text of every value by "Section/Key", or
// why the store cannot be read.
struct Values
{
    QHash<QString, QString> texts;
    std::optional<QString> problem;
};
Values read();

// Stores `text` under `key`, keeping all else the store holds, or says why
// it was not stored. On Linux the new file is written whole beside the file,
// checked, and only then put in its place, so a save that fails leaves the
// file as it was; a save killed half-way leaves its draft for the next save
// to replace. On Windows the registry takes the value whole or not at all.
std::optional<QString> save(const QString &key, const QString &text);

// What kind of value `key` holds when it is there but no text, in the words
// of the platform's own tools ("a REG_DWORD value").
std::optional<QString> nonTextValue(const QString &key);

} // namespace SettingsStore
