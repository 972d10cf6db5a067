#pragma once

#include "SimJournal.h"
#include "SimTerminalData.h"

#include <QString>

class SimTerminal;

// The data files of one terminal: the snapshot DIR/<id>.dat (SimStore) and
// its journal DIR/<id>.journal (SimJournal). A change is stored by appending
// its record to the journal; on start the journal is replayed onto the
// snapshot and folded into a new snapshot (compaction), in an order that a
// crash at any point leaves recoverable:
//   1. the new snapshot, marked with the last change it holds, replaces the old
//      one atomically; a journal beside it holds changes the snapshot already
//      has, and they are skipped by sequence number;
//   2. an empty journal replaces the old one atomically.
class SimTerminalStore {
public:
    // crashAt: for crash tests, the compaction step at which the process kills
    // itself (1: new snapshot written, not in place; 2: snapshot in place,
    // journal not yet emptied; 3: empty journal written, not in place); 0: never.
    explicit SimTerminalStore(const QString& snapshotPath, int crashAt = 0);

    QString snapshotPath() const { return m_snapshotPath; }
    QString journalPath() const { return m_journalPath; }
    bool exists() const;

    // Loads the snapshot and replays the journal into terminal (whose kind must
    // match), compacts when the journal held anything, and opens the journal.
    // replayed: the changes taken from the journal.
    bool load(SimTerminal& terminal, QString& error, qint64& replayed);
    // Writes a fresh snapshot of data and an empty journal, and opens it.
    bool create(const SimTerminalData& data, QString& error);
    // Stores one change record durably.
    bool append(const QByteArray& record, QString& error);

private:
    bool compact(const SimTerminalData& data, quint64 sequence, QString& error);
    void crashPoint(int step) const;

    QString m_snapshotPath;
    QString m_journalPath;
    int m_crashAt;
    SimJournal m_journal;
};
