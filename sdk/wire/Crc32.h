#pragma once

#include <QtGlobal>

// CRC-32 (IEEE 802.3, reflected, polynomial 0xEDB88320), as used by zip and PNG.
// Processes eight bytes per step, so a bulk transfer spends little time on it.
class Crc32 {
public:
    // Continues a running checksum: start with crc = 0.
    static quint32 update(quint32 crc, const void* data, qsizetype length);
    static quint32 compute(const void* data, qsizetype length) { return update(0, data, length); }
};
