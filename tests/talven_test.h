// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Real pseudo-terminals, and a machine (its settings file, /sys, /dev) in a folder.
#include "port_directory.h"
#include "port_setting.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

inline const QByteArray workedExampleAB
    = QByteArray::fromHex("404047620B1E07E7000000000000D00D0A1BFA85 "
                          "404047620B1E07E7000000000000D00D0A1B244B542D3330324D");

inline bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// The code under test opens the device end by its name; the test reads what
// arrives at the other end octet by octet.
struct PseudoTerminal
{
    int controller = -1, device = -1;
    QString name;

    // A number whose lock file another user's program left behind cannot be
    // opened by anyone else, so such numbers are passed over.
    PseudoTerminal()
    {
        std::vector<int> passedOver;
        char path[256] = {};
        while (::openpty(&controller, &device, path, nullptr, nullptr) == 0
               && QFile::exists(u"/var/lock/LCK.."_s
                                + QFile::decodeName(path + 5).replace(u'/', u'_'))) {
            passedOver.insert(passedOver.end(), {controller, device});
        }
        name = QFile::decodeName(path);
        for (const int fd : passedOver)
            ::close(fd);
        // A line, not a terminal: what nobody reads fills the device end's
        // queue, and the far end's writes then wait, rather than being echoed
        // back or flushed by a ^C among them.
        termios line{};
        ::tcgetattr(device, &line);
        ::cfmakeraw(&line);
        ::tcsetattr(device, TCSANOW, &line);
    }
    ~PseudoTerminal()
    {
        ::close(controller);
        ::close(device);
    }
    // What arrives until `count` octets have or `timeoutMs` has passed.
    QByteArray read(int count = 1000, int timeoutMs = 100) const
    {
        QByteArray received;
        const QDeadlineTimer deadline(timeoutMs);
        pollfd ready{controller, POLLIN, 0};
        for (char octet = 0; received.size() < count
             && ::poll(&ready, 1, int(deadline.remainingTime())) > 0
             && ::read(controller, &octet, 1) == 1;)
            received.append(octet);
        return received;
    }
    // The far end goes away, as an unplugged adapter does.
    void hangUp() { ::close(std::exchange(controller, -1)); }
};

// A master clock that sends its telegram without pause: the far end of a
// pseudo-terminal writes `total` octets as fast as the line takes them, in a
// thread of its own, and gives up once nothing is taken for a second. One
// that hangs up does so the moment its last octet is taken.
struct TalkingClock
{
    std::atomic<bool> stop = false;
    std::atomic<qint64> sent = 0;
    std::atomic<bool> gaveUp = false;
    std::thread thread;

    // A clock that hangs up closes `farEnd` from its thread.
    TalkingClock(PseudoTerminal &farEnd, qint64 total, bool hangsUp = false)
    {
        const int controller = farEnd.controller;
        ::fcntl(controller, F_SETFL, ::fcntl(controller, F_GETFL) | O_NONBLOCK);
        thread = std::thread([this, &farEnd, controller, total, hangsUp] {
            const QByteArray telegram
                = QByteArray("\002D:09.12.26;T:3;U:14.05.00;    \003\r\n").repeated(100);
            pollfd room{controller, POLLOUT, 0};
            while (!stop && sent < total && ::poll(&room, 1, 1000) == 1) {
                const ssize_t written
                    = ::write(controller, telegram.constData(),
                              size_t(std::min<qint64>(total - sent, telegram.size())));
                if (written < 0 && errno != EAGAIN)
                    break;
                sent += std::max(written, ssize_t(0));
            }
            gaveUp = sent < total;
            if (hangsUp)
                farEnd.hangUp();
        });
    }
    ~TalkingClock()
    {
        stop = true;
        thread.join();
    }
};

// /dev/`name` links to `device`; a UART's port type "0" means no UART. The
// settings of this process are kept here too.
struct FakeMachine
{
    QTemporaryDir root;
    // Like a real /sys/class/tty, it also holds the virtual consoles and
    // other ttys that have no device behind them.
    FakeMachine()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(u"config"_s)));
        QStringList ttys{u"console"_s, u"ptmx"_s, u"tty"_s};
        for (int console = 0; console < 64; ++console)
            ttys << u"tty%1"_s.arg(console);
        QDir().mkpath(path(u"sys/class/tty"_s));
        QDir().mkpath(path(u"dev"_s));
        for (const QString &tty : ttys) {
            QDir().mkpath(path(u"devices/virtual/tty/"_s + tty));
            QFile::link(path(u"devices/virtual/tty/"_s + tty), path(u"sys/class/tty/"_s + tty));
            QFile::link(u"/dev/null"_s, path(u"dev/"_s + tty)); // never a real console
        }
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
        QDir().mkpath(path(u"dev"_s));
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
