#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class DataGrid;

// Writes every row of a grid to a CSV file (Csv.h): the columns the grid
// shows, in their current order, under their titles as the grid shows them (a
// two-row title "upper|lower" becomes "upper lower"), and the rows in the
// grid's current sort. Hidden columns stay out.
namespace GridCsvExport {

QStringList titles(const DataGrid& grid);

// Asked every ~30 ms with the rows written so far and the total; answering
// false cancels the export (the target file stays as it was).
using Step = std::function<bool(qsizetype done, qsizetype total)>;

enum class Outcome { Written, Cancelled, Failed };

// error names the file when the outcome is Failed.
Outcome write(DataGrid& grid, const QString& path, const Step& step, QString& error);

} // namespace GridCsvExport
