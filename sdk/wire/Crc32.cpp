#include "Crc32.h"

#include <array>
#include <cstring>

#include <QtEndian>

namespace {

struct Tables {
    std::array<std::array<quint32, 256>, 8> t{};
    Tables()
    {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
            t[0][i] = c;
        }
        for (int s = 1; s < 8; ++s)
            for (int i = 0; i < 256; ++i)
                t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    }
};

const Tables& tables()
{
    static const Tables instance;
    return instance;
}

} // namespace

quint32 Crc32::update(quint32 crc, const void* data, qsizetype length)
{
    const auto& t = tables().t;
    const auto* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
    while (length >= 8) {
        quint32 lo;
        quint32 hi;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + 4, 4);
#if Q_BYTE_ORDER == Q_BIG_ENDIAN
        lo = qFromLittleEndian(lo);
        hi = qFromLittleEndian(hi);
#endif
        lo ^= crc;
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
        p += 8;
        length -= 8;
    }
    while (length-- > 0)
        crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
