// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "port_directory.h"

// How the machine numbers its serial ports; each platform has its own
// (system_ports_unix.cpp, system_ports_windows.cpp).
namespace SystemPorts {

// The machine's serial ports now, each with the port number it stands for,
// in the order of their numbers. `systemRoot` is where /sys and /dev are
// found, on the platforms that have them.
QList<PortDirectory::Port> list(const QString &systemRoot, bool withDetails);

// What a port number that no listed port has stands for: nothing, or the
// port of that name, which is still tried.
QString unlistedDevice(qint16 portNumber);

} // namespace SystemPorts
