#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

// The journal of one terminal: the change records made since its snapshot
// (SimStore), each appended and flushed to disk before the change is
// acknowledged, so that one change costs a write of its own size rather than
// of the whole data.
//
// Layout: a 16-byte header - magic "QVTJ", u32 format version (1), u64 zero -
// then one entry per change: u32 record length, u32 CRC-32 of the sequence
// and the record, u64 sequence number (consecutive), the record
// (SimTerminal::pendingChanges()). Only the last entry can be incomplete after
// a crash; it was never acknowledged and is dropped when reading.
class SimJournal {
public:
    static constexpr quint32 FormatVersion = 1;
    static constexpr int HeaderSize = 16;
    static constexpr int EntryHeaderSize = 16;

    struct Entry {
        quint64 sequence = 0;
        QByteArray record;
    };

    SimJournal() = default;
    ~SimJournal();
    SimJournal(const SimJournal&) = delete;
    SimJournal& operator=(const SimJournal&) = delete;

    // Reads a journal file; an incomplete or torn last entry is dropped (torn
    // tells whether one was). false with a reason when the file is damaged
    // elsewhere or is not a journal.
    static bool read(const QString& path, std::vector<Entry>& entries, bool& torn, QString& error);
    // Replaces the file at path by an empty journal, atomically.
    static bool writeEmpty(const QString& path, QString& error, const std::function<void()>& beforeRename = {});

    // Opens an existing journal for appending after the change lastSequence.
    bool open(const QString& path, quint64 lastSequence, QString& error);
    // Appends one change record and flushes it to disk. On failure the file is
    // cut back to what it was, so the record never reappears on a restart.
    bool append(const QByteArray& record, QString& error);
    quint64 lastSequence() const { return m_lastSequence; }
    qint64 size() const { return m_size; }

private:
    void close();

    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
    quint64 m_lastSequence = 0;
    QString m_broken; // why appending is no longer safe; empty while it is
};
