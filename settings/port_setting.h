#pragma once

#include <QString>

#include <optional>

// The one value TALVEN remembers between runs: the number of the serial port
// chosen last, kept in the per-user settings store (on Linux the file
// ~/.config/TALVEN/TALVEN.conf) as section "Startup", key "Orvcomm", value the
// port number as decimal text. The same store may map a port number to a
// device of the user's choice in section "Ports" ("Com3=/dev/ttyUSB0"); TALVEN
// reads that map but never writes it.
//
// Every operation opens the store afresh, so a change made by hand while the
// program runs is seen by the next read.
class PortSetting
{
public:
    // The stored port number, or 1 when none is stored. Fails (nullopt, with
    // errorString()) when the store cannot be read or the stored text is not
    // a 16-bit integer.
    std::optional<qint16> read();

    // Replaces the stored port number with the decimal text of `portNumber`.
    bool save(qint16 portNumber);

    // The device the user mapped to port `portNumber` ("Ports", "ComN"), or
    // nullopt when there is no usable mapping.
    std::optional<QString> mappedDevice(int portNumber) const;

    QString errorString() const { return m_errorString; }

    // Stored port numbers are read as the decimal text of a 16-bit integer
    // with an optional sign; spaces around it are ignored, anything else
    // (fractions, exponents, words, digits out of range) is refused.
    static std::optional<qint16> parsePortNumber(const QString &text);

private:
    QString m_errorString;
};
