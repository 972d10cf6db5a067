// Bulk load of an attendance log over loopback: LoadAllLogs and a walk of every
// record with NextLogRecordStr, against a termsim terminal seeded beforehand
// (the seeding is not timed).
#include "BenchSupport.h"
#include "TTermSdk.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {
void runOne(qint64 n)
{
    QProcess termsim;
    QList<int> ports;
    if (!bench::startTermsim(termsim,
                             {QStringLiteral("machine=1,kind=color,tcp=0,users=200,logs=%1,days=365,seed=7").arg(n)},
                             ports))
        qFatal("bench_load_all_logs: termsim did not start");
    TTermSdk sdk;
    if (!sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), ports.first()))
        qFatal("bench_load_all_logs: connect failed");

    QElapsedTimer timer;
    timer.start();
    qint64 records = 0;
    quint64 checksum = 0; // keeps the walk from being optimised away
    if (sdk.LoadAllLogs(1)) {
        QString enroll;
        int verify, state, y, mo, d, h, mi, s, work;
        while (sdk.NextLogRecordStr(1, enroll, verify, state, y, mo, d, h, mi, s, work)) {
            ++records;
            checksum += quint64(enroll.size() + s + mi);
        }
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    sdk.Disconnect();
    bench::stopTermsim(termsim);
    if (records != n || checksum == 0)
        qFatal("bench_load_all_logs: read %lld of %lld records", records, n);
    bench::printResult("load_all_logs", records, seconds);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return bench::runSizes(argc, argv, {10'000, 200'000, 1'000'000}, runOne);
}
