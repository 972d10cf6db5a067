// termsim under clients that misbehave, one attack per line, each against a
// fresh termsim whose terminal holds 1M attendance records:
//   unread_chunks   one client asks for the same 256 KiB chunk over and over
//                   (168 KB of requests) and never reads a reply
//   open_transfers  100 clients each open a transfer of the whole log and leave it
//   big_frames      200 clients each send a 1 MiB frame but its last byte
//   slow_bytes      300 clients each send one byte a second
// While the attack runs, termctl asks the terminal for its information.
// Printed: termsim's peak resident memory, whether termctl was served and how
// long it took, and how many attacking connections were still open at the end.
//
// BENCH_TERMSIM=/path/to/termsim measures another build of termsim.
#include "BenchSupport.h"
#include "WireDecoder.h"
#include "WireFrame.h"
#include "WireOp.h"
#include "WireReader.h"
#include "WireWriter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

QByteArray request(quint32 sequence, WireOp op, const QByteArray& payload)
{
    QByteArray out;
    WireFrame::appendEncoded(out, WireFrame::Request, sequence, quint16(op), 0, payload.constData(), payload.size());
    return out;
}

QByteArray connectRequest()
{
    WireWriter w;
    w.u8(0).i32(1).i32(-1).i32(0).i32(0).str8(QStringLiteral("127.0.0.1"));
    return request(1, WireOp::Connect, w.data());
}

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

// Writes what the peer takes within the time; returns the bytes written.
qint64 writeSome(int fd, const QByteArray& bytes, int timeoutMs)
{
    qint64 at = 0;
    QDeadlineTimer deadline(timeoutMs);
    while (at < bytes.size() && !deadline.hasExpired()) {
        const ssize_t n = ::send(fd, bytes.constData() + at, size_t(bytes.size() - at), MSG_NOSIGNAL);
        if (n > 0) {
            at += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            break;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, int(qMax<qint64>(1, deadline.remainingTime())));
    }
    return at;
}

bool awaitReply(int fd, quint32 sequence, WireFrame& reply, int timeoutMs = 60000)
{
    WireDecoder decoder;
    QDeadlineTimer deadline(timeoutMs);
    char buffer[65536];
    while (!deadline.hasExpired()) {
        while (decoder.next(reply) == WireDecoder::Result::Frame)
            if (reply.sequence == sequence)
                return true;
        if (decoder.error() != WireDecoder::Error::None)
            return false;
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, int(qMax<qint64>(1, deadline.remainingTime())));
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0)
            return false;
        if (n > 0)
            decoder.feed(buffer, n);
    }
    return false;
}

// A session with an open transfer of the whole log; its id, or 0.
quint32 openTransfer(int fd)
{
    WireFrame reply;
    if (writeSome(fd, connectRequest(), 5000) <= 0 || !awaitReply(fd, 1, reply) || reply.status != 0)
        return 0;
    WireWriter machine;
    machine.i32(1);
    if (writeSome(fd, request(2, WireOp::LoadAllLogs, machine.data()), 5000) <= 0 || !awaitReply(fd, 2, reply) ||
        reply.status != 0)
        return 0;
    WireReader r(reply.payload);
    return r.u32();
}

bool stillOpen(int fd)
{
    char c;
    const ssize_t n = ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
    return n > 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
}

qint64 statusKb(qint64 pid, const char* field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}

struct TermctlRun {
    bool ok = false;
    double seconds = 0;
};

TermctlRun runTermctl(int port)
{
    QProcess termctl;
    QElapsedTimer timer;
    timer.start();
    termctl.start(QStringLiteral(TERMCTL_EXECUTABLE),
                  {QStringLiteral("--host"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                   QString::number(port), QStringLiteral("info")});
    const bool finished = termctl.waitForFinished(60000);
    TermctlRun run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.ok = finished && termctl.exitStatus() == QProcess::NormalExit && termctl.exitCode() == 0;
    if (!finished)
        termctl.kill();
    termctl.waitForFinished(5000);
    return run;
}

void runOne(const QString& attack)
{
    QProcess termsim;
    const QByteArray other = qgetenv("BENCH_TERMSIM");
    termsim.setProgram(other.isEmpty() ? QStringLiteral(TERMSIM_EXECUTABLE) : QString::fromLocal8Bit(other));
    termsim.setArguments({QStringLiteral("--terminal"),
                          QStringLiteral("machine=1,kind=color,tcp=0,users=200,logs=1000000,days=365,seed=7")});
    termsim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    termsim.start();
    QByteArray output;
    while (!output.contains("termsim: ready") && termsim.waitForReadyRead(300000))
        output += termsim.readAllStandardOutput();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("tcp=[0-9.]+:(\\d+)")).match(QString::fromUtf8(output));
    if (!m.hasMatch())
        qFatal("bench_termsim_attacks: termsim did not start");
    const int port = m.captured(1).toInt();
    const qint64 pid = termsim.processId();
    const qint64 baseKb = statusKb(pid, "VmRSS:");

    // termsim's resident memory, sampled while the attack runs (its peak mark
    // would include the seeding).
    std::atomic<qint64> peakKb{baseKb};
    std::atomic<bool> sampling{true};
    std::thread sampler([&] {
        while (sampling) {
            peakKb = qMax(peakKb.load(), statusKb(pid, "VmRSS:"));
            QThread::msleep(20);
        }
    });

    std::vector<int> fds;
    std::atomic<bool> stop{false};
    std::thread slow; // keeps writing during the slow attack
    if (attack == QLatin1String("unread_chunks")) {
        const int fd = connectTo(port);
        const quint32 transfer = openTransfer(fd);
        if (transfer == 0)
            qFatal("bench_termsim_attacks: no transfer");
        WireWriter chunk;
        chunk.u32(transfer).u32(0);
        QByteArray burst;
        for (int i = 0; burst.size() < 168 * 1000; ++i)
            burst += request(quint32(10 + i), WireOp::ReadChunk, chunk.data());
        writeSome(fd, burst, 10000);
        fds.push_back(fd);
    } else if (attack == QLatin1String("open_transfers")) {
        for (int i = 0; i < 100; ++i) {
            const int fd = connectTo(port);
            if (fd >= 0) {
                openTransfer(fd);
                fds.push_back(fd);
            }
        }
    } else if (attack == QLatin1String("big_frames")) {
        QByteArray frame = request(1, WireOp::PutChunk, QByteArray(int(WireFrame::MaxPayload), 'x'));
        frame.chop(1);
        for (int i = 0; i < 200; ++i) {
            const int fd = connectTo(port);
            if (fd >= 0) {
                writeSome(fd, frame, 2000);
                fds.push_back(fd);
            }
        }
    } else if (attack == QLatin1String("slow_bytes")) {
        for (int i = 0; i < 300; ++i) {
            const int fd = connectTo(port);
            if (fd >= 0)
                fds.push_back(fd);
        }
        const QByteArray frame = request(1, WireOp::GetDeviceTime, QByteArray(64, 'x'));
        slow = std::thread([&fds, &stop, frame] {
            for (int second = 0; second < 20 && !stop; ++second) {
                for (int fd : fds)
                    ::send(fd, frame.constData() + second, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
                QThread::msleep(1000);
            }
        });
    } else {
        qFatal("bench_termsim_attacks: no attack \"%s\"", qPrintable(attack));
    }
    QThread::msleep(2000); // let termsim take it in
    const TermctlRun served = runTermctl(port);
    QThread::msleep(attack == QLatin1String("slow_bytes") ? 14000 : 2000);
    stop = true;
    if (slow.joinable())
        slow.join();
    int open = 0;
    for (int fd : fds)
        open += stillOpen(fd) ? 1 : 0;
    sampling = false;
    sampler.join();
    for (int fd : fds)
        ::close(fd);
    bench::stopTermsim(termsim);
    std::printf("bench=termsim_attack attack=%s clients=%d base_rss_mb=%.1f peak_rss_mb=%.1f termctl_ok=%d "
                "termctl_s=%.2f open_at_end=%d\n",
                qPrintable(attack), int(fds.size()), baseKb / 1024.0, peakKb.load() / 1024.0, served.ok ? 1 : 0,
                served.seconds, open);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return bench::runCases(argc, argv,
                           {QStringLiteral("unread_chunks"), QStringLiteral("open_transfers"),
                            QStringLiteral("big_frames"), QStringLiteral("slow_bytes")},
                           runOne);
}
