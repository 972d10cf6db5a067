#pragma once

#include "TerminalEntry.h"

#include <QList>
#include <QString>

// The terminal-list file: a CSV file (see Csv.h) whose first row names the
// columns and whose every further row is one terminal. The columns are the
// device table's (TerminalEntry::columns()), in any order; a column the file
// does not have takes the value of a newly added terminal, and columns it has
// besides (连接状态, say) are ignored. QV imports and exports it, and the
// command-line collector reads it.
namespace TerminalListFile {

struct Row {
    int line = 0; // line of the file the terminal was read from
    TerminalEntry entry;
};

struct Rejected {
    int line = 0;
    QString reason;
};

struct Contents {
    QList<Row> terminals; // rows that passed the entry checks
    QList<Rejected> rejected;
};

// Reads the file; each row goes through TerminalEntry::checkStored(), and a
// failing row is listed with its reason instead of being taken. False, with a
// message naming the file, when it cannot be read or is not a terminal list.
bool read(const QString& path, Contents& contents, QString& error);

// Writes the terminals atomically; false with a message naming the file.
bool write(const QString& path, const QList<TerminalEntry>& terminals, QString& error);

// "第N行：REASON", one line per rejected row.
QString describe(const QList<Rejected>& rejected);

} // namespace TerminalListFile
