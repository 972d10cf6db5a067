// Latency of one acknowledged change on a terminal that keeps its data on
// disk, by the size of the attendance log it holds: each write must be stored
// durably before its reply, so this is the cost of persistence per change.
// Writes alternate between WriteUserInfo and SetDeviceInfo; the seeding and
// the first save are not timed. disk_sync_median_ms is the disk's own cost of
// one small flushed append in the same directory, the floor of any durable write.
#include "BenchSupport.h"
#include "TTermSdk.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWrites = 200;

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const size_t at = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[at];
}

// The disk's own floor: median time of a small append flushed with fdatasync, in dir.
double syncFloorMs(const QString& dir)
{
    const QByteArray path = QFile::encodeName(dir + QStringLiteral("/sync-probe"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    std::vector<double> ms;
    const QByteArray bytes(64, 'x');
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer t;
        t.start();
        if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() || ::fdatasync(fd) != 0)
            break;
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    ::close(fd);
    ::unlink(path.constData());
    return ms.empty() ? -1 : percentile(ms, 0.5);
}

void runOne(qint64 n)
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bench_write_latency-XXXXXX"));
    if (!dir.isValid())
        qFatal("bench_write_latency: no temporary directory");
    const double floorMs = syncFloorMs(dir.path());
    QProcess termsim;
    QList<int> ports;
    if (!bench::startTermsim(termsim, {QStringLiteral("machine=1,kind=bw,tcp=0,users=200,logs=%1,seed=3").arg(n)}, ports,
                             {QStringLiteral("--data-dir"), dir.path()}))
        qFatal("bench_write_latency: termsim did not start");
    TTermSdk sdk;
    if (!sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), ports.first()))
        qFatal("bench_write_latency: connect failed");

    std::vector<double> ms;
    ms.reserve(kWrites);
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < kWrites; ++i) {
        QElapsedTimer one;
        one.start();
        const bool ok = i % 2 == 0 ? sdk.WriteUserInfo(1, 1000 + i, QStringLiteral("bench"), QString(), 0, true)
                                   : sdk.SetDeviceInfo(1, 23, 30 + i % 20);
        ms.push_back(one.nsecsElapsed() / 1e6);
        if (!ok)
            qFatal("bench_write_latency: write %d failed", i);
    }
    const double seconds = total.nsecsElapsed() / 1e9;
    sdk.Disconnect();
    bench::stopTermsim(termsim);
    std::printf("bench=write_latency n=%lld writes=%d median_ms=%.2f p95_ms=%.2f max_ms=%.2f seconds=%.3f "
                "disk_sync_median_ms=%.2f\n",
                static_cast<long long>(n), kWrites, percentile(ms, 0.5), percentile(ms, 0.95),
                *std::max_element(ms.begin(), ms.end()), seconds, floorMs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return bench::runSizes(argc, argv, {1'000, 1'000'000, 5'000'000}, runOne);
}
