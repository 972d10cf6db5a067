#pragma once

#include "SimTerminalData.h"

#include <QByteArray>
#include <QString>

// The data file of one terminal, also used as the image of BackupData/RestoreData.
//
// Layout: a 24-byte header - magic "QVTD", u32 format version (1), u64 payload
// length, u32 CRC-32 of the payload, u32 zero - then the payload (all
// little-endian): u8 kind, i64 clock offset, 35 x i32 parameters; users
// (u32 count; each str8 enroll, str8 name, str8 password, i32 privilege,
// u8 enabled, u16 finger mask, then u16 length + bytes per template); enroll
// texts (u32 count; str8 each); attendance log (u32 count; 16 bytes each:
// u32 enroll text index, u32 time, u32 work code, u8 verify, u8 state, u16 0);
// management log (u32 count; 24 bytes each, the management log record of
// WireRecords); firmware records (u32 count; str16 name, u32 size, u32 CRC,
// u32 time).
//
// Files are written atomically: a temporary file in the same directory is
// written and flushed to disk, renamed over the old one, and the directory is
// flushed, so a crash leaves either the old or the new file, never a mix.
class SimStore {
public:
    static constexpr quint32 FormatVersion = 1;
    static constexpr int HeaderSize = 24;

    static QByteArray serialize(const SimTerminalData& data);
    // false with a reason when the image is truncated, corrupt or of another format.
    static bool deserialize(const QByteArray& image, SimTerminalData& data, QString& error);

    static bool save(const QString& path, const SimTerminalData& data, QString& error);
    static bool load(const QString& path, SimTerminalData& data, QString& error);
    static bool writeAtomically(const QString& path, const QByteArray& bytes, QString& error);
};
