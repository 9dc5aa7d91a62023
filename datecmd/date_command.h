// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDate>

#include <functional>

class SerialLink;

// The receiver's date-setting frame and the two transmissions that carry it.
//
// Frame (14 octets): "@@Gb", month, day, year high octet, year low octet, six
// zero octets. Checksum: XOR of frame octets 2 to 13. Each transmission is
// frame, checksum, CR LF and a trailer starting with ESC: A ends in FA 85 (20
// octets), B in "$KT-302M" (26 octets).
namespace DateCommand {

QByteArray composeFrame(quint16 year, quint8 month, quint8 day);
quint8 frameChecksum(const QByteArray &frame);

using Clock = std::function<QDate()>;

// Reads today's date from `today` once and writes transmission A, then B,
// each in one write. B is not attempted when A fails (link.errorString()).
bool sendDateInitialisation(SerialLink &link, const Clock &today = &QDate::currentDate);

} // namespace DateCommand
