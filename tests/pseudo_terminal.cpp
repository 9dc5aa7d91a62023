#include "pseudo_terminal.h"

#include <QDeadlineTimer>
#include <QFile>

#include <poll.h>
#include <pty.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    char name[256] = {};
    if (::openpty(&m_controller, &m_device, name, nullptr, nullptr) != 0) {
        m_controller = m_device = -1;
        return;
    }
    m_deviceName = QFile::decodeName(name);
}

PseudoTerminal::~PseudoTerminal()
{
    hangUp();
    if (m_device >= 0)
        ::close(m_device);
}

QByteArray PseudoTerminal::read(int count, int timeoutMs)
{
    QByteArray received;
    const QDeadlineTimer deadline(timeoutMs);
    while (received.size() < count && m_controller >= 0) {
        pollfd ready{m_controller, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(deadline.remainingTime())) <= 0)
            break;
        char octet = 0;
        if (::read(m_controller, &octet, 1) != 1)
            break;
        received.append(octet);
    }
    return received;
}

QByteArray PseudoTerminal::readRest(int quietMs)
{
    QByteArray received;
    for (QByteArray more = read(1, quietMs); !more.isEmpty(); more = read(1, quietMs))
        received.append(more);
    return received;
}

termios PseudoTerminal::lineSettings() const
{
    termios settings{};
    ::tcgetattr(m_device, &settings);
    return settings;
}

void PseudoTerminal::hangUp()
{
    if (m_controller >= 0)
        ::close(m_controller);
    m_controller = -1;
}
