#include "TerminalListFile.h"

#include "Csv.h"

#include <QDir>

namespace TerminalListFile {

bool read(const QString& path, Contents& contents, QString& error)
{
    contents = {};
    QList<Csv::Record> records;
    if (!Csv::readFile(path, records, error))
        return false;
    const QStringList known = TerminalEntry::columns();
    QList<QString> columnOf; // header position -> column name (empty: ignored)
    if (!records.isEmpty())
        for (const QString& title : records.first().fields)
            columnOf << (known.contains(title.trimmed()) ? title.trimmed() : QString());
    if (!columnOf.contains(TerminalEntry::kDeviceNo)) {
        error = QStringLiteral("文件“%1”不是设备列表：第一行应为列名（%2）")
                    .arg(QDir::toNativeSeparators(path), known.join(QLatin1Char(',')));
        return false;
    }
    for (qsizetype r = 1; r < records.size(); ++r) {
        const Csv::Record& record = records.at(r);
        TerminalEntry entry;
        for (qsizetype i = 0; i < columnOf.size(); ++i)
            if (!columnOf.at(i).isEmpty())
                entry.setValue(columnOf.at(i), i < record.fields.size() ? record.fields.at(i) : QString());
        if (const auto problem = entry.checkStored())
            contents.rejected << Rejected{record.line, problem->message};
        else
            contents.terminals << Row{record.line, entry};
    }
    return true;
}

bool write(const QString& path, const QList<TerminalEntry>& terminals, QString& error)
{
    CsvWriter writer(path);
    if (writer.open()) {
        const QStringList columns = TerminalEntry::columns();
        writer.addRow(columns);
        for (const TerminalEntry& terminal : terminals) {
            for (const QString& column : columns)
                writer.addField(terminal.value(column));
            writer.endRow();
        }
        if (writer.commit())
            return true;
    }
    error = writer.errorString();
    return false;
}

QString describe(const QList<Rejected>& rejected)
{
    QStringList lines;
    for (const Rejected& r : rejected)
        lines << QStringLiteral("第%1行：%2").arg(r.line).arg(r.reason);
    return lines.join(QLatin1Char('\n'));
}

} // namespace TerminalListFile
