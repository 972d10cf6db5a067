#include "DeviceListTransfer.h"

#include "WorkingTable.h"

#include <algorithm>
#include <exception>

namespace DeviceListTransfer {

bool importFile(WorkingTable& devices, const QString& path, ImportResult& result, QString& error)
{
    result = {};
    TerminalListFile::Contents contents;
    if (!TerminalListFile::read(path, contents, error))
        return false;
    result.rejected = contents.rejected;
    for (const TerminalListFile::Row& row : contents.terminals) {
        devices.append(); // the after-insert handler fills the defaults
        try {
            for (const QString& column : TerminalEntry::columns())
                devices.setFieldValue(column, row.entry.value(column));
            devices.post();
            ++result.added;
        } catch (const std::exception& refused) {
            devices.cancel();
            result.rejected << TerminalListFile::Rejected{row.line, QString::fromUtf8(refused.what())};
        }
    }
    std::sort(result.rejected.begin(), result.rejected.end(),
              [](const auto& a, const auto& b) { return a.line < b.line; });
    return true;
}

bool exportFile(WorkingTable& devices, const QString& path, QString& error)
{
    devices.flushPending();
    const QStringList columns = TerminalEntry::columns();
    QList<TerminalEntry> terminals;
    for (int row = 0; row < devices.rowCount(); ++row) {
        TerminalEntry entry;
        for (const QString& column : columns)
            entry.setValue(column, devices.data(devices.index(row, devices.fieldIndex(column))).toString());
        terminals << entry;
    }
    return TerminalListFile::write(path, terminals, error);
}

} // namespace DeviceListTransfer
