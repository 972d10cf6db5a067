// Bulk load of an attendance log over loopback: LoadAllLogs and a walk of every
// record with NextLogRecordStr, against a termsim terminal seeded beforehand.
// Prints one line per size: bench=load_all_logs n=<records> seconds=<s> per_s=<records/s> rss_mb=<peak MB>
#include "TTermSdk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <cstdio>

namespace {

double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// Starts termsim with one colour terminal holding n records; returns its TCP port or 0.
int startTermsim(QProcess& process, qint64 n)
{
    process.setProgram(QStringLiteral(TERMSIM_EXECUTABLE));
    process.setArguments({QStringLiteral("--terminal"),
                          QStringLiteral("machine=1,kind=color,tcp=0,users=200,logs=%1,days=365,seed=7").arg(n)});
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    if (!process.waitForStarted(10000))
        return 0;
    QByteArray output;
    while (!output.contains("termsim: ready")) {
        if (!process.waitForReadyRead(120000))
            return 0;
        output += process.readAllStandardOutput();
    }
    const auto match = QRegularExpression(QStringLiteral("tcp=[0-9.]+:(\\d+)")).match(QString::fromUtf8(output));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QList<qint64> sizes{10000, 200000, 1000000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes << QByteArray(argv[i]).toLongLong();
    }
    int status = 0;
    for (const qint64 n : sizes) {
        QProcess termsim;
        const int port = startTermsim(termsim, n);
        if (port == 0) {
            std::fprintf(stderr, "bench_load_all_logs: termsim did not start\n");
            return 1;
        }
        TTermSdk sdk;
        if (!sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port)) {
            std::fprintf(stderr, "bench_load_all_logs: connect failed\n");
            return 1;
        }
        QElapsedTimer timer;
        timer.start();
        qint64 records = 0;
        quint64 checksum = 0;
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
        termsim.terminate();
        termsim.waitForFinished(10000);
        if (records != n) {
            std::fprintf(stderr, "bench_load_all_logs: read %lld of %lld records\n", records, n);
            status = 1;
        }
        std::printf("bench=load_all_logs n=%lld seconds=%.3f per_s=%.0f rss_mb=%.1f\n", records, seconds,
                    seconds > 0 ? records / seconds : 0.0, peakRssMb());
        std::fflush(stdout);
        (void)checksum;
    }
    return status;
}
