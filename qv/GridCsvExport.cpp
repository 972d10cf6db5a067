#include "GridCsvExport.h"

#include "BandHeaderView.h"
#include "Csv.h"
#include "DataGrid.h"
#include "WorkingTable.h"

#include <QElapsedTimer>

namespace GridCsvExport {
namespace {
QList<int> shownColumns(const DataGrid& grid)
{
    QList<int> columns;
    const QHeaderView* header = grid.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!grid.isColumnHidden(logical))
            columns << logical;
    }
    return columns;
}
} // namespace

QStringList titles(const DataGrid& grid)
{
    QStringList texts;
    for (const int column : shownColumns(grid)) {
        QString title = grid.bandHeader()->title(column);
        title.replace(QLatin1Char('|'), QLatin1Char(' '));
        texts << title;
    }
    return texts;
}

Outcome write(DataGrid& grid, const QString& path, const Step& step, QString& error)
{
    if (WorkingTable* table = grid.table())
        table->flushPending(); // rows posted in the last moments belong to the export too
    const QAbstractItemModel* model = grid.model();
    const QList<int> columns = shownColumns(grid);
    CsvWriter writer(path);
    if (!writer.open()) {
        error = writer.errorString();
        return Outcome::Failed;
    }
    writer.addRow(titles(grid));
    const qsizetype total = model ? model->rowCount() : 0;
    QElapsedTimer sinceStep;
    sinceStep.start();
    for (int row = 0; row < total; ++row) {
        for (const int column : columns)
            writer.addField(model->data(model->index(row, column)).toString());
        writer.endRow();
        if ((row & 0x3FF) == 0x3FF && sinceStep.elapsed() >= 30) {
            if (step && !step(row + 1, total)) {
                writer.cancel();
                return Outcome::Cancelled;
            }
            sinceStep.restart();
        }
    }
    if (!writer.commit()) {
        error = writer.errorString();
        return Outcome::Failed;
    }
    return Outcome::Written;
}

} // namespace GridCsvExport
