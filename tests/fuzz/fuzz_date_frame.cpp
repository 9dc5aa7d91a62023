// Arbitrary year, month and day: the frame always has the fixed layout, its
// checksum always follows the XOR rule, and both transmissions carry them.
#include "date_command.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const quint8 high = data[0];
    const quint8 low = data[1];
    const quint8 month = data[2];
    const quint8 day = data[3];

    using namespace DateCommand;
    const QByteArray frame = composeFrame(static_cast<quint16>(high << 8 | low), month, day);
    const char expected[14] = {'@',
                               '@',
                               'G',
                               'b',
                               static_cast<char>(month),
                               static_cast<char>(day),
                               static_cast<char>(high),
                               static_cast<char>(low)};
    if (frame != QByteArray(expected, sizeof expected))
        std::abort();

    const auto checksum = static_cast<char>(0x47 ^ 0x62 ^ month ^ day ^ high ^ low);
    const QByteArray a = transmissionA(frame);
    const QByteArray b = transmissionB(frame);
    if (a != frame + checksum + QByteArray("\r\n\x1b\xfa\x85")
        || b != frame + checksum + QByteArray("\r\n\x1b$KT-302M"))
        std::abort();
    return 0;
}
