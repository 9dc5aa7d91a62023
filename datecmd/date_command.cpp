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

QByteArray transmission(const QByteArray &frame, QByteArrayView trailer)
{
    QByteArray octets = frame;
    octets.append(octet(frameChecksum(frame)));
    octets.append("\r\n\x1b");
    octets.append(trailer);
    return octets;
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

QByteArray composeFrame(const QDate &date)
{
    return composeFrame(static_cast<quint16>(date.year()), static_cast<quint8>(date.month()),
                        static_cast<quint8>(date.day()));
}

quint8 frameChecksum(const QByteArray &frame)
{
    // The two leading "@" are not covered.
    quint8 checksum = 0;
    for (const char c : frame.mid(2))
        checksum ^= static_cast<quint8>(c);
    return checksum;
}

QByteArray transmissionA(const QByteArray &frame)
{
    return transmission(frame, "\xfa\x85");
}

QByteArray transmissionB(const QByteArray &frame)
{
    return transmission(frame, "$KT-302M");
}

bool sendDateInitialisation(SerialLink &link, const Clock &today)
{
    const QByteArray frame = composeFrame(today());
    return link.write(transmissionA(frame)) && link.write(transmissionB(frame));
}

} // namespace DateCommand
