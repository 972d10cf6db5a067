#pragma once

#include "SimTerminalData.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The data file (snapshot) of one terminal, also used as the image of
// BackupData/RestoreData. The changes made after a snapshot are kept in its
// journal (SimJournal); the journal sequence in the header says which changes
// the snapshot already holds.
//
// Layout: a 32-byte header - magic "QVTD", u32 format version (2), u64 payload
// length, u32 CRC-32 of the payload, u32 zero, u64 journal sequence (the last
// change folded in; 0: none) - then the payload (all little-endian): u8 kind, i64 clock offset, 35 x i32 parameters; users
// (u32 count; each str8 enroll, str8 name, str8 password, i32 privilege,
// u8 enabled, u16 finger mask, then u16 length + bytes per template); enroll
// texts (u32 count; str8 each); attendance log (u32 count; 16 bytes each:
// u32 enroll text index, u32 time, u32 work code, u8 verify, u8 state, u16 0);
// management log (u32 count; 24 bytes each, the management log record of
// WireRecords); firmware records (u32 count; str16 name, u32 size, u32 CRC,
// u32 time).
//
// Version 1 files (a 24-byte header without the journal sequence) are read
// as sequence 0. Files are written atomically: a temporary file in the same directory is
// written and flushed to disk, renamed over the old one, and the directory is
// flushed, so a crash leaves either the old or the new file, never a mix.
class SimStore {
public:
    static constexpr quint32 FormatVersion = 2;
    static constexpr int HeaderSize = 32;

    static QByteArray serialize(const SimTerminalData& data, quint64 journalSequence = 0);
    // false with a reason when the image is truncated, corrupt or of another format.
    static bool deserialize(const QByteArray& image, SimTerminalData& data, QString& error,
                            quint64* journalSequence = nullptr);

    static bool load(const QString& path, SimTerminalData& data, QString& error, quint64* journalSequence = nullptr);
    // beforeRename runs once the temporary file is complete and flushed (a point to test a crash at).
    static bool writeAtomically(const QString& path, const QByteArray& bytes, QString& error,
                                const std::function<void()>& beforeRename = {});
    // Flushes a directory, so that a rename in it is durable.
    static void syncDirectory(const QString& filePath);
    // A terminal clock offset that keeps the clock within the years the wire can carry.
    static bool plausibleClockOffset(qint64 seconds);
};
