// Appends and posts n attendance records to the record table while a shown
// grid watches it, pumping window messages after every row as the collection
// of a colour terminal does.
#include "BenchSupport.h"
#include "QvTables.h"
#include "WorkingTable.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>

namespace {
void runOne(qint64 n)
{
    WorkingTable records(QStringLiteral("records"));
    QvTables::rebuildRecordTable(records);
    QTableView view;
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(18);
    view.setModel(&records);
    view.resize(500, 400);
    view.show();
    QCoreApplication::processEvents();

    const QString kinds[] = {QStringLiteral("上班"), QStringLiteral("下班"), QStringLiteral("外出")};
    const QDate origin(2024, 1, 1);
    qint64 cachedDay = -1;
    QByteArray dayText;
    QElapsedTimer clock;
    clock.start();
    for (qint64 i = 0; i < n; ++i) {
        // A log arrives oldest first, about one record a minute per terminal.
        const qint64 secs = i * 37;
        if (secs / 86400 != cachedDay) {
            cachedDay = secs / 86400;
            dayText = origin.addDays(cachedDay).toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        }
        const int inDay = static_cast<int>(secs % 86400);
        const QString time = QString::asprintf("%s %02d:%02d:%02d", dayText.constData(), inDay / 3600,
                                               inDay / 60 % 60, inDay % 60);
        records.append();
        records.setFieldValue(QvTables::kDeviceNo, 1 + static_cast<int>(i % 3));
        records.setFieldValue(QvTables::kEnrollNo, QString::number(1 + i % 500));
        records.setFieldValue(QvTables::kName, QString());
        records.setFieldValue(QvTables::kTime, time);
        records.setFieldValue(QvTables::kKind, kinds[i % 3]);
        records.post();
        QCoreApplication::processEvents();
    }
    records.flushPending();
    QCoreApplication::processEvents();
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (view.model()->rowCount() != n)
        qFatal("grid shows %d rows, expected %lld", view.model()->rowCount(), static_cast<long long>(n));
    bench::printResult("record_table", n, seconds);
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench::runSizes(argc, argv, {10'000, 100'000, 1'000'000}, runOne);
}
