// Appends and posts n attendance records to the record table while a shown
// grid watches it, the way the collection of a colour terminal does: one
// appendPosted per record and a call of the window-message pump after every
// row, through the production pump (which dispatches about every 10 ms).
//
// Besides the common figures each line gives ns_per_row, bytes_per_row (peak
// memory beyond what the process held before the first row, per row) and
// max_gap_ms, the longest time the window went without its messages being
// dispatched. Run without arguments, the program ends with a line comparing
// the per-row cost at 4M rows with that at 100k rows (1.0: linear growth).
#include "BenchSupport.h"
#include "QvTables.h"
#include "StandardUiServices.h"
#include "WorkingTable.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace {
const QList<qint64> kSizes{10'000, 100'000, 1'000'000, 4'000'000};

// Resident memory of this process now, in MB (VmRSS).
double currentRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

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
    StandardEventPump pump;

    // A zero-interval timer fires once per dispatch: the longest time between
    // two firings is the longest time the window could not repaint or take input.
    QElapsedTimer clock;
    qint64 lastDispatchNs = 0, maxGapNs = 0;
    QTimer dispatches;
    dispatches.setInterval(0);
    QObject::connect(&dispatches, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        maxGapNs = std::max(maxGapNs, now - lastDispatchNs);
        lastDispatchNs = now;
    });

    const QStringView kinds[] = {u"上班", u"下班", u"外出"};
    const QDate origin(2024, 1, 1);
    qint64 cachedDay = -1;
    char16_t time[19];
    const double rssBeforeMb = currentRssMb();
    dispatches.start();
    clock.start();
    for (qint64 i = 0; i < n; ++i) {
        // A log arrives oldest first, about one record a minute per terminal.
        const qint64 secs = i * 37;
        if (secs / 86400 != cachedDay) {
            cachedDay = secs / 86400;
            const QString day = origin.addDays(cachedDay).toString(QStringLiteral("yyyy-MM-dd"));
            std::copy(day.utf16(), day.utf16() + 10, time);
            time[10] = u' ';
            time[13] = time[16] = u':';
        }
        const int inDay = static_cast<int>(secs % 86400);
        for (auto [at, value] : {std::pair{11, inDay / 3600}, {14, inDay / 60 % 60}, {17, inDay % 60}}) {
            time[at] = static_cast<char16_t>(u'0' + value / 10);
            time[at + 1] = static_cast<char16_t>(u'0' + value % 10);
        }
        const QString enroll = QString::number(1 + i % 500);
        records.appendPosted({1 + static_cast<int>(i % 3), enroll, QStringView(u""), QStringView(time, 19), kinds[i % 3]});
        pump.processEvents();
    }
    records.flushPending();
    QCoreApplication::processEvents();
    const qint64 endNs = clock.nsecsElapsed();
    maxGapNs = std::max(maxGapNs, endNs - lastDispatchNs);
    const double seconds = endNs / 1e9;
    if (view.model()->rowCount() != n)
        qFatal("grid shows %d rows, expected %lld", view.model()->rowCount(), static_cast<long long>(n));
    const double bytesPerRow = (bench::peakRssMb() - rssBeforeMb) * 1024 * 1024 / static_cast<double>(n);
    bench::printResult("record_table", n, seconds,
                       QStringLiteral("ns_per_row=%1 bytes_per_row=%2 max_gap_ms=%3")
                           .arg(endNs / static_cast<double>(n), 0, 'f', 0)
                           .arg(bytesPerRow, 0, 'f', 1)
                           .arg(maxGapNs / 1e6, 0, 'f', 1));
}

// Runs every size in a process of its own, passes the lines on, and adds the growth line.
int runAll()
{
    QHash<qint64, double> nsPerRow;
    int status = 0;
    for (qint64 n : kSizes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QString::number(n)});
        child.waitForFinished(-1);
        const QByteArray output = child.readAllStandardOutput();
        std::fputs(output.constData(), stdout);
        std::fflush(stdout);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            status = 1;
        const auto match = QRegularExpression(QStringLiteral("ns_per_row=(\\d+)")).match(QString::fromUtf8(output));
        if (match.hasMatch())
            nsPerRow[n] = match.captured(1).toDouble();
    }
    if (nsPerRow.value(100'000) > 0 && nsPerRow.contains(4'000'000))
        std::printf("bench=record_table_growth from=100000 to=4000000 per_row_cost_ratio=%.2f\n",
                    nsPerRow.value(4'000'000) / nsPerRow.value(100'000));
    return status;
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1) {
        runOne(QString::fromLocal8Bit(argv[1]).toLongLong());
        return 0;
    }
    return runAll();
}
