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

// The store, opened only when it is safe to read, or why it is not.
struct Store
{
    std::unique_ptr<QSettings> settings;
    QString problem;
};
Store open();

// Why the store could not be read or written, after a read or a write.
std::optional<QString> problem(const QSettings &store);

// Stores `text` under `key`, keeping all else the store holds, or says why
// it was not stored; the store then holds what it held before.
std::optional<QString> save(QSettings &store, const QString &key, const QString &text);

// What kind of value `key` holds when it is there but no text, in the words
// of the platform's own tools ("a REG_DWORD value").
std::optional<QString> nonTextValue(const QString &key);

} // namespace SettingsStore
