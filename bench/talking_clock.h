// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "talven_test.h"

#include <atomic>
#include <cerrno>
#include <thread>

// A master clock that sends its telegram without pause: the far end of a
// pseudo-terminal writes `total` octets as fast as the line takes them, in a
// thread of its own, and gives up once nothing is taken for a second.
struct TalkingClock
{
    std::atomic<bool> stop = false, gaveUp = false;
    std::atomic<qint64> sent = 0;
    std::thread thread;

    TalkingClock(const PseudoTerminal &farEnd, qint64 total)
        : thread([this, controller = farEnd.controller, total] {
            ::fcntl(controller, F_SETFL, ::fcntl(controller, F_GETFL) | O_NONBLOCK);
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
        })
    {
    }
    ~TalkingClock() { stop = true, thread.join(); }
};
