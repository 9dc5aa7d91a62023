// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QSerialPort;

// What the system says about a serial device, in the operator's words. Each
// platform has its own answers (device_access_unix.cpp,
// device_access_windows.cpp).
namespace DeviceAccess {

// True for a path that is there but is no device, such as a plain file or a
// folder, which is then never opened for writing.
bool isNotADevice(const QString &device);

// Why an open that the system refused did not succeed, to follow "could not
// be opened: ": held by another program, a lock file left behind, or the
// user's lack of rights. `systemReason` is the serial port's own text.
QString refusal(const QString &device, const QString &systemReason);

// Whether the system has hung the open `port` up, as it does when a USB
// adapter is pulled out. Qt releases differ in how QSerialPort reports that,
// and whether it does at all, so the system itself is asked.
bool hasHungUp(const QSerialPort &port);

// Calls `hungUp` once when the system hangs the open `port` up, without
// waiting for the next write; the watch ends when the object is destroyed.
std::unique_ptr<QObject> watchForHangUp(const QSerialPort &port, std::function<void()> hungUp);

} // namespace DeviceAccess
