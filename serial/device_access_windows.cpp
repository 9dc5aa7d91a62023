// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device_access.h"

#include <QCoreApplication>

namespace DeviceAccess {

// A COM port name is no path, so there is nothing to look at before opening.
bool isNotADevice(const QString & /*device*/)
{
    return false;
}

// Windows refuses a COM port that another program holds with "access denied".
QString refusal(const QString & /*device*/, const QString & /*systemReason*/)
{
    return QCoreApplication::translate("SerialLink", "it is in use by another program.");
}

// QSerialPort reports a COM port that vanished while open as a ResourceError
// itself, at once, so there is nothing more to ask or to watch.
bool hasHungUp(const QSerialPort & /*port*/)
{
    return false;
}

std::unique_ptr<QObject> watchForHangUp(const QSerialPort & /*port*/,
                                        std::function<void()> /*hungUp*/)
{
    return nullptr;
}

} // namespace DeviceAccess
