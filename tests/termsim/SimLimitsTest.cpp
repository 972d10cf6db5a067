// termsim against clients that misbehave: a serial line stays usable after a
// client dies at any byte of a frame, and the limits set on the command line
// hold (frame size, frame and idle time, connections, open transfers, reply
// bytes waiting for a client that does not read).
#include "TTermSdk.h"
#include "TermError.h"
#include "TermSimProcess.h"
#include "WireDecoder.h"
#include "WireFrame.h"
#include "WireOp.h"
#include "WireReader.h"
#include "WireWriter.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

class SimLimitsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void serialLineRecoversFromDeadClient_data();
    void serialLineRecoversFromDeadClient();
    void stalledConnectionsAreClosed_data();
    void stalledConnectionsAreClosed();
    void fullConnectionTableMakesRoom();
    void idleTransferMakesRoom();
    void clientThatDoesNotReadIsHeldBack();

private:
    QTemporaryDir m_dir;
};

namespace {

QByteArray request(quint32 sequence, WireOp op, const QByteArray& payload)
{
    QByteArray out;
    WireFrame::appendEncoded(out, WireFrame::Request, sequence, quint16(op), 0, payload.constData(), payload.size());
    return out;
}

QByteArray connectRequest(quint32 sequence, quint8 transport, int machine, int baud)
{
    WireWriter w;
    w.u8(transport).i32(machine).i32(-1).i32(1).i32(baud).str8(QStringLiteral("test"));
    return request(sequence, WireOp::Connect, w.data());
}

// A frame header announcing a body of length bytes (nothing of it sent).
QByteArray headerAnnouncing(quint32 length)
{
    QByteArray h = request(1, WireOp::PutChunk, QByteArray()).left(WireFrame::HeaderSize);
    qToLittleEndian<quint32>(length, h.data() + 12);
    return h;
}

// Reads replies from a raw socket until one with that sequence number arrives.
bool awaitReply(QTcpSocket& socket, WireDecoder& decoder, quint32 sequence, WireFrame& reply)
{
    for (;;) {
        decoder.feed(socket.read(1 << 20));
        while (decoder.next(reply) == WireDecoder::Result::Frame)
            if (reply.sequence == sequence)
                return true;
        if (decoder.error() != WireDecoder::Error::None)
            return false;
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(10000))
            return false;
    }
}

qint64 residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace

void SimLimitsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void SimLimitsTest::serialLineRecoversFromDeadClient_data()
{
    // Bytes a client wrote before it died, and whether the line runs at the
    // Connect's speed (so that a reply is still on its way when the next
    // client opens the port).
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<bool>("lineSpeed");
    const QByteArray upload = request(2, WireOp::PutChunk, [] {
        WireWriter w;
        w.u32(0).u32(WireFrame::MaxUploadPiece).raw(QByteArray(int(WireFrame::MaxUploadPiece), 'u').constData(),
                                                     WireFrame::MaxUploadPiece);
        return w.data();
    }());
    QTest::newRow("a few bytes of a header") << upload.left(5) << false;
    QTest::newRow("a header announcing a large upload piece") << upload.left(WireFrame::HeaderSize) << false;
    QTest::newRow("part of a large upload piece") << upload.left(3000) << false;
    QTest::newRow("all of an upload piece but its checksum") << upload.left(upload.size() - 1) << false;
    QTest::newRow("a header announcing more than any request needs") << headerAnnouncing(WireFrame::MaxPayload)
                                                                      << false;
    WireWriter capture;
    capture.i32(1).u8(1).i32(0);
    QTest::newRow("requests whose long reply is still on the line")
        << connectRequest(1, 1, 1, 19200) + request(2, WireOp::CaptureFingerImage, capture.data()) << true;
}

void SimLimitsTest::serialLineRecoversFromDeadClient()
{
    QFETCH(QByteArray, written);
    QFETCH(bool, lineSpeed);
    static int lines = 0;
    const QString link = m_dir.filePath(QStringLiteral("line-%1").arg(++lines));
    TermSimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--terminal"),
                        QStringLiteral("machine=1,kind=bw,serial=%1,users=5,logs=50%2")
                            .arg(link, lineSpeed ? QString() : QStringLiteral(",baud=0"))}),
             qPrintable(sim.errors()));

    // The client that dies: it writes and goes, leaving the line as it was.
    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    qsizetype at = 0;
    while (at < written.size()) {
        const ssize_t n = ::write(fd, written.constData() + at, size_t(written.size() - at));
        QVERIFY(n > 0);
        at += n;
    }
    if (lineSpeed)
        QThread::msleep(300); // the reply has begun to come
    ::close(fd);

    qputenv("TERMSDK_COM7", link.toLocal8Bit());
    TTermSdk sdk;
    QVERIFY2(sdk.ConnectSerial(7, 1, 19200), qPrintable(sdk.lastErrorDetail()));
    int value = 0;
    QVERIFY2(sdk.GetDeviceInfo(1, 2, value), qPrintable(sdk.lastErrorDetail()));
    QCOMPARE(value, 1);
    sdk.Disconnect();
}

void SimLimitsTest::stalledConnectionsAreClosed_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("header announcing more than the frame limit") << headerAnnouncing(2000);
    QTest::newRow("frame that stops arriving") << request(1, WireOp::GetDeviceTime, QByteArray(8, 'x')).left(10);
    QTest::newRow("nothing at all") << QByteArray();
}

void SimLimitsTest::stalledConnectionsAreClosed()
{
    QFETCH(QByteArray, sent);
    TermSimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--max-frame"), QStringLiteral("1024"), QStringLiteral("--frame-timeout"),
                        QStringLiteral("1"), QStringLiteral("--idle-timeout"), QStringLiteral("2"),
                        QStringLiteral("--terminal"), QStringLiteral("machine=1,kind=color,tcp=0,users=3,logs=10")}),
             qPrintable(sim.errors()));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(sim.tcpPort(1)));
    QVERIFY(socket.waitForConnected(5000));
    socket.write(sent);
    QVERIFY(socket.waitForBytesWritten(5000) || sent.isEmpty());
    // termsim closes the connection on its own; the wait only bounds a test that fails.
    QVERIFY(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(20000));
    QVERIFY(socket.readAll().isEmpty());
}

void SimLimitsTest::fullConnectionTableMakesRoom()
{
    TermSimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--max-connections"), QStringLiteral("2"), QStringLiteral("--terminal"),
                        QStringLiteral("machine=1,kind=color,tcp=0,users=3,logs=10")}),
             qPrintable(sim.errors()));
    const quint16 port = quint16(sim.tcpPort(1));
    // Two connections that never open a session fill the table.
    QTcpSocket idle[2];
    for (QTcpSocket& s : idle) {
        s.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(s.waitForConnected(5000));
    }
    QTest::qWait(200);
    TTermSdk sdk;
    QVERIFY2(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port), qPrintable(sdk.lastErrorDetail()));
    int value = 0;
    QVERIFY(sdk.GetDeviceInfo(1, 2, value));
    QVERIFY(idle[0].state() == QAbstractSocket::UnconnectedState || idle[0].waitForDisconnected(10000));
    // A second working client takes the other idle one's place.
    TTermSdk second;
    QVERIFY2(second.ConnectNetwork(QStringLiteral("127.0.0.1"), port), qPrintable(second.lastErrorDetail()));
    QVERIFY(second.GetDeviceInfo(1, 2, value));
    QVERIFY(sdk.GetDeviceInfo(1, 2, value));
}

void SimLimitsTest::idleTransferMakesRoom()
{
    TermSimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--max-transfers"), QStringLiteral("1"), QStringLiteral("--terminal"),
                        QStringLiteral("machine=1,kind=color,tcp=0,users=3,logs=40000")}),
             qPrintable(sim.errors()));
    const quint16 port = quint16(sim.tcpPort(1));
    // A client opens a transfer and leaves it unread.
    QTcpSocket holder;
    holder.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(holder.waitForConnected(5000));
    WireDecoder decoder;
    WireFrame reply;
    holder.write(connectRequest(1, 0, 1, 0));
    QVERIFY(awaitReply(holder, decoder, 1, reply));
    WireWriter machine;
    machine.i32(1);
    holder.write(request(2, WireOp::LoadAllLogs, machine.data()));
    QVERIFY(awaitReply(holder, decoder, 2, reply));
    QCOMPARE(reply.status, quint16(0));
    WireReader head(reply.payload);
    const quint32 transfer = head.u32();
    QVERIFY(head.u32() == 40000 && head.u32() > 1);

    // Another client still loads the whole log...
    TTermSdk sdk;
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
    QVERIFY2(sdk.LoadAllLogs(1), qPrintable(sdk.lastErrorDetail()));
    // ...and the idle transfer is gone.
    WireWriter chunk;
    chunk.u32(transfer).u32(0);
    holder.write(request(3, WireOp::ReadChunk, chunk.data()));
    QVERIFY(awaitReply(holder, decoder, 3, reply));
    QCOMPARE(int(reply.status), int(TermError::InvalidArgument));
}

void SimLimitsTest::clientThatDoesNotReadIsHeldBack()
{
    TermSimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--max-unsent"), QStringLiteral("65536"), QStringLiteral("--terminal"),
                        QStringLiteral("machine=1,kind=color,tcp=0,users=3,logs=40000")}),
             qPrintable(sim.errors()));
    const quint16 port = quint16(sim.tcpPort(1));
    QTcpSocket greedy;
    greedy.setReadBufferSize(64 << 10); // it reads nothing more while the test waits
    greedy.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(greedy.waitForConnected(5000));
    WireDecoder decoder;
    WireFrame reply;
    greedy.write(connectRequest(1, 0, 1, 0));
    QVERIFY(awaitReply(greedy, decoder, 1, reply));
    WireWriter machine;
    machine.i32(1);
    greedy.write(request(2, WireOp::LoadAllLogs, machine.data()));
    QVERIFY(awaitReply(greedy, decoder, 2, reply));
    WireReader head(reply.payload);
    const quint32 transfer = head.u32();

    // 1000 requests for the first chunk (about 256 KiB each), none read:
    // served at once they would take over 250 MB.
    constexpr int kRequests = 1000;
    QByteArray burst;
    WireWriter chunk;
    chunk.u32(transfer).u32(0);
    for (int i = 0; i < kRequests; ++i)
        burst += request(quint32(10 + i), WireOp::ReadChunk, chunk.data());
    greedy.write(burst);
    greedy.waitForBytesWritten(5000);
    QTest::qWait(1500);

    // Others are served meanwhile, and the greedy one has not grown termsim.
    TTermSdk sdk;
    QVERIFY(sdk.ConnectNetwork(QStringLiteral("127.0.0.1"), port));
    int y, mo, d, h, mi, s;
    QVERIFY2(sdk.GetDeviceTime(1, y, mo, d, h, mi, s), qPrintable(sdk.lastErrorDetail()));
    const qint64 rssKb = residentKb(sim.pid());
    QVERIFY2(rssKb > 0 && rssKb < 120 * 1024, qPrintable(QStringLiteral("termsim holds %1 kB").arg(rssKb)));

    // Nothing was lost: reading now brings every reply.
    int served = 0;
    while (served < kRequests && awaitReply(greedy, decoder, quint32(10 + served), reply)) {
        QCOMPARE(reply.status, quint16(0));
        ++served;
    }
    QCOMPARE(served, kRequests);
}

QTEST_GUILESS_MAIN(SimLimitsTest)
#include "SimLimitsTest.moc"
