// The frame codec, the record layouts and the wire date-times.
#include "Crc32.h"
#include "TermLogBuffer.h"
#include "TermUserBuffer.h"
#include "WireDecoder.h"
#include "WireFrame.h"
#include "WireRecords.h"
#include "WireTime.h"
#include "WireWriter.h"

#include <QtEndian>
#include <QtTest>

class WireCodecTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void crcOfKnownVector();
    void roundTripInPieces_data();
    void roundTripInPieces();
    void malformedFrames_data();
    void malformedFrames();
    void truncatedFrameWaits();
    void resyncFindsNextFrame_data();
    void resyncFindsNextFrame();
    void wireTimeMatchesCalendar_data();
    void wireTimeMatchesCalendar();
    void logChunkParsing_data();
    void logChunkParsing();
    void userChunkParsing();
};

namespace {

QByteArray payloadOf(qsizetype n)
{
    QByteArray p(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i)
        p[i] = char((i * 131 + 7) & 0xFF);
    return p;
}

QByteArray frameBytes(quint32 sequence, quint16 op, const QByteArray& payload, quint8 kind = WireFrame::Reply)
{
    WireFrame f;
    f.kind = kind;
    f.sequence = sequence;
    f.op = op;
    f.status = 3;
    f.payload = payload;
    return f.encode();
}

} // namespace

void WireCodecTest::crcOfKnownVector()
{
    QCOMPARE(Crc32::compute("123456789", 9), 0xCBF43926u);
    // Running form over split input gives the same value as one pass.
    const QByteArray data = payloadOf(1000);
    QCOMPARE(Crc32::update(Crc32::compute(data.constData(), 333), data.constData() + 333, 667),
             Crc32::compute(data.constData(), 1000));
}

void WireCodecTest::roundTripInPieces_data()
{
    QTest::addColumn<int>("payloadSize");
    QTest::addColumn<int>("piece");
    QTest::newRow("empty payload, byte by byte") << 0 << 1;
    QTest::newRow("small, odd pieces") << 37 << 7;
    QTest::newRow("64 KiB, one piece") << 65536 << (65536 + 64);
    QTest::newRow("largest payload, 4 KiB pieces") << int(WireFrame::MaxPayload) << 4096;
}

void WireCodecTest::roundTripInPieces()
{
    QFETCH(int, payloadSize);
    QFETCH(int, piece);
    // Three frames back to back, the middle one of the given size.
    QByteArray stream = frameBytes(1, 0x12, payloadOf(5)) + frameBytes(2, 0x13, payloadOf(payloadSize)) +
                        frameBytes(3, 0x14, QByteArray());
    WireDecoder decoder;
    QList<WireFrame> frames;
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        decoder.feed(stream.constData() + at, qMin<qsizetype>(piece, stream.size() - at));
        WireFrame f;
        WireDecoder::Result r;
        while ((r = decoder.next(f)) == WireDecoder::Result::Frame)
            frames << f;
        QCOMPARE(r, WireDecoder::Result::NeedMore);
    }
    QCOMPARE(frames.size(), 3);
    QCOMPARE(frames[1].sequence, 2u);
    QCOMPARE(frames[1].op, quint16(0x13));
    QCOMPARE(frames[1].status, quint16(3));
    QCOMPARE(frames[1].kind, quint8(WireFrame::Reply));
    QCOMPARE(frames[1].payload, payloadOf(payloadSize));
    QCOMPARE(frames[2].payload, QByteArray());
    QCOMPARE(decoder.pendingBytes(), 0);
}

void WireCodecTest::malformedFrames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    const QByteArray good = frameBytes(9, 0x19, payloadOf(40));
    auto patched = [&good](int at, char value) {
        QByteArray b = good;
        b[at] = value;
        return b;
    };
    QTest::newRow("bad magic") << patched(0, 'X') << int(WireDecoder::Error::BadMagic);
    QTest::newRow("bad version") << patched(2, 9) << int(WireDecoder::Error::BadVersion);
    QTest::newRow("bad kind") << patched(3, 7) << int(WireDecoder::Error::BadKind);
    QTest::newRow("payload bit flipped") << patched(20, char(good.at(20) ^ 0x10)) << int(WireDecoder::Error::BadChecksum);
    QTest::newRow("checksum bit flipped") << patched(good.size() - 1, char(good.at(good.size() - 1) ^ 1))
                                          << int(WireDecoder::Error::BadChecksum);
    // An oversized length is refused from the header alone: no body follows.
    QByteArray oversized = good.left(WireFrame::HeaderSize);
    qToLittleEndian<quint32>(WireFrame::MaxPayload + 1, oversized.data() + 12);
    QTest::newRow("oversized, header only") << oversized << int(WireDecoder::Error::Oversized);
    QByteArray huge = good.left(WireFrame::HeaderSize);
    qToLittleEndian<quint32>(0xFFFFFFFFu, huge.data() + 12);
    QTest::newRow("4 GiB announced") << huge << int(WireDecoder::Error::Oversized);
    QTest::newRow("garbage after a good frame") << good + QByteArray("GET / HTTP/1.0\r\n\r\n")
                                                << int(WireDecoder::Error::BadMagic);
}

void WireCodecTest::malformedFrames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    WireDecoder decoder;
    decoder.feed(bytes);
    WireFrame f;
    WireDecoder::Result r;
    while ((r = decoder.next(f)) == WireDecoder::Result::Frame) {
    }
    QCOMPARE(r, WireDecoder::Result::Error);
    QCOMPARE(int(decoder.error()), error);
    // The error state holds and drops further input until reset.
    decoder.feed(frameBytes(1, 1, QByteArray()));
    QCOMPARE(decoder.next(f), WireDecoder::Result::Error);
    QCOMPARE(decoder.pendingBytes(), 0);
    decoder.reset();
    decoder.feed(frameBytes(1, 1, QByteArray("ok")));
    QCOMPARE(decoder.next(f), WireDecoder::Result::Frame);
    QCOMPARE(f.payload, QByteArray("ok"));
}

void WireCodecTest::truncatedFrameWaits()
{
    const QByteArray good = frameBytes(4, 0x21, payloadOf(100));
    WireDecoder decoder;
    decoder.feed(good.left(good.size() - 1));
    WireFrame f;
    QCOMPARE(decoder.next(f), WireDecoder::Result::NeedMore);
    QCOMPARE(decoder.pendingBytes(), good.size() - 1);
    decoder.feed(good.right(1));
    QCOMPARE(decoder.next(f), WireDecoder::Result::Frame);
    QCOMPARE(f.payload, payloadOf(100));
}

void WireCodecTest::resyncFindsNextFrame_data()
{
    // What the reader holds before the frame it must find: the bytes are in
    // the buffer when the resync happens (after an error, or after a gap).
    QTest::addColumn<QByteArray>("before");
    const QByteArray big = frameBytes(7, 0x04, payloadOf(5000), WireFrame::Request);
    QTest::newRow("line noise") << QByteArray("\x00\xffTx\x54garbage");
    QTest::newRow("frame cut inside its header") << big.left(9);
    QTest::newRow("frame cut inside its body") << big.left(700);
    QTest::newRow("frame whose header announces more than is allowed")
        << [] {
               QByteArray h = frameBytes(1, 1, QByteArray(), WireFrame::Request).left(WireFrame::HeaderSize);
               qToLittleEndian<quint32>(WireFrame::MaxPayload + 1, h.data() + 12);
               return h;
           }();
    QTest::newRow("frame with a bad checksum") << [] {
        QByteArray f = frameBytes(2, 0x21, payloadOf(40));
        f[30] = char(f.at(30) ^ 1);
        return f;
    }();
}

void WireCodecTest::resyncFindsNextFrame()
{
    QFETCH(QByteArray, before);
    WireDecoder decoder;
    decoder.feed(before + frameBytes(9, 0x01, QByteArray("connect"), WireFrame::Request));
    WireFrame f;
    for (int attempts = 0; attempts < 100; ++attempts) {
        const auto r = decoder.next(f);
        if (r == WireDecoder::Result::Frame && f.sequence == 9)
            break;
        // An error, or a frame still waiting for bytes that will not come.
        QVERIFY(decoder.resync());
    }
    QCOMPARE(f.sequence, 9u);
    QCOMPARE(f.payload, QByteArray("connect"));
    QCOMPARE(decoder.pendingBytes(), 0);
}

void WireCodecTest::wireTimeMatchesCalendar_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::newRow("epoch") << QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0));
    QTest::newRow("leap day 2000") << QDateTime(QDate(2000, 2, 29), QTime(23, 59, 59));
    QTest::newRow("leap day 2024") << QDateTime(QDate(2024, 2, 29), QTime(8, 5, 9));
    QTest::newRow("turn of 2100 (no leap)") << QDateTime(QDate(2100, 3, 1), QTime(12, 0, 0));
    QTest::newRow("last representable year") << QDateTime(QDate(2135, 12, 31), QTime(23, 59, 59));
}

void WireCodecTest::wireTimeMatchesCalendar()
{
    QFETCH(QDateTime, when);
    const QDate d = when.date();
    const QTime t = when.time();
    const quint32 wire = WireTime::fromFields(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
    const QDateTime epoch(QDate(2000, 1, 1), QTime(0, 0, 0), Qt::UTC);
    QCOMPARE(qint64(wire), epoch.secsTo(QDateTime(d, t, Qt::UTC)));
    int y, mo, dd, h, mi, s;
    WireTime::toFields(wire, y, mo, dd, h, mi, s);
    QCOMPARE(QDateTime(QDate(y, mo, dd), QTime(h, mi, s)), when);
}

void WireCodecTest::logChunkParsing_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("accepted");
    QByteArray two;
    WireRecords::appendLog(two, "1001", 4, WireTime::fromFields(2024, 5, 3, 8, 5, 9), 1, 0, 0);
    WireRecords::appendLog(two, "张三", 6, WireTime::fromFields(2024, 5, 3, 17, 30, 0), 15, 1, 42);
    QTest::newRow("two records") << two << 2 << true;
    QTest::newRow("fewer records than said") << two << 3 << false;
    QTest::newRow("more bytes than said") << two << 1 << false;
    QTest::newRow("cut in the middle") << two.left(two.size() - 3) << 2 << false;
    QByteArray empty = two;
    empty[0] = 0;
    QTest::newRow("empty enroll number") << empty << 2 << false;
    QByteArray longEnroll = two;
    longEnroll[0] = char(WireRecords::MaxEnrollBytes + 1);
    QTest::newRow("enroll number too long") << longEnroll << 2 << false;
}

void WireCodecTest::logChunkParsing()
{
    QFETCH(QByteArray, chunk);
    QFETCH(int, count);
    QFETCH(bool, accepted);
    TermLogBuffer buffer;
    QCOMPARE(buffer.appendChunk(chunk.constData(), chunk.size(), quint32(count)), accepted);
    QCOMPARE(buffer.size(), accepted ? count : 0);
    if (!accepted)
        return;
    const TermLogBuffer::Entry* a = buffer.next();
    const TermLogBuffer::Entry* b = buffer.next();
    QVERIFY(a && b);
    QCOMPARE(buffer.next(), nullptr);
    QCOMPARE(buffer.enrollText(*a), QStringLiteral("1001"));
    QCOMPARE(buffer.enrollNumber(*a), 1001);
    QCOMPARE(buffer.enrollText(*b), QStringLiteral("张三"));
    QCOMPARE(buffer.enrollNumber(*b), 0);
    QCOMPARE(int(b->verifyMode), 15);
    QCOMPARE(int(b->inOutMode), 1);
    QCOMPARE(b->workCode, 42u);
    QCOMPARE(WireTime::toDateTime(a->time), QDateTime(QDate(2024, 5, 3), QTime(8, 5, 9)));
}

void WireCodecTest::userChunkParsing()
{
    WireWriter w;
    w.str8(QStringLiteral("7")).str8(QStringLiteral("Ann")).str8(QStringLiteral("123")).u8(3).u8(1);
    w.str8(QStringLiteral("23")).str8(QStringLiteral("王芳")).str8(QString()).u8(0).u8(0);
    TermUserBuffer users;
    QVERIFY(!users.appendChunk(w.data().constData(), w.size(), 3));
    QVERIFY(!users.appendChunk(w.data().constData(), w.size() - 1, 2));
    QCOMPARE(users.size(), 0);
    QVERIFY(users.appendChunk(w.data().constData(), w.size(), 2));
    const TermUserBuffer::User* a = users.next();
    const TermUserBuffer::User* b = users.next();
    QVERIFY(a && b && !users.next());
    QCOMPARE(a->enroll, QStringLiteral("7"));
    QCOMPARE(a->password, QStringLiteral("123"));
    QCOMPARE(a->privilege, 3);
    QVERIFY(a->enabled);
    QCOMPARE(b->name, QStringLiteral("王芳"));
    QVERIFY(!b->enabled);
}

QTEST_GUILESS_MAIN(WireCodecTest)
#include "WireCodecTest.moc"
