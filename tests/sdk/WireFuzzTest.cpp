// Bounded random-input fuzzing of the frame decoder and the bulk-record parsers:
// 200,000 deterministic inputs (more with WIRE_FUZZ_INPUTS) (random bytes, and valid frames mutated by bit
// flips, cuts, insertions and forged lengths), fed in random pieces. Nothing may
// crash, hang or hold more than one frame plus the piece just fed.
#include "TermLogBuffer.h"
#include "TermSuperLogBuffer.h"
#include "TermUserBuffer.h"
#include "WireDecoder.h"
#include "WireFrame.h"
#include "WireRecords.h"
#include "WireWriter.h"

#include <QFile>
#include <QtEndian>
#include <QtTest>

#include <random>

#if defined(__SANITIZE_ADDRESS__)
#define WIRE_FUZZ_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WIRE_FUZZ_ASAN 1
#endif
#endif
#ifdef WIRE_FUZZ_ASAN
// From the sanitizer runtime (declared in sanitizer/allocator_interface.h, which GCC does not ship).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

class WireFuzzTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decoderSurvivesRandomInput();
};

namespace {

double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// How much more memory the code held at its peak than when watching began.
// Normally the peak resident size; under AddressSanitizer the peak of the live
// heap instead, because its quarantine keeps freed blocks resident on purpose
// and would read as growth.
class MemoryWatch {
public:
    MemoryWatch() : m_before(now()), m_peak(m_before) {}
    void sample()
    {
#ifdef WIRE_FUZZ_ASAN
        m_peak = qMax(m_peak, now());
#endif
    }
    double grownMb()
    {
#ifdef WIRE_FUZZ_ASAN
        sample();
        return m_peak - m_before;
#else
        return now() - m_before;
#endif
    }

private:
    static double now()
    {
#ifdef WIRE_FUZZ_ASAN
        return double(__sanitizer_get_current_allocated_bytes()) / (1024.0 * 1024.0);
#else
        return peakRssMb();
#endif
    }
    double m_before;
    double m_peak;
};

QByteArray validFrame(std::mt19937& rng)
{
    WireFrame f;
    f.kind = quint8(rng() % 2);
    f.sequence = rng();
    f.op = quint16(rng() % 0x40);
    f.status = quint16(rng() % 16);
    const int kind = int(rng() % 3);
    if (kind == 0) { // log records
        const int n = int(rng() % 20);
        for (int i = 0; i < n; ++i) {
            const QByteArray e = QByteArray::number(int(rng() % 100000));
            WireRecords::appendLog(f.payload, e.constData(), int(e.size()), rng(), quint8(rng()), quint8(rng()), rng());
        }
    } else if (kind == 1) { // user records
        WireWriter w;
        const int n = int(rng() % 8);
        for (int i = 0; i < n; ++i)
            w.str8(QString::number(rng() % 1000)).str8(QStringLiteral("name")).str8(QString()).u8(0).u8(1);
        f.payload = w.data();
    } else {
        f.payload = QByteArray(int(rng() % 300), char(rng()));
    }
    return f.encode();
}

QByteArray mutate(QByteArray b, std::mt19937& rng)
{
    switch (rng() % 6) {
    case 0: // bit flips
        for (int i = 0, n = 1 + int(rng() % 4); i < n && !b.isEmpty(); ++i)
            b[qsizetype(rng() % b.size())] ^= char(1 << (rng() % 8));
        break;
    case 1: // cut short
        b.truncate(qsizetype(rng() % (b.size() + 1)));
        break;
    case 2: // bytes inserted
        b.insert(qsizetype(rng() % (b.size() + 1)), QByteArray(1 + int(rng() % 16), char(rng())));
        break;
    case 3: // forged length field
        if (b.size() >= WireFrame::HeaderSize)
            qToLittleEndian<quint32>(rng() % 2 ? rng() : quint32(rng() % 4096), b.data() + 12);
        break;
    case 4: // two frames glued, one mutated
        b += validFrame(rng);
        break;
    default: // left as it is
        break;
    }
    return b;
}

} // namespace

void WireFuzzTest::decoderSurvivesRandomInput()
{
    // WIRE_FUZZ_INPUTS and WIRE_FUZZ_SEED make longer runs (scripts/fuzz).
    bool ok = false;
    const int envInputs = qEnvironmentVariableIntValue("WIRE_FUZZ_INPUTS", &ok);
    const int kInputs = ok && envInputs > 0 ? envInputs : 200000;
    const int envSeed = qEnvironmentVariableIntValue("WIRE_FUZZ_SEED", &ok);
    std::mt19937 rng(ok ? quint32(envSeed) : 20240611u);
    MemoryWatch memory;
    constexpr qsizetype kMaxFrame = WireFrame::HeaderSize + WireFrame::MaxPayload + WireFrame::TrailerSize;
    qint64 frames = 0, errors = 0;
    for (int i = 0; i < kInputs; ++i) {
        QByteArray input;
        if (i % 4 == 0) {
            input.resize(qsizetype(rng() % 600));
            for (char& c : input)
                c = char(rng());
            if (input.size() >= 2 && rng() % 2) { // random bytes that start like a frame
                input[0] = char(WireFrame::Magic0);
                input[1] = char(WireFrame::Magic1);
            }
        } else {
            input = mutate(validFrame(rng), rng);
        }
        memory.sample();
        WireDecoder decoder(i % 10 == 0 ? 512 : WireFrame::MaxPayload);
        qsizetype at = 0;
        bool failed = false;
        while (at < input.size() && !failed) {
            const qsizetype piece = qMin<qsizetype>(1 + qsizetype(rng() % 97), input.size() - at);
            decoder.feed(input.constData() + at, piece);
            at += piece;
            QVERIFY2(decoder.pendingBytes() <= kMaxFrame + piece, "decoder holds more than a frame and a piece");
            WireFrame f;
            for (int guard = 0;; ++guard) {
                QVERIFY2(guard <= input.size(), "decoder does not make progress");
                const auto r = decoder.next(f);
                if (r == WireDecoder::Result::NeedMore)
                    break;
                if (r == WireDecoder::Result::Error) {
                    ++errors;
                    failed = true;
                    break;
                }
                ++frames;
                QVERIFY(quint64(f.payload.size()) <= WireFrame::MaxPayload);
                // Whatever a frame carries, the record parsers must reject or accept it cleanly.
                const quint32 count = rng() % 32;
                TermLogBuffer logs;
                if (logs.appendChunk(f.payload.constData(), f.payload.size(), count))
                    QCOMPARE(logs.size(), qsizetype(count));
                TermUserBuffer users;
                if (users.appendChunk(f.payload.constData(), f.payload.size(), count))
                    QCOMPARE(users.size(), qsizetype(count));
                TermSuperLogBuffer supers;
                supers.appendChunk(f.payload.constData(), f.payload.size(), count);
            }
        }
    }
    // Both outcomes must have been exercised, or the inputs are not doing their job.
    QVERIFY(frames > kInputs / 4);
    QVERIFY(errors > kInputs / 4);
    QVERIFY2(memory.grownMb() < 64, "memory grew while fuzzing");
}

QTEST_GUILESS_MAIN(WireFuzzTest)
#include "WireFuzzTest.moc"
