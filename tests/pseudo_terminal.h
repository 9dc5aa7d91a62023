#pragma once

#include <QByteArray>
#include <QString>

#include <termios.h>

// A real pseudo-terminal pair. The code under test opens the device end by
// its name; the test reads what arrives at the other end octet by octet.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_controller >= 0; }
    QString deviceName() const { return m_deviceName; }
    int controllerHandle() const { return m_controller; }

    // Reads until `count` octets have arrived or `timeoutMs` has passed.
    QByteArray read(int count, int timeoutMs = 2000);
    // Whatever else arrives within `quietMs`.
    QByteArray readRest(int quietMs = 50);
    termios lineSettings() const;
    // The far end goes away, as an unplugged adapter does.
    void hangUp();

private:
    int m_controller = -1;
    int m_device = -1;
    QString m_deviceName;
};
