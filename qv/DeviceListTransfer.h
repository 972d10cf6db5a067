#pragma once

#include "TerminalListFile.h"

#include <QString>

class WorkingTable;

// The device table to and from a terminal-list file (TerminalListFile.h).
namespace DeviceListTransfer {

struct ImportResult {
    int added = 0;
    QList<TerminalListFile::Rejected> rejected; // with the reason, in file order
};

// Appends each row of the file to the device table as the terminal editor
// would post it: a new row with the defaults, the file's values, the editor's
// entry checks; a row that fails a check or that the table refuses is not
// added. False, with a message naming the file, when the file cannot be read
// or is not a terminal list; nothing is added then.
bool importFile(WorkingTable& devices, const QString& path, ImportResult& result, QString& error);

// Writes every terminal of the device table, in its order, atomically.
bool exportFile(WorkingTable& devices, const QString& path, QString& error);

} // namespace DeviceListTransfer
