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
        calls << QStringLiteral("setPortNumber %1").arg(number);
        if (failing.contains(SetPortNumber))
            return fail(QStringLiteral("Com%1 refused").arg(number));
        portNumber = number;
        return true;
    }
    std::optional<bool> isOpen() override
    {
        calls << QStringLiteral("isOpen");
        if (failing.contains(IsOpen)) {
            fail(QStringLiteral("open state unreadable"));
            return std::nullopt;
        }
        return open_;
    }
    bool open() override
    {
        calls << QStringLiteral("open Com%1").arg(portNumber);
        if (failing.contains(Open))
            return fail(QStringLiteral("Com%1 cannot be opened").arg(portNumber));
        open_ = true;
        return true;
    }
    bool close() override
    {
        calls << QStringLiteral("close");
        if (failing.contains(Close))
            return fail(QStringLiteral("close failed"));
        open_ = false;
        return true;
    }
    bool discardInput() override
    {
        calls << QStringLiteral("discardInput");
        return !failing.contains(DiscardInput) || fail(QStringLiteral("discard failed"));
    }
    bool write(const QByteArray &octets) override
    {
        calls << QStringLiteral("write %1").arg(octets.size());
        return !failing.contains(Write) || fail(QStringLiteral("write failed"));
    }
    QString errorString() const override { return m_errorString; }

private:
    bool fail(const QString &description)
    {
        m_errorString = description;
        return false;
    }

    QString m_errorString;
};
