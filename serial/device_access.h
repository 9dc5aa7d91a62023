#pragma once

#include <QString>

// What the system says about opening a serial device, in the operator's
// words. Each platform has its own answers (device_access_unix.cpp,
// device_access_windows.cpp).
namespace DeviceAccess {

// True for a path that is there but is no device, such as a plain file or a
// folder, which is then never opened for writing.
bool isNotADevice(const QString &device);

// Why an open that the system refused did not succeed, to follow "could not
// be opened: ": held by another program, a lock file left behind, or the
// user's lack of rights. `systemReason` is the serial port's own text.
QString refusal(const QString &device, const QString &systemReason);

} // namespace DeviceAccess
