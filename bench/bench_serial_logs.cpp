// A black-and-white terminal's attendance log read over an emulated serial
// line (termsim's pseudo-terminal at the Connect's baud rate): LoadAllLogs and
// a walk of every record. Beside the time it prints the physical floor, the
// bytes that crossed the line (both ways, frames included) times 10 bits over
// the baud rate: a transfer cannot be faster than that.
#include "BenchSupport.h"
#include "TTermSdk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

namespace {

constexpr qint64 kRecords = 20000;

void runOne(const QString& baudText)
{
    const int baud = baudText.toInt();
    if (baud <= 0)
        qFatal("bench_serial_logs: \"%s\" is not a baud rate", qPrintable(baudText));
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("com1"));
    QProcess termsim;
    QList<int> ports;
    if (!bench::startTermsim(
            termsim,
            {QStringLiteral("machine=1,kind=bw,tcp=0,serial=%1,users=50,logs=%2,days=365,seed=7").arg(link).arg(kRecords)},
            ports))
        qFatal("bench_serial_logs: termsim did not start");
    qputenv("TERMSDK_COM1", link.toLocal8Bit());
    TTermSdk sdk;
    if (!sdk.ConnectSerial(1, 1, baud))
        qFatal("bench_serial_logs: connect failed: %s", qPrintable(sdk.lastErrorDetail()));

    const qint64 bytesBefore = sdk.bytesMoved();
    QElapsedTimer timer;
    timer.start();
    qint64 records = 0;
    quint64 checksum = 0; // keeps the walk from being optimised away
    if (sdk.LoadAllLogs(1)) {
        int machine, enroll, enrollMachine, verify, state, y, mo, d, h, mi;
        while (sdk.NextLogRecord(1, machine, enroll, enrollMachine, verify, state, y, mo, d, h, mi)) {
            ++records;
            checksum += quint64(enroll + mi);
        }
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const qint64 wireBytes = sdk.bytesMoved() - bytesBefore;
    const QString detail = sdk.lastErrorDetail();
    sdk.Disconnect();
    bench::stopTermsim(termsim);
    if (records != kRecords || checksum == 0)
        qFatal("bench_serial_logs: read %lld of %lld records (%s)", records, kRecords, qPrintable(detail));
    const double floor = wireBytes * 10.0 / baud;
    std::printf("bench=serial_logs baud=%d n=%lld seconds=%.3f line_limit_s=%.3f ratio=%.3f wire_bytes=%lld "
                "bytes_per_record=%.2f rss_mb=%.1f\n",
                baud, static_cast<long long>(records), seconds, floor, seconds / floor,
                static_cast<long long>(wireBytes), double(wireBytes) / double(records), bench::peakRssMb());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return bench::runCases(argc, argv, {QStringLiteral("115200"), QStringLiteral("19200")}, runOne);
}
