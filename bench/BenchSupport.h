#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
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

// Runs each case in a fresh process so that every line's peak memory is its
// own: without arguments the program starts itself once per case and passes
// its output on; with a case argument it runs that case.
inline int runCases(int argc, char* argv[], const QStringList& cases, const std::function<void(const QString&)>& runOne)
{
    if (argc > 1) {
        runOne(QString::fromLocal8Bit(argv[1]));
        return 0;
    }
    int status = 0;
    for (const QString& name : cases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {name});
        child.waitForFinished(-1);
        std::fputs(child.readAllStandardOutput().constData(), stdout);
        std::fflush(stdout);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            status = 1;
    }
    return status;
}

// With a size argument, runs that size; a size that is not a positive whole
// number is refused with a message rather than run as zero.
inline int runSizes(int argc, char* argv[], const QList<qint64>& sizes, const std::function<void(qint64)>& runOne)
{
    if (argc > 1) {
        bool ok = false;
        const qint64 n = QByteArray(argv[1]).toLongLong(&ok);
        if (!ok || n <= 0) {
            std::fprintf(stderr, "%s: the size \"%s\" is not a positive whole number of records\n",
                         qPrintable(QCoreApplication::applicationName()), argv[1]);
            return 2;
        }
    }
    QStringList cases;
    for (qint64 n : sizes)
        cases << QString::number(n);
    return runCases(argc, argv, cases, [&](const QString& name) { runOne(name.toLongLong()); });
}

#ifdef TERMSIM_EXECUTABLE
// Starts termsim with one --terminal option per spec (after the options
// given) and waits until it is ready; ports gets the TCP port of each
// terminal, in the order given. BENCH_TERMSIM names another termsim
// executable to measure, such as an older build for a before/after figure.
inline bool startTermsim(QProcess& process, const QStringList& terminalSpecs, QList<int>& ports,
                         const QStringList& options = {})
{
    QStringList arguments = options;
    for (const QString& spec : terminalSpecs)
        arguments << QStringLiteral("--terminal") << spec;
    process.setProgram(qEnvironmentVariable("BENCH_TERMSIM", QStringLiteral(TERMSIM_EXECUTABLE)));
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    if (!process.waitForStarted(10000))
        return false;
    QByteArray output;
    while (!output.contains("termsim: ready")) {
        if (!process.waitForReadyRead(300000))
            return false;
        output += process.readAllStandardOutput();
    }
    ports.clear();
    auto matches = QRegularExpression(QStringLiteral("tcp=[0-9.]+:(\\d+)")).globalMatch(QString::fromUtf8(output));
    while (matches.hasNext())
        ports << matches.next().captured(1).toInt();
    return ports.size() == terminalSpecs.size();
}

inline void stopTermsim(QProcess& process)
{
    process.terminate();
    if (!process.waitForFinished(10000))
        process.kill();
}
#endif

} // namespace bench
