// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "date_command.h"

#include "serial_link.h"

namespace DateCommand {

namespace {

char octet(int value)
{
    return static_cast<char>(static_cast<quint8>(value));
}

} // namespace

QByteArray composeFrame(quint16 year, quint8 month, quint8 day)
{
    QByteArray frame("@@Gb");
    frame.append(octet(month));
    frame.append(octet(day));
    frame.append(octet(year / 256));
    frame.append(octet(year % 256));
    frame.append(6, '\0');
    return frame;
}

quint8 frameChecksum(const QByteArray &frame)
{
    // The two leading "@" are not covered.
    quint8 checksum = 0;
    for (const char c : frame.mid(2))
        checksum ^= static_cast<quint8>(c);
    return checksum;
}

bool sendDateInitialisation(SerialLink &link, const Clock &today)
{
    const QDate date = today();
    const QByteArray frame
        = composeFrame(static_cast<quint16>(date.year()), static_cast<quint8>(date.month()),
                       static_cast<quint8>(date.day()));
    const QByteArray head = frame + octet(frameChecksum(frame)) + "\r\n\x1b";
    return link.write(head + "\xfa\x85") && link.write(head + "$KT-302M");
}

} // namespace DateCommand
