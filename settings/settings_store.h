// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

// Where TALVEN's settings live and how safely they are reached; each
// platform has its own (settings_store_unix.cpp, settings_store_windows.cpp).
namespace SettingsStore {

// Where the operator finds the settings: a file's path, or a registry key.
QString location();

// The store as it is now, opened only when it is safe to read, or why it is
// not. On Linux the settings file is read whole and parsed afresh at every
// open, so a change made since (by a save or by hand) is always seen; an
// ordinary file that is too large, a folder, a device or a damaged file is
// refused. On Windows it is the registry key, which is read as it is.
struct Store
{
    std::unique_ptr<QSettings> settings;
    QString problem;
};
Store open();

// Stores `text` under `key`, keeping all else the store holds, or says why
// it was not stored; nothing is written when `key` already holds `text`. On
// Linux that is decided from the file as read under QSettings' lock, and the
// new file is composed in a folder of its own beside it, checked, and only
// then put in its place whole, so a save that fails leaves the file as it
// was. On Windows the registry takes the value whole or not at all.
std::optional<QString> save(const QString &key, const QString &text);

// What kind of value `key` holds when it is there but no text, in the words
// of the platform's own tools ("a REG_DWORD value").
std::optional<QString> nonTextValue(const QString &key);

} // namespace SettingsStore
