// Exports a record grid of n rows (filled as a collection fills it) to a CSV
// file, the way the grid's "导出CSV文件…" writes it.
#include "BenchSupport.h"
#include "DataGrid.h"
#include "GridCsvExport.h"
#include "QvTables.h"
#include "WorkingTable.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
void runOne(qint64 n)
{
    WorkingTable records(QStringLiteral("records"));
    QvTables::rebuildRecordTable(records);
    const QString kinds[] = {QStringLiteral("上班"), QStringLiteral("下班"), QStringLiteral("外出")};
    const QDate origin(2024, 1, 1);
    for (qint64 i = 0; i < n; ++i) {
        const qint64 secs = i * 37;
        const int inDay = static_cast<int>(secs % 86400);
        records.append();
        records.setFieldValue(QvTables::kDeviceNo, 1 + static_cast<int>(i % 20));
        records.setFieldValue(QvTables::kEnrollNo, QString::number(1 + i % 500));
        records.setFieldValue(QvTables::kName, QString());
        records.setFieldValue(QvTables::kTime, origin.addDays(secs / 86400).toString(QStringLiteral("yyyy-MM-dd")) +
                                                   QString::asprintf(" %02d:%02d:%02d", inDay / 3600, inDay / 60 % 60,
                                                                     inDay % 60));
        records.setFieldValue(QvTables::kKind, kinds[i % 3]);
        records.post();
    }
    records.flushPending();
    DataGrid grid;
    grid.setTable(&records, {{QvTables::kDeviceNo, 60},
                             {QvTables::kEnrollNo, 60},
                             {QvTables::kName, 80},
                             {QvTables::kTime, 140},
                             {QvTables::kKind, 70}});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("records.csv"));
    int steps = 0;
    QElapsedTimer clock;
    clock.start();
    QString error;
    const auto outcome = GridCsvExport::write(
        grid, path,
        [&steps](qsizetype, qsizetype) {
            ++steps;
            QCoreApplication::processEvents();
            return true;
        },
        error);
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (outcome != GridCsvExport::Outcome::Written)
        qFatal("export failed: %s", qPrintable(error));
    bench::printResult("export_csv", n, seconds,
                       QStringLiteral("mb=%1 progress_steps=%2")
                           .arg(QFileInfo(path).size() / 1e6, 0, 'f', 1)
                           .arg(steps));
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench::runSizes(argc, argv, {100'000, 1'000'000, 4'000'000}, runOne);
}
