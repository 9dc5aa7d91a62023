// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Real pseudo-terminals, and a machine (its settings file, /sys, /dev) in a folder.
#include "port_directory.h"
#include "port_setting.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Transmissions A and B of 30 November 2023.
inline const QByteArray workedExampleAB
    = QByteArray::fromHex("404047620B1E07E7000000000000D00D0A1BFA85 "
                          "404047620B1E07E7000000000000D00D0A1B244B542D3330324D");

inline bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size()
        && file.flush();
}

// The stored port number, or -999 when the settings cannot be read.
inline qint16 stored()
{
    qint16 number = -999;
    PortSetting().read(number);
    return number;
}

// Rows only root (not a root of a user namespace, with no "nobody") can set up;
// another user's run names them in one line at its end.
inline QStringList leftToRoot;
inline bool asRoot(const char *row)
{
    static const bool root = [] {
        QTemporaryFile probe;
        return ::geteuid() == 0 && probe.open() && ::fchown(probe.handle(), 65534, 65534) == 0;
    }();
    if (!root)
        leftToRoot << QString::fromLatin1(QTest::currentTestFunction()) + u'('
                + QLatin1StringView(row) + u')';
    return root;
}
inline void sayWhatWasLeftToRoot()
{
    if (!leftToRoot.isEmpty())
        qInfo("Left to a run as root: %s", qPrintable(leftToRoot.join(u", "_s)));
}

// The code under test opens the device end by its name; the test reads what
// arrives at the other end octet by octet.
struct PseudoTerminal
{
    int controller = -1, device = -1;
    QString name;

    PseudoTerminal()
    {
        char path[256] = {};
        ::openpty(&controller, &device, path, nullptr, nullptr);
        name = QFile::decodeName(path);
        // A line, not a terminal: what nobody reads fills the queue, and writes
        // wait, rather than being echoed back or flushed by a ^C among them.
        termios line{};
        ::tcgetattr(device, &line);
        ::cfmakeraw(&line);
        ::tcsetattr(device, TCSANOW, &line);
    }
    ~PseudoTerminal() { ::close(controller), ::close(device); }

    // What arrived once `count` octets have (or 5 s passed), and more there by then;
    // TALVEN's writes are there when they return, so read(0) waits for nothing.
    QByteArray read(qsizetype count = 0) const
    {
        QByteArray received;
        const QDeadlineTimer deadline(5000);
        pollfd ready{controller, POLLIN, 0};
        for (char octet = 0;
             ::poll(&ready, 1, received.size() < count ? int(deadline.remainingTime()) : 0) > 0
             && ::read(controller, &octet, 1) == 1;)
            received.append(octet);
        return received;
    }
    // The far end sends a master clock's telegrams until `total` octets in all
    // were taken from it; false when it takes none for 5 s.
    bool talk(qint64 total)
    {
        const QByteArray telegram
            = QByteArray("\002D:09.12.26;T:3;U:14.05.00;\003\r\n").repeated(100);
        ::fcntl(controller, F_SETFL, O_NONBLOCK);
        for (QDeadlineTimer stalled(5000); talked < total; QCoreApplication::processEvents()) {
            if (stalled.hasExpired())
                return false;
            if (const ssize_t written
                = ::write(controller, telegram.constData(), size_t(telegram.size()));
                written > 0)
                talked += written, stalled.setRemainingTime(5000);
        }
        return true;
    }
    qint64 talked = 0;
    // The far end goes away, as an unplugged adapter does.
    void hangUp() { ::close(std::exchange(controller, -1)); }
};

// /dev/`name` links to `device`; a UART's port type "0" means no UART. The
// settings of this process are kept here too.
struct FakeMachine
{
    QTemporaryDir root;
    // Like a real /sys/class/tty, it also holds ttys with no device behind them.
    FakeMachine()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(u"config"_s)));
        QDir().mkpath(path(u"dev"_s));
        for (const QString &tty : u"console ptmx tty tty0 tty63"_s.split(u' '))
            QDir().mkpath(path(u"sys/class/tty/"_s + tty));
    }
    PortDirectory ports() const { return PortDirectory(root.path()); }
    QString path(const QString &relative) const { return root.filePath(relative); }
    static void writeSettings(const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(PortSetting::location()).path());
        writeFile(PortSetting::location(), contents);
    }
    void add(const QString &name, const QString &device, const QByteArray &uartType = {},
             const QByteArray &product = {}) const
    {
        const QString usb = path(u"devices/"_s + name), tty = path(u"sys/class/tty/"_s + name);
        QDir().mkpath(usb + u"/interface/tty"_s);
        QDir().mkpath(tty);
        QFile::link(usb + u"/interface/tty"_s, tty + u"/device"_s);
        QFile::link(device, path(u"dev/"_s + name));
        if (!uartType.isEmpty())
            writeFile(tty + u"/type"_s, uartType);
        if (!product.isEmpty())
            writeFile(usb + u"/product"_s, product), writeFile(usb + u"/serial"_s, "A1B2C3");
    }
    void unplug(const QString &name) const
    {
        QDir(path(u"sys/class/tty/"_s + name)).removeRecursively();
        QFile::remove(path(u"dev/"_s + name));
    }
};
