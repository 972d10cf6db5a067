#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <functional>

// Shared pieces of the benchmark programs.
namespace bench {

// Peak resident memory of this process in MB (VmHWM).
inline double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// One result line in the common format.
inline void printResult(const char* name, qint64 n, double seconds, const QString& extra = {})
{
    std::printf("bench=%s%s n=%lld seconds=%.3f per_s=%.0f rss_mb=%.1f\n", name,
                extra.isEmpty() ? "" : qPrintable(QLatin1Char(' ') + extra), static_cast<long long>(n), seconds,
                seconds > 0 ? n / seconds : 0.0, peakRssMb());
    std::fflush(stdout);
}

// Runs each size in a fresh process so that every line's peak memory is its own:
// without arguments the program starts itself once per size and passes its output on.
// With a size argument it runs that size.
inline int runSizes(int argc, char* argv[], const QList<qint64>& sizes, const std::function<void(qint64)>& runOne)
{
    if (argc > 1) {
        runOne(QByteArray(argv[1]).toLongLong());
        return 0;
    }
    int status = 0;
    for (qint64 n : sizes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QString::number(n)});
        child.waitForFinished(-1);
        std::fputs(child.readAllStandardOutput().constData(), stdout);
        std::fflush(stdout);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            status = 1;
    }
    return status;
}

} // namespace bench
