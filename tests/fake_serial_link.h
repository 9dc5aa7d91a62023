#pragma once

#include "serial_link.h"

#include <QSet>
#include <QStringList>

// A serial link whose failures are chosen by the test: for the faults a real
// device cannot be made to show (a close that fails, a refused port number,
// an open state that cannot be read). It logs every call in order.
class FakeSerialLink final : public SerialLink
{
public:
    enum Operation { SetPortNumber, IsOpen, Open, Close, DiscardInput, Write };

    QSet<Operation> failing;
    QStringList calls;
    bool open_ = false;
    qint16 portNumber = 1;

    bool setPortNumber(qint16 number) override
    {
        if (!attempt(SetPortNumber, QStringLiteral("setPortNumber %1").arg(number),
                     QStringLiteral("Com%1 refused").arg(number)))
            return false;
        portNumber = number;
        return true;
    }
    std::optional<bool> isOpen() override
    {
        if (!attempt(IsOpen, QStringLiteral("isOpen"), QStringLiteral("open state unreadable")))
            return std::nullopt;
        return open_;
    }
    bool open() override
    {
        if (!attempt(Open, QStringLiteral("open Com%1").arg(portNumber),
                     QStringLiteral("Com%1 cannot be opened").arg(portNumber)))
            return false;
        open_ = true;
        return true;
    }
    bool close() override
    {
        if (!attempt(Close, QStringLiteral("close"), QStringLiteral("close failed")))
            return false;
        open_ = false;
        return true;
    }
    bool discardInput() override
    {
        return attempt(DiscardInput, QStringLiteral("discardInput"),
                       QStringLiteral("discard failed"));
    }
    bool write(const QByteArray &octets) override
    {
        return attempt(Write, QStringLiteral("write %1").arg(octets.size()),
                       QStringLiteral("write failed"));
    }
    QString errorString() const override { return m_errorString; }

private:
    bool attempt(Operation operation, const QString &call, const QString &failure)
    {
        calls << call;
        if (!failing.contains(operation))
            return true;
        m_errorString = failure;
        return false;
    }

    QString m_errorString;
};
