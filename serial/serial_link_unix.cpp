// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "serial_link.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <poll.h>

namespace {

// The lock file QSerialPort takes for `device`: "LCK.." and the device's
// name below /dev with "/" made "_", in the first lock folder that holds it
// or may take it.
QString lockFileOf(const QString &device)
{
    const QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    const QString fileName = QStringLiteral("LCK..") + QString(name).replace(u'/', u'_');
    const QStringList folders
        = QStringLiteral("/var/lock /etc/locks /var/spool/locks /var/spool/uucp /tmp /var/tmp "
                         "/var/lock/lockdev /run/lock")
              .split(u' ')
        << QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    for (const QString &folder : folders) {
        const QFileInfo info(folder);
        const QString path = folder + u'/' + fileName;
        if (info.isReadable() && (QFile::exists(path) || info.isWritable()))
            return path;
    }
    return {};
}

} // namespace

QString SerialPortLink::refusal() const
{
    // A lock whose program has ended protects nothing, but only its owner (or
    // root) may remove it from the sticky lock folder.
    const QString lockFile = lockFileOf(m_device);
    qint64 pid = 0;
    QString hostName, appName;
    if (!lockFile.isEmpty() && QLockFile(lockFile).getLockInfo(&pid, &hostName, &appName) && pid > 0
        && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        return tr("its lock file %1 was left behind by a program that has ended (process %2) and "
                  "belongs to %3, so TALVEN may not take it over. Remove it (sudo rm %1), then "
                  "choose the port again.")
            .arg(lockFile)
            .arg(pid)
            .arg(QFileInfo(lockFile).owner());
    // A device we may use but still cannot open is held by someone else.
    const QFileInfo info(m_device);
    if (info.isReadable() && info.isWritable())
        return tr("it is in use by another program.");
    return tr("%1. Your user needs to be in the group \"%2\" that owns the device (sudo usermod "
              "-aG %2 $USER, then log in again).")
        .arg(m_port.errorString(), info.group());
}

// A hung-up tty reports POLLHUP whatever it was asked; a closed port has no
// descriptor, which poll() passes over.
bool SerialPortLink::hasHungUp() const
{
    pollfd device{int(m_port.handle()), 0, 0};
    return ::poll(&device, 1, 0) == 1 && (device.revents & POLLHUP) != 0;
}

// A hung-up tty reports POLLERR with POLLHUP, which wakes an exception watch;
// received octets do not.
void SerialPortLink::watchForHangUp()
{
    m_hangUpWatch = std::make_unique<QSocketNotifier>(m_port.handle(), QSocketNotifier::Exception);
    QObject::connect(m_hangUpWatch.get(), &QSocketNotifier::activated, &m_port, [this] {
        m_hangUpWatch->setEnabled(false); // a hung-up tty stays hung up
        letGoLater();
    });
}
