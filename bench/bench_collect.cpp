// QV's two bulk reads end to end: the record collection and the user
// retrieval over every terminal of the device table, through the real SDK
// client, against five emulated terminals on loopback, into the working
// tables with a shown grid, with the 100 ms pause after each terminal.
#include "BenchSupport.h"
#include "QvTables.h"
#include "RecordCollection.h"
#include "StandardUiServices.h"
#include "TTermSdk.h"
#include "TerminalVisit.h"
#include "UserRetrieval.h"
#include "WorkingTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>

#include <cstdlib>

namespace {
constexpr int kTerminals = 5;
constexpr qint64 kLogsPerTerminal = 200'000;
constexpr qint64 kUsersPerTerminal = 10'000;
// Logs span 100 days ending here, so one day of them is about 1%.
const QString kLastDay = QStringLiteral("2026-12-31");

// Counts the boxes instead of showing them: a failed connect is a failed benchmark.
class CountingBoxes : public IMessageBoxes {
public:
    int shown = 0;
    void showError(QWidget*, const QString& text) override
    {
        ++shown;
        qWarning("bench: %s", qPrintable(text));
    }
    void showInformation(QWidget*, const QString&) override { ++shown; }
    bool askYesNo(QWidget*, const QString&) override { return false; }
};

// A case is "users", or a range ("all" or "1pct") and the log size of each terminal, as "all:200000".
void runCase(const QString& caseName)
{
    const QString name = caseName.section(QLatin1Char(':'), 0, 0);
    bool sizeOk = true;
    const qint64 logsPerTerminal = caseName.contains(QLatin1Char(':'))
                                       ? caseName.section(QLatin1Char(':'), 1).toLongLong(&sizeOk)
                                       : kLogsPerTerminal;
    const bool users = name == QLatin1String("users");
    const bool range = name == QLatin1String("all") || name == QLatin1String("1pct");
    if ((!users && !range) || !sizeOk || logsPerTerminal <= 0) {
        std::fprintf(stderr, "bench_collect: cannot read the case \"%s\" (users, all:N or 1pct:N with N > 0)\n",
                     qPrintable(caseName));
        std::exit(2);
    }
    QStringList specs;
    for (int i = 1; i <= kTerminals; ++i)
        specs << QStringLiteral("machine=1,kind=color,tcp=0,id=t%1,seed=%1,days=100,end=%2,users=%3,logs=%4")
                     .arg(i)
                     .arg(kLastDay)
                     .arg(users ? kUsersPerTerminal : 50)
                     .arg(users ? 0 : logsPerTerminal);
    QProcess termsim;
    QList<int> ports;
    if (!bench::startTermsim(termsim, specs, ports))
        qFatal("bench_collect: termsim did not start");

    WorkingTable devices(QStringLiteral("devices"));
    QvTables::rebuildDeviceTable(devices);
    for (int i = 0; i < kTerminals; ++i) {
        devices.append();
        QvTables::setNewDeviceDefaults(devices);
        devices.setFieldValue(QvTables::kDeviceNo, i + 1);
        devices.setFieldValue(QvTables::kCommMode, QvTables::kNetworkMode);
        devices.setFieldValue(QvTables::kIpAddress, QStringLiteral("127.0.0.1"));
        devices.setFieldValue(QvTables::kTcpPort, ports.at(i));
        devices.post();
    }
    WorkingTable target(QStringLiteral("target"));
    if (users)
        QvTables::rebuildPersonTable(target);
    else
        QvTables::rebuildRecordTable(target);
    QTableView view;
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(18);
    view.setModel(&target);
    view.resize(500, 400);
    view.show();
    QCoreApplication::processEvents();

    TTermSdk sdk;
    VisitState state;
    CountingBoxes boxes;
    StandardEventPump events;
    SystemClock clock;
    RunContext context{devices, target, sdk, state, {&boxes, &events, &clock}, nullptr};
    context.askDateRange = [&](QString& start, QString& end) {
        start = name == QLatin1String("1pct") ? kLastDay : QStringLiteral("2000-01-01");
        end = kLastDay;
    };

    QElapsedTimer timer;
    timer.start();
    if (users)
        UserRetrieval::run(context);
    else
        RecordCollection::run(context);
    target.flushPending();
    QCoreApplication::processEvents();
    const double seconds = timer.nsecsElapsed() / 1e9;
    bench::stopTermsim(termsim);

    if (boxes.shown != 0 || view.model()->rowCount() != target.recordCount())
        qFatal("bench_collect: %d failed terminals, grid shows %d of %d rows", boxes.shown, view.model()->rowCount(),
               target.recordCount());
    if (users)
        bench::printResult("user_retrieval", target.recordCount(), seconds);
    else
        bench::printResult("collect", target.recordCount(), seconds, QStringLiteral("range=") + name);
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench::runCases(argc, argv,
                           {QStringLiteral("all:40000"), QStringLiteral("all:200000"), QStringLiteral("1pct:200000"),
                            QStringLiteral("users")},
                           runCase);
}
