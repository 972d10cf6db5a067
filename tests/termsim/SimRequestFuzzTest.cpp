// Bounded random-request fuzzing of termsim's request handling: every
// operation, with arguments of the right shape but random and extreme values,
// with random blobs and texts, sometimes with fields missing or added, and
// uploads of damaged data images, all on a terminal that keeps its data on
// disk. Every request must get exactly one well-formed reply (or a clean end
// of session), and afterwards the data read back from disk must equal the data
// the terminal held: every acknowledged change stored, every refused one gone.
//
// SIM_FUZZ_REQUESTS and SIM_FUZZ_SEED set the number of requests per terminal
// kind and the seed for longer runs (scripts/fuzz).
#include "Crc32.h"
#include "SimHost.h"
#include "SimOptions.h"
#include "SimSession.h"
#include "SimStore.h"
#include "TermError.h"
#include "WireDecoder.h"
#include "WireFrame.h"
#include "WireOp.h"
#include "WireWriter.h"

#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <random>

class SimRequestFuzzTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void randomRequestsKeepStoreAndMemoryAlike_data();
    void randomRequestsKeepStoreAndMemoryAlike();
};

namespace {

// The fields of each request after the machine number: b u8, i i32, u u32,
// s str8, S str16, B blob. ReadChunk and PutChunk carry no machine number.
struct Shape {
    WireOp op;
    const char* fields;
};
const Shape kShapes[] = {
    {WireOp::Disconnect, ""},          {WireOp::SetDeviceEnabled, "b"},    {WireOp::RefreshDeviceData, ""},
    {WireOp::LoadAllLogs, ""},         {WireOp::LoadAllUserIds, ""},       {WireOp::ClearAdministrators, ""},
    {WireOp::DeleteEnrollData, "sii"}, {WireOp::LoadSuperLogs, ""},        {WireOp::LoadLogs, ""},
    {WireOp::GetDeviceStatus, "i"},    {WireOp::GetDeviceInfo, "i"},       {WireOp::SetDeviceInfo, "ii"},
    {WireOp::SetDeviceTime, "iiiiii"}, {WireOp::PowerOffDevice, ""},       {WireOp::GetDeviceTime, ""},
    {WireOp::GetSerialNumber, ""},     {WireOp::ClearAllData, ""},         {WireOp::GetProductCode, ""},
    {WireOp::GetFirmwareVersion, ""},  {WireOp::ClearAttendanceLogs, ""},  {WireOp::WriteUserInfo, "sssib"},
    {WireOp::ReadUserInfo, "s"},       {WireOp::ReadFingerTemplate, "si"}, {WireOp::SetUserTmp, "siB"},
    {WireOp::DeleteFingerTemplate, "si"}, {WireOp::ACUnlock, "i"},         {WireOp::WriteFingerTemplateText, "siB"},
    {WireOp::SetEnrollDataStr, "siiiBi"}, {WireOp::CaptureFingerImage, "bi"}, {WireOp::UpdateFirmware, "uuS"},
    {WireOp::StartEnroll, "si"},       {WireOp::StartVerify, "si"},        {WireOp::StartIdentify, ""},
    {WireOp::CancelOperation, ""},     {WireOp::BackupData, ""},           {WireOp::RestoreData, "uu"},
    {WireOp::WriteLCD, "iis"},         {WireOp::ClearLCD, ""},             {WireOp::Beep, "i"},
    {WireOp::PlayVoice, "ii"},         {WireOp::PlayVoiceByIndex, "i"},    {WireOp::EnableDefaultLCD, "b"},
    {WireOp::ReadChunk, "uu"},
};

class Fuzzer {
public:
    explicit Fuzzer(quint32 seed) : m_rng(seed) {}

    quint32 below(quint32 n) { return n == 0 ? 0 : m_rng() % n; }
    bool chance(int percent) { return int(below(100)) < percent; }

    qint32 anInt()
    {
        static const qint32 kEdges[] = {0, 1, 2, 3, 9, 10, 11, 12, 13, 23, 35, 36, 99, 100, 255, 256, 2000, 2135,
                                        65535, 65536, -1, std::numeric_limits<qint32>::max(),
                                        std::numeric_limits<qint32>::min()};
        switch (below(3)) {
        case 0: return kEdges[below(sizeof kEdges / sizeof kEdges[0])];
        case 1: return qint32(below(40));
        default: return qint32(m_rng());
        }
    }
    QString aText()
    {
        switch (below(6)) {
        case 0: return QString::number(1 + below(60)); // enroll numbers of seeded users
        case 1: return QString::number(1001 + below(60));
        case 2: return QString();
        case 3: return QString(int(below(300)), QChar(u'王'));
        case 4: return QStringLiteral(" 0%1\n,").arg(below(100));
        default: {
            QByteArray b(int(below(40)), Qt::Uninitialized);
            for (char& c : b)
                c = char(m_rng());
            return QString::fromUtf8(b);
        }
        }
    }
    QByteArray aBlob()
    {
        static const int kSizes[] = {0, 1, 10, 400, 2048, 2049, 5000};
        QByteArray b(chance(50) ? kSizes[below(7)] : int(below(3000)), Qt::Uninitialized);
        for (char& c : b)
            c = char(m_rng());
        return b;
    }

    QByteArray payload(const Shape& shape, int machine)
    {
        WireWriter w;
        const bool chunkOp = shape.op == WireOp::ReadChunk || shape.op == WireOp::PutChunk;
        if (!chunkOp)
            w.i32(chance(90) ? machine : anInt());
        for (const char* f = shape.fields; *f; ++f) {
            if (chance(2))
                break; // a field missing
            switch (*f) {
            case 'b': w.u8(quint8(chance(80) ? below(2) : m_rng())); break;
            case 'i': w.i32(anInt()); break;
            case 'u': w.u32(chance(50) ? below(4) : quint32(anInt())); break;
            case 's': w.str8(aText()); break;
            case 'S': w.str16(aText()); break;
            case 'B': w.blob(aBlob()); break;
            }
        }
        if (chance(2))
            w.u8(quint8(m_rng())); // a field too many
        return w.data();
    }

    std::mt19937& rng() { return m_rng; }

private:
    std::mt19937 m_rng;
};

// One connection's worth of requests and replies, checked frame by frame.
class Client {
public:
    explicit Client(SimHost& host) : m_host(host) { open(); }
    ~Client() { delete m_session; }

    // Sends one request; false (with a message) when its reply is missing or malformed.
    bool request(WireOp op, const QByteArray& payload, quint16& status, QString& error)
    {
        if (m_dropped)
            open();
        const quint32 sequence = ++m_sequence;
        QByteArray frame;
        WireFrame::appendEncoded(frame, WireFrame::Request, sequence, quint16(op), 0, payload.constData(), payload.size());
        m_replies.clear();
        m_session->receive(frame.constData(), frame.size());
        WireDecoder decoder(WireFrame::MaxPayload);
        decoder.feed(m_replies.constData(), m_replies.size());
        WireFrame reply;
        const auto r = decoder.next(reply);
        if (r != WireDecoder::Result::Frame) {
            if (m_replies.isEmpty() && m_dropped)
                return true; // the session ended without a reply (a connection the terminal drops)
            error = QStringLiteral("no well-formed reply to %1 (%2 bytes)").arg(wireOpName(quint16(op))).arg(m_replies.size());
            return false;
        }
        if (reply.kind != WireFrame::Reply || reply.sequence != sequence || reply.op != quint16(op) ||
            decoder.next(reply) != WireDecoder::Result::NeedMore) {
            error = QStringLiteral("reply to %1 does not match it, or more than one").arg(wireOpName(quint16(op)));
            return false;
        }
        status = reply.status;
        return true;
    }

private:
    void open()
    {
        delete m_session;
        m_dropped = false;
        m_session = new SimSession(m_host, SimSession::Transport::Tcp, {&m_host.terminal(0)});
        m_session->setSend([this](const QByteArray& bytes) { m_replies += bytes; });
        m_session->setDrop([this](bool) { m_dropped = true; });
    }

    SimHost& m_host;
    SimSession* m_session = nullptr;
    bool m_dropped = false;
    quint32 m_sequence = 0;
    QByteArray m_replies;
};

int envInt(const char* name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

} // namespace

void SimRequestFuzzTest::randomRequestsKeepStoreAndMemoryAlike_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("black-and-white") << "bw";
    QTest::newRow("colour") << "color";
    QTest::newRow("face") << "face";
}

void SimRequestFuzzTest::randomRequestsKeepStoreAndMemoryAlike()
{
    QFETCH(QString, kind);
    const int requests = envInt("SIM_FUZZ_REQUESTS", 2500);
    const quint32 seed = quint32(envInt("SIM_FUZZ_SEED", 20241211)) + quint32(qHash(kind));
    // Flushing to disk is not what is tested here; a memory file system keeps the run short where there is one.
    QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/termsim-fuzz-XXXXXX")
                                                                 : QDir::tempPath() + QStringLiteral("/termsim-fuzz-XXXXXX"));
    QVERIFY(dir.isValid());
    SimOptions options;
    QString error;
    QVERIFY2(SimOptions::parse({QStringLiteral("--data-dir"), dir.path(), QStringLiteral("--terminal"),
                                QStringLiteral("machine=1,kind=%1,tcp=0,users=40,logs=500,seed=5").arg(kind)},
                               options, error),
             qPrintable(error));
    options.terminals[0].tcpPort = -1; // requests go straight to the session

    QByteArray held;
    {
        SimHost host(options);
        QStringList report;
        QVERIFY2(host.start(error, report), qPrintable(error));
        Fuzzer fuzz(seed);
        Client client(host);
        int accepted = 0;
        for (int i = 0; i < requests; ++i) {
            SimTerminal& t = host.terminal(0);
            quint16 status = 0;
            if (i % 200 == 0 || fuzz.chance(2)) {
                WireWriter w;
                w.u8(0).i32(t.machineNumber()).i32(fuzz.chance(95) ? -1 : fuzz.anInt()).i32(4370).i32(0).str8(
                    QStringLiteral("127.0.0.1"));
                QVERIFY2(client.request(WireOp::Connect, w.data(), status, error), qPrintable(error));
                continue;
            }
            if (fuzz.chance(3)) {
                // An upload: a data image (damaged now and then) for RestoreData, or firmware.
                QByteArray content = SimStore::serialize(t.data());
                const bool restore = fuzz.chance(60);
                if (!restore || fuzz.chance(50)) {
                    content = restore ? content : fuzz.aBlob();
                    for (int flips = int(fuzz.below(4)); flips > 0 && !content.isEmpty(); --flips)
                        content[qsizetype(fuzz.below(quint32(content.size())))] ^= char(1 << fuzz.below(8));
                }
                for (qsizetype at = 0; at < content.size() || at == 0; at += 200000) {
                    const QByteArray piece = content.mid(at, 200000);
                    WireWriter w;
                    w.u32(quint32(at)).u32(quint32(piece.size())).raw(piece.constData(), piece.size());
                    QVERIFY2(client.request(WireOp::PutChunk, w.data(), status, error), qPrintable(error));
                    if (piece.isEmpty())
                        break;
                }
                WireWriter w;
                w.i32(t.machineNumber()).u32(quint32(content.size())).u32(Crc32::compute(content.constData(), content.size()));
                if (!restore)
                    w.str16(fuzz.aText());
                QVERIFY2(client.request(restore ? WireOp::RestoreData : WireOp::UpdateFirmware, w.data(), status, error),
                         qPrintable(error));
                accepted += status == TermError::None ? 1 : 0;
                continue;
            }
            const Shape* shape = &kShapes[fuzz.below(sizeof kShapes / sizeof kShapes[0])];
            // Wiping everything now and then, not so often that the data never grows.
            while ((shape->op == WireOp::ClearAllData || shape->op == WireOp::ClearAttendanceLogs) && !fuzz.chance(1))
                shape = &kShapes[fuzz.below(sizeof kShapes / sizeof kShapes[0])];
            const WireOp op = fuzz.chance(1) ? WireOp(fuzz.below(0x60)) : shape->op;
            QVERIFY2(client.request(op, fuzz.payload(*shape, t.machineNumber()), status, error), qPrintable(error));
            QVERIFY2(status <= TermError::StorageError, qPrintable(QStringLiteral("status %1").arg(status)));
            accepted += status == TermError::None ? 1 : 0;
            QVERIFY(!t.hasPendingChanges()); // committed or undone, never left half-way
        }
        QVERIFY(accepted > requests / 10); // or the inputs do not reach the operations
        held = SimStore::serialize(host.terminal(0).data());
    }
    // What a restart reads back from the data file and its journal.
    SimHost again(options);
    QStringList report;
    QVERIFY2(again.start(error, report), qPrintable(error));
    QVERIFY(SimStore::serialize(again.terminal(0).data()) == held);
}

QTEST_GUILESS_MAIN(SimRequestFuzzTest)
#include "SimRequestFuzzTest.moc"
