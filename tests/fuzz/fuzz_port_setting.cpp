// Arbitrary text as the settings file: reading the stored port number and the
// port device map must neither crash nor misread. A number that is read must
// be the 16-bit integer its text says.
#include "port_setting.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

QTemporaryDir *folder = nullptr;

QString filePath()
{
    return folder->filePath(QStringLiteral("TALVEN/TALVEN.conf"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    folder = new QTemporaryDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder->path());
    QDir().mkpath(folder->filePath(QStringLiteral("TALVEN")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // A fresh file each time, so the store's cache cannot answer from the last input.
    QFile::remove(filePath());
    QFile file(filePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        std::abort();
    file.close();

    PortSetting setting;
    const std::optional<qint16> number = setting.read();
    if (!number && setting.errorString().isEmpty())
        std::abort();
    for (int port = 1; port <= 50; ++port) {
        if (const std::optional<QString> device = setting.mappedDevice(port);
            device && device->isEmpty())
            std::abort();
    }

    const QString asText = QString::fromUtf8(text);
    if (const std::optional<qint16> parsed = PortSetting::parsePortNumber(asText)) {
        if (asText.trimmed().toInt() != *parsed)
            std::abort();
    }
    return 0;
}
